// Fuzzes the CSV reader as Initialise reads a .csv file: the records agree with those of a plain reading of the
// rules, character by character (the reader goes by runs, for speed); a file without quotes gives its lines with
// tabs for commas (but a blank last line); no record holds a line end; and the questions are asked of them.
#include "fuzz.h"
#include "lists/candidate_list.h"
#include "lists/csv_records.h"
#include "lists/left_out_lines.h"

#include <QBuffer>

using namespace taviro;

// RFC 4180 as the reader follows it, one character at a time.
static QStringList plainRecords(const QString &text)
{
    QStringList records;
    QString record, field;
    bool quoted = false, open = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool crLf = c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n');
        open = true;
        if (quoted && c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
            field += c;
            ++i;
        } else if (c == QLatin1Char('"') && (quoted || field.isEmpty())) {
            quoted = !quoted;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            i += crLf;
            if (quoted) {
                field += QLatin1Char(' ');
                continue;
            }
            records.append(record + field);
            record.clear(), field.clear();
            open = false;
        } else if (c == QLatin1Char(',') && !quoted) {
            record += field + QLatin1Char('\t');
            field.clear();
        } else {
            field += c;
        }
    }
    if (open)
        records.append(record + field);
    return records;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer csvBuffer(&bytes), textBuffer(&bytes);
    csvBuffer.open(QIODevice::ReadOnly), textBuffer.open(QIODevice::ReadOnly);
    const CandidateFile file = readCsvCandidates(csvBuffer), lines = readCandidates(textBuffer);
    check(file.status == lines.status && file.encoding == lines.encoding && file.sha256 == lines.sha256);
    if (file.status != CandidateFile::Status::Ok)
        return 0;
    const QString text = lines.lines.join(QLatin1Char('\n'));
    check(file.lines == plainRecords(text) && file.count == file.lines.size() && file.count <= lines.count);
    if (!text.contains(QLatin1Char('"'))) { // a blank last line is no record: the file's last line end was dropped
        QStringList expected = lines.lines;
        for (QString &line : expected)
            line.replace(QLatin1Char(','), QLatin1Char('\t'));
        if (!expected.isEmpty() && expected.constLast().isEmpty())
            expected.removeLast();
        check(file.lines == expected);
    }
    for (const QString &record : file.lines)
        check(!record.contains(QLatin1Char('\r')) && !record.contains(QLatin1Char('\n')));
    const ListQuestions questions = listQuestions(file.lines, true);
    for (int line : questions.blankLines)
        check(line >= 1 && line <= file.count);
    check(questions.heading.isEmpty() || questions.heading == file.lines.first().split(QLatin1Char('\t')));
    return 0;
}
