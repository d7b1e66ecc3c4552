#pragma once

#include <QString>

namespace taviro {

// The results log: the heading and one numbered entry per winner, with CR LF
// line ends exactly as they are saved. Entries are only ever appended.
class ResultsLog
{
public:
    static const QString &heading(); // "摇号结果" + CR LF

    ResultsLog();

    // Appends the entry for `name` with the next number and returns the
    // appended text (CR LF, "[n]:", tab, name).
    QString append(const QString &name);
    // Appends a prize's heading line (CR LF and the prize's name) before its
    // winners; the entries' numbers go on across prizes.
    QString appendPrize(const QString &prize);

    const QString &text() const { return m_text; }
    // The number the next entry will carry (RoundNumber).
    int nextNumber() const { return m_nextNumber; }

private:
    QString m_text;
    int m_nextNumber = 1;
};

} // namespace taviro
