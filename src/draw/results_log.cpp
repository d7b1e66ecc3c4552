#include "results_log.h"

namespace taviro {

const QString &ResultsLog::heading()
{
    static const QString text = QStringLiteral("摇号结果\r\n");
    return text;
}

ResultsLog::ResultsLog()
    : m_text(heading())
{}

QString ResultsLog::append(const QString &name)
{
    // Every entry starts with its own line end, so the log never ends in one.
    QString entry = QStringLiteral("\r\n[") + QString::number(m_nextNumber) + QStringLiteral("]:\t") + name;
    m_text += entry;
    m_entries.append({++m_lines, m_text.size(), false});
    ++m_nextNumber;
    return entry;
}

const QString &ResultsLog::forfeitMark()
{
    static const QString mark = QStringLiteral("\t（弃奖）");
    return mark;
}

bool ResultsLog::markForfeit(int number, bool forfeited)
{
    if (number < 1 || number > m_entries.size() || m_entries[number - 1].forfeited == forfeited)
        return false;
    Entry &entry = m_entries[number - 1];
    entry.forfeited = forfeited;
    const qsizetype shift = forfeited ? forfeitMark().size() : -forfeitMark().size();
    if (forfeited)
        m_text.insert(entry.end, forfeitMark());
    else
        m_text.remove(entry.end + shift, forfeitMark().size());
    entry.end += shift;
    for (int i = number; i < m_entries.size(); ++i)
        m_entries[i].end += shift;
    return true;
}

bool ResultsLog::isForfeit(int number) const
{
    return number >= 1 && number <= m_entries.size() && m_entries[number - 1].forfeited;
}

int ResultsLog::lineOf(int number) const
{
    return number >= 1 && number <= m_entries.size() ? m_entries[number - 1].line : -1;
}

QString ResultsLog::appendPrize(const QString &prize)
{
    const QString line = QStringLiteral("\r\n") + prize;
    m_text += line;
    ++m_lines;
    return line;
}

} // namespace taviro
