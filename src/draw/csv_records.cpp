#include "csv_records.h"

namespace taviro {

QStringList csvRecords(const QString &text)
{
    QStringList records;
    QString record, field;
    bool quoted = false, open = false; // inside quotes; a record has begun
    const auto endField = [&] {
        record += field;
        field.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        open = true;
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                field += QLatin1Char(' ');
                if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                    ++i;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
            record += QLatin1Char('\t');
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endField();
            records.append(record);
            record.clear();
            open = false;
        } else {
            field += c;
        }
    }
    if (open) {
        endField();
        records.append(record);
    }
    return records;
}

} // namespace taviro
