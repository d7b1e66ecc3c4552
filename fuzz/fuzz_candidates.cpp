// Fuzzes the candidate-file reader: chunked reading agrees with reading at once and with the whole-buffer
// split, a list is read only when every record decodes, and what is read is what the bytes say.
#include "fuzz.h"
#include "lists/candidate_list.h"
#include "lists/legacy_text.h"

#include <QBuffer>

using namespace taviro;

static CandidateFile read(QByteArray bytes, int chunkSize)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readCandidates(buffer, chunkSize);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // The first byte picks a chunk size of 1..16, so line ends and characters split across chunks all the time.
    const CandidateFile file = read(bytes, size > 0 ? 1 + data[0] % 16 : 1), whole = read(bytes, 1 << 20);
    check(file.status == whole.status && file.count == whole.count && file.lines == whole.lines);
    check(file.encoding == whole.encoding && file.badLine == whole.badLine);
    using Status = CandidateFile::Status;
    check(file.status != Status::TooMany || file.count == kMaxListLines + 1);
    if (file.status == Status::TooMany)
        return 0;
    check(file.status == Status::Ok || file.status == Status::Undecodable);
    check(file.status == Status::Ok ? file.lines.size() == file.count && file.badLine == 0
                                    : file.lines.isEmpty() && file.badLine >= 1 && file.badLine <= file.count);
    for (int line : sampleLineNumbers(file.count))
        check(line >= 1 && line <= file.count);

    int mark = 0;
    if (const ListEncoding marked = markedEncoding(bytes, &mark);
        marked == ListEncoding::Utf16Le || marked == ListEncoding::Utf16Be) {
        check(file.encoding == marked);
        return 0; // its units are split by the same collector as bytes are
    }
    const QList<QByteArray> expected = splitRecords(bytes.mid(mark), kMaxListLines + 1);
    check(file.count == expected.size());
    const bool utf8 = file.encoding != ListEncoding::Gbk;
    check(utf8 == (mark > 0 ? file.encoding == ListEncoding::Utf8Bom : file.encoding == ListEncoding::Utf8));
    if (file.status == Status::Undecodable) {
        const QByteArray &bad = expected.at(file.badLine - 1);
        check(utf8 ? !isValidUtf8(bad.constData(), bad.size()) : decodeLegacyText(bad).contains(QChar(0xFFFD)));
        return 0;
    }
    for (int i = 0; i < expected.size(); ++i) {
        // UTF-8 is kept exactly; GBK as the code page decodes it, never with a replacement character.
        check(utf8 ? file.lines.at(i).toUtf8() == expected.at(i)
                   : file.lines.at(i) == decodeLegacyText(expected.at(i)));
        check(!file.lines.at(i).contains(QChar(0xFFFD)) || utf8);
        check(!expected.at(i).contains('\r') && !expected.at(i).contains('\n'));
    }
    return 0;
}
