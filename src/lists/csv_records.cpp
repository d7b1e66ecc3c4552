#include "csv_records.h"

#include <algorithm>
#include <utility>

namespace taviro {

namespace {

// A record as it is made, written in place: QString::append() for every
// character or two of a field full of quotes took most of the time.
class Record
{
public:
    qsizetype size() const { return m_size; }
    void put(QChar c)
    {
        reserve(1);
        m_text.data()[m_size++] = c;
    }
    void put(const QChar *from, qsizetype n)
    {
        reserve(n);
        std::copy(from, from + n, m_text.data() + m_size);
        m_size += n;
    }
    QString take()
    {
        m_text.truncate(m_size);
        m_size = 0;
        return std::exchange(m_text, QString());
    }

private:
    void reserve(qsizetype n)
    {
        if (m_size + n > m_text.size())
            m_text.resize(qMax(2 * m_text.size(), m_size + n + 16));
    }
    QString m_text;
    qsizetype m_size = 0;
};

} // namespace

QStringList csvRecords(const QString &text)
{
    QStringList records;
    Record record; // the fields so far, joined by tabs; the current one from `fieldStart`
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
        qsizetype end = i;
        while (end < size && ordinary(data[end]))
            ++end;
        // A doubled quote inside quotes goes in with the run before it, as the one quote it stands for.
        const bool doubled =
            quoted && end + 1 < size && data[end] == QLatin1Char('"') && data[end + 1] == QLatin1Char('"');
        if (end > i || doubled) {
            record.put(data + i, end - i + doubled);
            i = end + 2 * doubled;
            continue;
        }
        const QChar c = data[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
                ++i;
            } else { // a line end inside quotes
                record.put(QLatin1Char(' '));
                i = afterLineEnd(i);
            }
        } else if (c == QLatin1Char('"')) {
            if (record.size() == fieldStart) // quotes open a field only at its start
                quoted = true;
            else
                record.put(c);
            ++i;
        } else if (c == QLatin1Char(',')) {
            record.put(QLatin1Char('\t'));
            fieldStart = record.size();
            ++i;
        } else {
            records.append(record.take());
            fieldStart = 0;
            open = false;
            i = afterLineEnd(i);
        }
    }
    if (open)
        records.append(record.take());
    return records;
}

} // namespace taviro
