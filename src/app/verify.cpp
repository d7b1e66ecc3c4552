#include "verify.h"

#include "draw/draw_messages.h"
#include "draw/draw_replay.h"
#include "output/draw_record.h"
#include "output/results_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace taviro {

namespace {

Verdict verdict(int status, const QString &sentence) { return {status, sentence}; }

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

QString names(const QStringList &winners)
{
    return winners.isEmpty() ? QStringLiteral("（无人）") : winners.join(QStringLiteral("、"));
}

QString roundName(const DrawRound &round)
{
    return round.number > 0 ? QStringLiteral("第%1轮").arg(round.number) : QStringLiteral("最后一组");
}

// What a list's first line and blank lines look like, in words: "第1行像表头，第5、23行是空行".
QString linesSaid(bool heading, const QVector<int> &blankLines)
{
    return (heading ? QStringLiteral("第1行像表头，") : QStringLiteral("第1行不像表头，"))
        + (blankLines.isEmpty() ? QStringLiteral("没有空行")
                                : QStringLiteral("第") + msg::lineNumbers(blankLines) + QStringLiteral("是空行"));
}

} // namespace

Verdict verifyRecord(const QString &recordPath, const QString &listPath)
{
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadOnly))
        return verdict(2, QStringLiteral("无法读取摇号记录%1（%2）。").arg(native(recordPath), file.errorString()));
    const ParsedRecord parsed = parseRecord(file.readAll());
    if (!parsed.ok)
        return verdict(2, QStringLiteral("无法读取摇号记录%1：%2。").arg(native(recordPath), parsed.error));
    const DrawRecord &record = parsed.record;

    const QString list = listPath.isEmpty() ? QFileInfo(recordPath).dir().filePath(record.list.fileName) : listPath;
    if (record.generator != generatorName())
        return verdict(1,
                       QStringLiteral("随机数生成器不同：记录用的是“%1”，本程序用的是“%2”。")
                           .arg(record.generator, generatorName()));
    if (record.seed.commitment() != record.seedSha256)
        return verdict(1, QStringLiteral("种子与记录不符：记录中的种子与它的SHA-256对不上。"));

    if (!QFileInfo(list).isFile())
        return verdict(1, QStringLiteral("找不到名单%1，无法核对。").arg(native(list)));
    const Replay replay =
        replayDraw(list, record.seed, record.plan, record.rounds, record.list.choices, record.forfeits);
    if (replay.init.kind == InitResult::Kind::ChoicesDoNotFit && replay.list.sha256 == record.list.sha256) {
        const ListChoices &said = record.list.choices;
        const ListQuestions &found = replay.init.questions;
        return verdict(1,
                       QStringLiteral("名单与记录不符：记录中说%1，而%2中%3。")
                           .arg(linesSaid(said.heading != ListChoices::Heading::NotAsked, said.blankLines),
                                native(list), linesSaid(!found.heading.isEmpty(), found.blankLines)));
    }
    if (replay.list.sha256 != record.list.sha256 || replay.init.kind != InitResult::Kind::Ready)
        return verdict(
            1,
            QStringLiteral("名单与记录不符：%1的名单指纹是%2，记录中是%3。")
                .arg(native(list), listFingerprint(replay.list.sha256), listFingerprint(record.list.sha256)));
    if (replay.firstDifference >= 0) {
        const DrawRound &recorded = record.rounds.at(replay.firstDifference);
        const QStringList again = replay.firstDifference < replay.rounds.size()
            ? replay.rounds.at(replay.firstDifference).winners
            : QStringList();
        return verdict(1,
                       QStringLiteral("%1与记录不符：按记录中的名单、种子和人数重新摇号，中奖者是%2，记录中是%3。")
                           .arg(roundName(recorded), names(again), names(recorded.winners)));
    }

    if (replay.badForfeit >= 0) {
        const Forfeit &forfeit = record.forfeits.at(replay.badForfeit);
        return verdict(1,
                       QStringLiteral("弃奖记录与摇号不符：第%1轮后标记弃奖的[%2]不是当时已抽出且未弃奖的中奖者。")
                           .arg(forfeit.afterRounds)
                           .arg(forfeit.entry));
    }

    const QByteArray expected =
        QCryptographicHash::hash(encodeResults(replay.log, replay.list.encoding), QCryptographicHash::Sha256);
    const QString results = resultsPathForRecord(recordPath);
    QFile saved(results);
    if (!saved.open(QIODevice::ReadOnly))
        return verdict(1, QStringLiteral("找不到结果文件%1，无法核对它。").arg(native(results)));
    const QByteArray actual = QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Sha256);
    if (actual != record.resultsSha256 || actual != expected)
        return verdict(1, QStringLiteral("结果文件与记录不符：%1的内容不是这次摇号的结果。").arg(native(results)));
    return verdict(0,
                   QStringLiteral("核对无误：名单、种子和全部%1轮的中奖者都与记录一致，%2也与记录相符。")
                       .arg(record.rounds.size())
                       .arg(QFileInfo(results).fileName()));
}

Verdict fingerprintOf(const QString &listPath)
{
    QFile file(listPath);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!QFileInfo(listPath).isFile() || !file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return verdict(2, QStringLiteral("无法读取名单%1。").arg(native(listPath)));
    const QByteArray sha256 = hash.result();
    return verdict(0,
                   QStringLiteral("名单指纹 %1（SHA-256 %2）：%3")
                       .arg(listFingerprint(sha256), QString::fromLatin1(sha256.toHex()), native(listPath)));
}

} // namespace taviro
