#include "csv_records.h"

namespace taviro {

QStringList csvRecords(const QString &text)
{
    QStringList records;
    QString record; // the fields so far, joined by tabs; the current one from `fieldStart`
    qsizetype fieldStart = 0;
    bool quoted = false, open = false; // inside quotes; a record has begun
    const QChar *data = text.constData();
    const qsizetype size = text.size();
    const auto afterLineEnd = [&](qsizetype at) {
        return at + (data[at] == QLatin1Char('\r') && at + 1 < size && data[at + 1] == QLatin1Char('\n') ? 2 : 1);
    };
    const auto ordinary = [&](QChar c) {
        return c != QLatin1Char('"') && c != QLatin1Char('\r') && c != QLatin1Char('\n')
            && (quoted || c != QLatin1Char(','));
    };
    for (qsizetype i = 0; i < size;) {
        if (!open) { // a record without quotes, as most are, is its line with tabs for commas
            qsizetype end = i;
            bool quote = false;
            for (; end < size && data[end] != QLatin1Char('\r') && data[end] != QLatin1Char('\n'); ++end)
                quote = quote || data[end] == QLatin1Char('"');
            if (!quote) {
                records.append(QString(data + i, end - i).replace(QLatin1Char(','), QLatin1Char('\t')));
                i = end < size ? afterLineEnd(end) : end;
                continue;
            }
        }
        open = true;
        // A run of ordinary characters goes in at once: character by character, a list of 64 MB took seconds.
        qsizetype end = i;
        while (end < size && ordinary(data[end]))
            ++end;
        // A doubled quote inside quotes goes in with the run before it, as the one quote it stands for.
        const bool doubled =
            quoted && end + 1 < size && data[end] == QLatin1Char('"') && data[end + 1] == QLatin1Char('"');
        if (end > i || doubled) {
            record.append(data + i, end - i + doubled);
            i = end + 2 * doubled;
            continue;
        }
        const QChar c = data[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
                ++i;
            } else { // a line end inside quotes
                record += QLatin1Char(' ');
                i = afterLineEnd(i);
            }
        } else if (c == QLatin1Char('"')) {
            if (record.size() == fieldStart) // quotes open a field only at its start
                quoted = true;
            else
                record += c;
            ++i;
        } else if (c == QLatin1Char(',')) {
            record += QLatin1Char('\t');
            fieldStart = record.size();
            ++i;
        } else {
            records.append(record);
            record.clear();
            fieldStart = 0;
            open = false;
            i = afterLineEnd(i);
        }
    }
    if (open)
        records.append(record);
    return records;
}

} // namespace taviro
