#include "prize_plan.h"

#include "list_messages.h"

#include <QDir>
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

namespace {

PrizePlan refused(PrizePlan plan, PrizePlan::Status status, const QString &message, int line = 0)
{
    plan.status = status;
    plan.message = message;
    plan.badLine = line;
    plan.prizes.clear();
    return plan;
}

} // namespace

PrizePlan prizePlanOf(const CandidateFile &file, const QString &fileName)
{
    PrizePlan plan;
    plan.fileName = fileName;
    using Status = PrizePlan::Status;
    switch (file.status) {
    case CandidateFile::Status::Missing:
        return plan;
    case CandidateFile::Status::Unreadable:
    case CandidateFile::Status::BadWorkbook:
        return refused(plan, Status::Unreadable,
                       msg::unreadable(fileName,
                                       file.status == CandidateFile::Status::Unreadable
                                           ? file.error
                                           : QStringLiteral("它不是文本文件")));
    case CandidateFile::Status::TooLarge:
        return refused(plan, Status::TooLarge, msg::largePlan(fileName));
    case CandidateFile::Status::TooMany:
        return refused(plan, Status::TooLong, msg::longPlan(fileName, kMaxPrizes, kMaxListLines));
    case CandidateFile::Status::Undecodable:
        return refused(plan, Status::Undecodable,
                       msg::undecodable(fileName, file.badLine, QStringLiteral("奖项的名称")), file.badLine);
    case CandidateFile::Status::Ok:
        break;
    }
    plan.status = Status::Ok;
    for (int i = 0; i < file.lines.size(); ++i) {
        if (file.lines.at(i).trimmed().isEmpty())
            continue;
        Prize prize;
        if (!parsePrizeLine(file.lines.at(i), prize))
            return refused(plan, Status::Malformed, msg::badPlan(fileName, i + 1), i + 1);
        if (plan.prizes.size() == kMaxPrizes)
            return refused(plan, Status::TooLong, msg::longPlan(fileName, kMaxPrizes, kMaxListLines));
        plan.prizes.append(prize);
    }
    return plan;
}

PrizePlan readPrizePlan(const QString &folder)
{
    // Read as a list is, with its encodings and line ends and its limits; a
    // folder under the plan's name is no plan, as it is no list.
    return prizePlanOf(readCandidateFile(QDir(folder).filePath(prizePlanFileName())), prizePlanFileName());
}

} // namespace taviro
