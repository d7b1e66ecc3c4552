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
    ++m_nextNumber;
    return entry;
}

QString ResultsLog::appendPrize(const QString &prize)
{
    const QString line = QStringLiteral("\r\n") + prize;
    m_text += line;
    return line;
}

} // namespace taviro
