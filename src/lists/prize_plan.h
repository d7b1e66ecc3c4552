#pragma once

#include "candidate_list.h"

#include <QList>
#include <QString>

namespace taviro {

// One prize of the plan: its name and how many win it.
struct Prize
{
    QString name;
    int count = 0;
    bool operator==(const Prize &other) const { return name == other.name && count == other.count; }
};

// A plan holds at most this many prizes: each needs a winner, and a draw has
// at most kMaxCandidates. Its lines, blank ones included, are read as a
// list's are, up to kMaxListLines.
constexpr int kMaxPrizes = kMaxCandidates;

// The prize plan, "奖项.txt" beside the list: one prize per line, its name
// and then the number of its winners ("三等奖 10"), in the order they are
// drawn. Encodings and line ends are those of a list; blank lines are left
// out. Without the file the draw has no plan.
struct PrizePlan
{
    enum class Status {
        None, // no plan: the draw goes without one
        Ok,
        Unreadable, // could not be opened or read
        TooLarge, // more bytes than a list may have
        TooLong, // more than kMaxPrizes prizes or kMaxListLines lines
        Undecodable, // line `badLine` cannot be decoded
        Malformed, // line `badLine` is not a prize and its count
    };
    Status status = Status::None;
    QList<Prize> prizes;
    int badLine = 0; // Malformed, Undecodable: the line, from 1
    QString fileName;
    QString message; // why the plan is refused, naming the file and the reason; empty for None and Ok
};

QString prizePlanFileName(); // "奖项.txt"
PrizePlan readPrizePlan(const QString &folder);
// The plan in a file read as a list is, named `fileName` in the messages.
PrizePlan prizePlanOf(const CandidateFile &file, const QString &fileName);
// A plan's line: the name, blanks, and a whole number from 1 to 10000.
bool parsePrizeLine(const QString &line, Prize &prize);

} // namespace taviro
