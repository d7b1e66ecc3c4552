// Fuzzes the workbook reader from the zip bytes up. An input that starts with "### " is a workbook's parts, each
// after a line "### " and its name, which are put into a zip here with their true sizes and CRCs, so that the
// mutations reach the XML and not only the zip's checks; any other input is the zip file itself. Whatever the
// bytes, the reader ends, and what it reads is within the limits: no more rows, columns or text than a list may
// have, no line end inside a line, a refused sheet named by a cell beyond the limit.
#include "fuzz.h"
#include "lists/candidate_list.h"
#include "lists/left_out_lines.h"
#include "lists/workbook.h"

#include <QRegularExpression>

using namespace taviro;

static quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return ~crc;
}

// A zip of the parts, stored as they are (no compression), as PKZIP's format describes it.
static QByteArray zipOf(const QList<std::pair<QByteArray, QByteArray>> &parts)
{
    QByteArray zip, directory;
    const auto u16 = [](QByteArray &out, quint32 v) { out.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF)); };
    const auto u32 = [&](QByteArray &out, quint32 v) { u16(out, v & 0xFFFF), u16(out, v >> 16); };
    for (const auto &[name, data] : parts) {
        const quint32 crc = crc32(data), size = quint32(data.size()), offset = quint32(zip.size());
        u32(zip, 0x04034b50), u16(zip, 20), u16(zip, 0), u16(zip, 0), u32(zip, 0); // version, flags, stored, time
        u32(zip, crc), u32(zip, size), u32(zip, size), u16(zip, quint32(name.size())), u16(zip, 0);
        zip += name + data;
        u32(directory, 0x02014b50), u16(directory, 20), u16(directory, 20), u16(directory, 0), u16(directory, 0);
        u32(directory, 0), u32(directory, crc), u32(directory, size), u32(directory, size);
        u16(directory, quint32(name.size())), u16(directory, 0), u16(directory, 0), u16(directory, 0);
        u16(directory, 0), u32(directory, 0), u32(directory, offset);
        directory += name;
    }
    const quint32 at = quint32(zip.size());
    zip += directory;
    u32(zip, 0x06054b50), u32(zip, 0), u16(zip, quint32(parts.size())), u16(zip, quint32(parts.size()));
    u32(zip, quint32(directory.size())), u32(zip, at), u16(zip, 0);
    return zip;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (bytes.startsWith("### ")) {
        QList<std::pair<QByteArray, QByteArray>> parts;
        for (qsizetype at = 0; at < bytes.size();) {
            qsizetype nameEnd = bytes.indexOf('\n', at), next = bytes.indexOf("\n### ", at);
            nameEnd = nameEnd < 0 ? bytes.size() : nameEnd;
            next = next < 0 ? bytes.size() : next;
            parts.append(
                {bytes.mid(at + 4, nameEnd - at - 4), bytes.mid(nameEnd + 1, qMax<qsizetype>(next - nameEnd - 1, 0))});
            at = next + 1;
        }
        bytes = zipOf(parts);
    }
    const Worksheet sheet = readFirstWorksheet(bytes, kMaxListLines, kMaxListColumns, kMaxCandidateBytes / 2);
    using Status = Worksheet::Status;
    check(sheet.rows.isEmpty() || sheet.status == Status::Ok);
    if (sheet.status == Status::TooMany || sheet.status == Status::TooWide) {
        static const QRegularExpression cell(QStringLiteral("^([A-Z]{1,3})([1-9][0-9]*)$"));
        const QRegularExpressionMatch m = cell.match(sheet.farthestCell);
        check(m.hasMatch());
        int column = 0;
        for (const QChar letter : m.capturedView(1))
            column = column * 26 + (letter.unicode() - 'A' + 1);
        check(sheet.status == Status::TooMany ? m.capturedView(2).toInt() > kMaxListLines
                                              : column > kMaxListColumns && column == sheet.columns);
    }
    if (sheet.status != Status::Ok)
        return 0;
    check(sheet.rows.size() <= kMaxListLines);
    qint64 chars = 0;
    for (const QString &row : sheet.rows) {
        check(!row.contains(QLatin1Char('\r')) && !row.contains(QLatin1Char('\n')));
        chars += row.size();
    }
    check(chars <= kMaxCandidateBytes / 2);
    // Initialise asks about the rows it read: the questions are about its lines.
    const ListQuestions questions = listQuestions(sheet.rows, true);
    for (int line : questions.blankLines)
        check(line >= 1 && line <= sheet.rows.size());
    return 0;
}
