#include "verify.h"

#include "lists/candidate_list.h"
#include "lists/list_messages.h"
#include "draw/draw_replay.h"
#include "lists/legacy_text.h"
#include "lists/workbook.h"
#include "output/draw_record.h"
#include "output/results_file.h"
#include "output/results_workbook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

namespace taviro {

namespace {

Verdict verdict(int status, const QString &sentence) { return {status, sentence}; }

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

QString names(const QStringList &winners)
{
    return winners.isEmpty() ? QStringLiteral("（无人）") : winners.join(QStringLiteral("、"));
}

// Which prize a round was drawn for, in words: "是为“一等奖”抽的", or none.
QString prizeSaid(const QString &prize)
{
    return prize.isEmpty() ? QStringLiteral("不属于任何奖项") : QStringLiteral("是为“%1”抽的").arg(prize);
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

// A file beside the record, named the way the record was given: "bonus.txt"
// beside "摇号记录.txt", "活动/bonus.txt" beside "活动/摇号记录.txt".
QString beside(const QString &recordPath, const QString &name)
{
    return recordPath.left(QDir::fromNativeSeparators(recordPath).lastIndexOf(QLatin1Char('/')) + 1) + name;
}

// Opens the file for reading; when it cannot, `why` says why in Chinese (the system's words are English).
bool openToRead(QFile &file, QString &why)
{
    if (QFileInfo(file.fileName()).isFile() && file.open(QIODevice::ReadOnly))
        return true;
    why = msg::fileProblem(file.fileName());
    return false;
}

// `text` in `encoding`, with its mark; empty when that encoding cannot hold it.
QByteArray writtenIn(const QString &text, ListEncoding encoding)
{
    const auto utf16 = [&](QStringConverter::Encoding order) {
        return QByteArray(QStringEncoder(order, QStringConverter::Flag::WriteBom).encode(text));
    };
    switch (encoding) {
    case ListEncoding::Gbk: {
        const QByteArray bytes = encodeLegacyText(text);
        return decodeLegacyText(bytes) == text ? bytes : QByteArray();
    }
    case ListEncoding::Utf8:
        return text.toUtf8();
    case ListEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case ListEncoding::Utf16Le:
        return utf16(QStringConverter::Utf16LE);
    case ListEncoding::Utf16Be:
        return utf16(QStringConverter::Utf16BE);
    case ListEncoding::Xlsx:
        break;
    }
    return {};
}

// Whether the list holds the very lines of the recorded one, saved again
// with other line ends or in another encoding: written in the recorded
// encoding with one kind of line end, they are the recorded bytes.
bool sameLinesSavedOtherwise(const QString &listPath, const ListFacts &recorded)
{
    QFile file(listPath);
    if (recorded.encoding == ListEncoding::Xlsx || !file.open(QIODevice::ReadOnly))
        return false;
    const CandidateFile read = readCandidates(file);
    if (read.status != CandidateFile::Status::Ok)
        return false;
    for (const char *end : {"\r\n", "\n", "\r"}) {
        for (const bool endsLast : {true, false}) {
            const QString text = read.lines.join(QLatin1String(end)) + (endsLast && !read.lines.isEmpty() ? end : "");
            const QByteArray bytes = writtenIn(text, recorded.encoding);
            if (!bytes.isEmpty() && bytes.size() == recorded.size
                && QCryptographicHash::hash(bytes, QCryptographicHash::Sha256) == recorded.sha256)
                return true;
        }
    }
    return false;
}

// The facts the record states of the list beyond its SHA-256, compared with
// the list's; empty when they all agree.
QString listFactsDiffer(const QString &shown, const ListFacts &list, const ListFacts &recorded)
{
    const QString start = QStringLiteral("名单与记录不符：");
    if (list.size != recorded.size)
        return start
            + QStringLiteral("%1有%2字节，记录中的名单字节数是%3。").arg(shown).arg(list.size).arg(recorded.size);
    if (list.encoding != recorded.encoding)
        return start
            + QStringLiteral("%1的编码是%2，记录中是%3。")
                  .arg(shown, encodingName(list.encoding), encodingName(recorded.encoding));
    if (list.count != recorded.count)
        return start
            + QStringLiteral("%1中有%2名候选人，记录中是%3名。").arg(shown).arg(list.count).arg(recorded.count);
    return {};
}

// The workbook saved with the results, read back by the program's own reader:
// its rows must be the draw's, and its bytes those the record names. Empty
// when they are.
QString workbookDiffers(const QString &path, const DrawRecord &record, const QStringList &heading)
{
    QFile file(path);
    QString why;
    if (!QFileInfo::exists(path))
        return QStringLiteral("找不到工作簿%1，无法核对它。").arg(native(path));
    if (!openToRead(file, why))
        return QStringLiteral("无法读取工作簿%1（%2），无法核对它。").arg(native(path), why);
    const QByteArray bytes = file.readAll();
    // The list's columns and five of the program's own, a row per candidate and one of titles.
    const Worksheet sheet = readFirstWorksheet(bytes, kMaxCandidates + 1, kMaxListColumns + 5, 2 * kMaxCandidateBytes);
    if (sheet.status != Worksheet::Status::Ok)
        return QStringLiteral("工作簿与记录不符：无法读取%1。").arg(native(path));
    const QStringList expected =
        shownLines(resultsTable(record.rounds, record.forfeits, !record.plan.isEmpty(), heading));
    for (qsizetype i = 0; i < std::max(expected.size(), sheet.rows.size()); ++i) {
        if (sheet.rows.value(i) != expected.value(i))
            return QStringLiteral("工作簿与记录不符：%1的第%2行不是这次摇号的结果，应当是“%3”。")
                .arg(native(path), QString::number(i + 1),
                     expected.value(i).replace(QLatin1Char('\t'), QStringLiteral("、")));
    }
    if (QCryptographicHash::hash(bytes, QCryptographicHash::Sha256) != record.workbookSha256)
        return QStringLiteral("工作簿与记录不符：%1中的各行都是这次摇号的结果，但它不是当时保存的那个文件。")
            .arg(native(path));
    return {};
}

} // namespace

Verdict verifyRecord(const QString &recordPath, const QString &listPath)
{
    QFile file(recordPath);
    if (QString why; !openToRead(file, why))
        return verdict(2, QStringLiteral("无法读取摇号记录%1（%2）。").arg(native(recordPath), why));
    const ParsedRecord parsed = parseRecord(file.readAll());
    if (!parsed.ok)
        return verdict(2, QStringLiteral("无法读取摇号记录%1：%2。").arg(native(recordPath), parsed.error));
    const DrawRecord &record = parsed.record;

    const QString list = listPath.isEmpty() ? beside(recordPath, record.list.fileName) : listPath;
    if (record.generator != generatorName())
        return verdict(1,
                       QStringLiteral("随机数生成器不同：记录用的是“%1”，本程序用的是“%2”。")
                           .arg(record.generator, generatorName()));
    if (record.seed.commitment() != record.seedSha256)
        return verdict(1, QStringLiteral("种子与记录不符：记录中的种子与它的SHA-256对不上。"));

    if (!QFileInfo::exists(list))
        return verdict(1, QStringLiteral("找不到名单%1，无法核对。").arg(native(list)));
    QString why;
    if (QFile listed(list); !openToRead(listed, why))
        return verdict(1, QStringLiteral("无法读取名单%1（%2），无法核对。").arg(native(list), why));
    const Replay replay = replayDraw(list, record.seed, record.plan, record.rounds, record.list.choices,
                                     record.forfeits, record.list.excluded);
    if (replay.init.kind == InitResult::Kind::ChoicesDoNotFit && replay.list.sha256 == record.list.sha256) {
        const ListChoices &said = record.list.choices;
        const ListQuestions &found = replay.init.questions;
        return verdict(1,
                       QStringLiteral("名单与记录不符：记录中说%1，而%2中%3。")
                           .arg(linesSaid(said.heading != ListChoices::Heading::NotAsked, said.blankLines),
                                native(list), linesSaid(!found.heading.isEmpty(), found.blankLines)));
    }
    if (replay.list.sha256 != record.list.sha256 || replay.init.kind != InitResult::Kind::Ready) {
        // The same names saved again by an editor are still not the bytes that were drawn from.
        const QString otherwise = replay.list.sha256 != record.list.sha256 && sameLinesSavedOtherwise(list, record.list)
            ? QStringLiteral("（名单中的名字相同，只是换行符或编码不同：请用原来的文件核对）")
            : QString();
        return verdict(
            1,
            QStringLiteral("名单与记录不符：%1的名单指纹是%2，记录中是%3。")
                    .arg(native(list), listFingerprint(replay.list.sha256), listFingerprint(record.list.sha256))
                + otherwise);
    }
    if (const QString differs = listFactsDiffer(native(list), replay.list, record.list); !differs.isEmpty())
        return verdict(1, differs);
    if (replay.firstDifference >= 0) {
        const DrawRound &recorded = record.rounds.at(replay.firstDifference);
        const DrawRound again =
            replay.firstDifference < replay.rounds.size() ? replay.rounds.at(replay.firstDifference) : DrawRound();
        // The same winners drawn for another prize: the record claims a prize the plan did not give that round.
        if (replay.firstDifference < replay.rounds.size() && again.winners == recorded.winners
            && again.prize != recorded.prize)
            return verdict(1,
                           QStringLiteral("%1与记录不符：按记录中的奖项重新摇号，这一轮%2，记录中%3。")
                               .arg(roundName(recorded), prizeSaid(again.prize), prizeSaid(recorded.prize)));
        return verdict(1,
                       QStringLiteral("%1与记录不符：按记录中的名单、种子和人数重新摇号，中奖者是%2，记录中是%3。")
                           .arg(roundName(recorded), names(again.winners), names(recorded.winners)));
    }

    if (replay.badForfeit >= 0) {
        const Forfeit &forfeit = record.forfeits.at(replay.badForfeit);
        return verdict(1,
                       QStringLiteral("弃奖记录与摇号不符：第%1轮后标记弃奖的[%2]不是当时已抽出且未弃奖的中奖者。")
                           .arg(forfeit.afterRounds)
                           .arg(forfeit.entry));
    }

    // The results as the draw gives them, in the encoding the one rule of
    // saving gives them: the record must state it, and the file be them.
    const QByteArray again = encodeResults(replay.log, replay.list.encoding);
    const QByteArray expected = QCryptographicHash::hash(again, QCryptographicHash::Sha256);
    const QString results = resultsPathForRecord(recordPath);
    QFile saved(results);
    if (!QFileInfo::exists(results))
        return verdict(1, QStringLiteral("找不到结果文件%1，无法核对它。").arg(native(results)));
    if (!openToRead(saved, why))
        return verdict(1, QStringLiteral("无法读取结果文件%1（%2），无法核对它。").arg(native(results), why));
    const QByteArray actual = QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Sha256);
    if (actual != record.resultsSha256 || actual != expected)
        return verdict(1, QStringLiteral("结果文件与记录不符：%1的内容不是这次摇号的结果。").arg(native(results)));
    const ListEncoding said = record.resultsEncoding.value_or(plainResultsEncoding(record.list.encoding));
    if (said != writtenEncodingOf(again))
        return verdict(1,
                       QStringLiteral("结果文件与记录不符：记录中说%1的编码是%2，这次摇号的结果应当是%3。")
                           .arg(native(results), encodingName(said), encodingName(writtenEncodingOf(again))));
    QString checked = QFileInfo(results).fileName();
    if (!record.workbookFile.isEmpty()) {
        const QString workbook = workbookPathForResults(results);
        if (const QString differs = workbookDiffers(workbook, record, replay.heading); !differs.isEmpty())
            return verdict(1, differs);
        checked += QStringLiteral("和") + QFileInfo(workbook).fileName();
    }
    return verdict(0,
                   QStringLiteral("核对无误：名单、种子和全部%1轮的中奖者都与记录一致，%2也与记录相符。")
                       .arg(record.rounds.size())
                       .arg(checked));
}

Verdict fingerprintOf(const QString &listPath)
{
    QFile file(listPath);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QString why;
    if (!openToRead(file, why) || !hash.addData(&file))
        return verdict(2,
                       QStringLiteral("无法读取名单%1（%2）。")
                           .arg(native(listPath), why.isEmpty() ? msg::fileProblem(listPath) : why));
    const QByteArray sha256 = hash.result();
    return verdict(0,
                   QStringLiteral("名单指纹 %1（SHA-256 %2）：%3")
                       .arg(listFingerprint(sha256), QString::fromLatin1(sha256.toHex()), native(listPath)));
}

} // namespace taviro
