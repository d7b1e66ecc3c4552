#include "prize_plan.h"

#include "candidate_list.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace taviro {

QString prizePlanFileName() { return QStringLiteral("奖项.txt"); }

bool parsePrizeLine(const QString &line, Prize &prize)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\S.*?)\\s+(\\d{1,5})\\s*$"));
    const QRegularExpressionMatch m = form.match(line);
    const int count = m.captured(2).toInt();
    if (!m.hasMatch() || count < 1 || count > kMaxCandidates)
        return false;
    prize = {m.captured(1), count};
    return true;
}

PrizePlan readPrizePlan(const QString &folder)
{
    PrizePlan plan;
    plan.fileName = prizePlanFileName();
    const QString path = QDir(folder).filePath(plan.fileName);
    if (!QFileInfo(path).isFile())
        return plan;
    // Read as a list is, with its encodings and line ends and its limits.
    const CandidateFile file = readCandidateFile(path);
    if (file.status == CandidateFile::Status::Undecodable || file.status != CandidateFile::Status::Ok) {
        plan.status = PrizePlan::Status::Unreadable;
        plan.badLine = file.badLine;
        return plan;
    }
    plan.status = PrizePlan::Status::Ok;
    for (int i = 0; i < file.lines.size(); ++i) {
        if (file.lines.at(i).trimmed().isEmpty())
            continue;
        Prize prize;
        if (!parsePrizeLine(file.lines.at(i), prize)) {
            plan.status = PrizePlan::Status::Malformed;
            plan.badLine = i + 1;
            plan.prizes.clear();
            return plan;
        }
        plan.prizes.append(prize);
    }
    return plan;
}

} // namespace taviro
