#pragma once

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

// The prize plan, "奖项.txt" beside the list: one prize per line, its name
// and then the number of its winners ("三等奖 10"), in the order they are
// drawn. Encodings and line ends are those of a list; blank lines are left
// out. Without the file the draw has no plan.
struct PrizePlan
{
    enum class Status { None, Ok, Unreadable, Malformed };
    Status status = Status::None;
    QList<Prize> prizes;
    int badLine = 0; // Malformed, Unreadable (undecodable): the line, from 1
    QString fileName;
};

QString prizePlanFileName(); // "奖项.txt"
PrizePlan readPrizePlan(const QString &folder);
// A plan's line: the name, blanks, and a whole number from 1 to 10000.
bool parsePrizeLine(const QString &line, Prize &prize);

} // namespace taviro
