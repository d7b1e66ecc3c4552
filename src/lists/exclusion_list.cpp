#include "exclusion_list.h"

#include "candidate_list.h"
#include "list_messages.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace taviro {

namespace {

// How the program's own files begin and name their winners: a results file's
// heading, a record's heading, an entry "[n]:", a tab and the text; a results
// file marks a forfeited entry after its text, a record on a line of its own.
const QString kResultsHeading = QStringLiteral("摇号结果");
const QString kRecordHeading = QStringLiteral("Taviro 摇号记录");
const QString kForfeitMark = QStringLiteral("\t（弃奖）");

QStringList winnersOf(const QStringList &lines, bool record)
{
    static const QRegularExpression entry(QStringLiteral("^\\[(\\d+)\\]:\\t(.*)$"));
    static const QRegularExpression forfeit(QStringLiteral("^弃奖\\t\\[(\\d+)\\]\\t"));
    QStringList winners;
    QSet<QString> forfeited; // a record's entries by number
    QStringList numbers;
    for (const QString &line : lines) {
        QRegularExpressionMatch m;
        if ((m = entry.match(line)).hasMatch()) {
            QString text = m.captured(2);
            if (!record && text.endsWith(kForfeitMark))
                continue;
            winners.append(text);
            numbers.append(m.captured(1));
        } else if (record && (m = forfeit.match(line)).hasMatch()) {
            forfeited.insert(m.captured(1));
        }
    }
    for (qsizetype i = winners.size() - 1; i >= 0; --i)
        if (forfeited.contains(numbers.at(i)))
            winners.removeAt(i);
    return winners;
}

} // namespace

QByteArray exclusionSha256(const QStringList &sortedTexts)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString &text : sortedTexts) {
        hash.addData(text.toUtf8());
        hash.addData(QByteArrayView("\n"));
    }
    return hash.result();
}

Exclusion Exclusion::ofTexts(const QStringList &texts)
{
    Exclusion exclusion;
    exclusion.texts = texts;
    std::sort(exclusion.texts.begin(), exclusion.texts.end());
    exclusion.texts.erase(std::unique(exclusion.texts.begin(), exclusion.texts.end()), exclusion.texts.end());
    exclusion.textCount = int(exclusion.texts.size());
    exclusion.sha256 = exclusionSha256(exclusion.texts);
    return exclusion;
}

ExclusionFile readExclusionFile(const QString &path)
{
    ExclusionFile read;
    const QString name = QFileInfo(path).fileName();
    CandidateFile file = readCandidateFile(path);
    switch (file.status) {
    case CandidateFile::Status::Ok:
        break;
    case CandidateFile::Status::Missing:
        read.message = msg::unreadableExclusion(name, msg::fileProblem(path));
        return read;
    case CandidateFile::Status::Unreadable:
        read.message = msg::unreadableExclusion(name, file.error);
        return read;
    case CandidateFile::Status::Undecodable:
        read.message = msg::undecodable(name, file.badLine, QStringLiteral("其中的名字"));
        return read;
    case CandidateFile::Status::TooMany:
    case CandidateFile::Status::TooLarge:
    case CandidateFile::Status::BadWorkbook:
        read.message = msg::unreadableExclusion(name, QStringLiteral("它不是中奖名单，或者太大"));
        return read;
    }
    const QString first = file.lines.value(0);
    if (first == kResultsHeading || first == kRecordHeading) {
        read.texts = winnersOf(file.lines, first == kRecordHeading);
        return read;
    }
    for (QString &line : file.lines)
        if (!isBlankLine(line))
            read.texts.append(std::move(line));
    return read;
}

QVector<int> excludedLines(const QStringList &lines, const QList<LeftOutLine> &leftOut, const QStringList &sortedTexts)
{
    QVector<int> excluded;
    if (sortedTexts.isEmpty())
        return excluded;
    for (int i = 0, next = 0; i < lines.size(); ++i) {
        if (next < leftOut.size() && leftOut.at(next).line == i + 1) {
            ++next;
            continue;
        }
        if (std::binary_search(sortedTexts.cbegin(), sortedTexts.cend(), lines.at(i)))
            excluded.append(i + 1);
    }
    return excluded;
}

QList<LeftOutLine> withExcluded(QList<LeftOutLine> leftOut, const QVector<int> &excluded)
{
    for (int line : excluded)
        leftOut.append({line, LeftOutReason::Excluded});
    std::stable_sort(leftOut.begin(), leftOut.end(),
                     [](const LeftOutLine &a, const LeftOutLine &b) { return a.line < b.line; });
    return leftOut;
}

} // namespace taviro
