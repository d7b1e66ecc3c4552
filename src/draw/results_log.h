#pragma once

#include <QString>
#include <QVector>

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

    // Marks entry `number` as forfeited (a tab and "（弃奖）" after its text,
    // where it stands), or takes the mark back. False for no such entry or
    // when it already is as asked.
    bool markForfeit(int number, bool forfeited);
    bool isForfeit(int number) const;
    // The line of entry `number`, from 0 at the heading: where it stands in a
    // box that shows the log line by line.
    int lineOf(int number) const;
    static const QString &forfeitMark(); // tab, "（弃奖）"

    const QString &text() const { return m_text; }
    // The number the next entry will carry (RoundNumber).
    int nextNumber() const { return m_nextNumber; }

private:
    QString m_text;
    int m_nextNumber = 1;
    int m_lines = 1; // the last line, from 0: the heading and its line end make two
    struct Entry
    {
        int line;
        qsizetype end; // where its text ends in m_text
        bool forfeited;
    };
    QVector<Entry> m_entries; // [number - 1]
};

} // namespace taviro
