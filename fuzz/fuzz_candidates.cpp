// Fuzzes the candidate-file reader: chunked reading agrees with the whole-buffer split and decoding keeps every record.
#include "draw/candidate_list.h"
#include "draw/legacy_text.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

using namespace taviro;

static void check(bool condition)
{
    if (!condition)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QList<QByteArray> expected = splitRecords(bytes, kMaxCandidates + 1);

    // The first byte picks a chunk size of 1..16, so line ends split across chunks all the time.
    const int chunkSize = size > 0 ? 1 + data[0] % 16 : 1;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const CandidateFile file = readCandidates(buffer, chunkSize);

    if (expected.size() > kMaxCandidates) {
        check(file.status == CandidateFile::Status::TooMany);
        check(file.count == kMaxCandidates + 1);
        return 0;
    }
    check(file.status == CandidateFile::Status::Ok);
    check(file.count == expected.size());
    check(file.lines.size() == expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        check(file.lines.at(i) == decodeLegacyText(expected.at(i)));
        // A record never holds a CR, and a non-empty record never decodes to nothing.
        check(!expected.at(i).contains('\r'));
        check(expected.at(i).isEmpty() || !file.lines.at(i).isEmpty());
    }
    for (int line : sampleLineNumbers(file.count))
        check(line >= 1 && line <= file.count);
    return 0;
}
