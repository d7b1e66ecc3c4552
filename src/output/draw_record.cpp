#include "draw_record.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace taviro {

namespace {

const QString kHeading = QStringLiteral("Taviro 摇号记录");
const QString kEnd = QStringLiteral("记录结束");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kRecordStem = QStringLiteral("摇号记录");
const QString kResultsStem = QStringLiteral("摇号结果");

QString hex(const QByteArray &bytes) { return QString::fromLatin1(bytes.toHex()); }

// Only the name changes: the folder stays as the path gives it, so that a
// message names the file as the user typed its record ("摇号结果.txt", not
// "./摇号结果.txt").
QString renamed(const QString &path, const QString &from, const QString &to)
{
    const qsizetype name = QDir::fromNativeSeparators(path).lastIndexOf(QLatin1Char('/')) + 1;
    if (!QStringView(path).mid(name).startsWith(from))
        return path;
    return path.left(name) + to + path.mid(name + from.size());
}

ParsedRecord refused(const QString &why)
{
    ParsedRecord parsed;
    parsed.error = why;
    return parsed;
}

// The answers about the list's heading and blank lines, as fields; none when
// nothing was asked, so that such a record reads as it did before.
QStringList choiceFields(const ListChoices &choices)
{
    QStringList fields;
    if (!choices.stated)
        return fields;
    if (choices.heading != ListChoices::Heading::NotAsked)
        fields << QStringLiteral("表头\t")
                + (choices.heading == ListChoices::Heading::LeftOut ? QStringLiteral("是") : QStringLiteral("否"));
    QStringList numbers;
    for (int line : choices.blankLines)
        numbers.append(QString::number(line));
    if (!numbers.isEmpty())
        fields << QStringLiteral("空行\t") + (choices.blanksLeftOut ? QStringLiteral("不参加") : QStringLiteral("参加"))
                + QLatin1Char('\t') + numbers.join(QLatin1Char(','));
    return fields;
}

// A record without either field states no answer: every line takes part.
bool parseChoices(const QHash<QString, QString> &fields, ListChoices &choices)
{
    const bool heading = fields.contains(QStringLiteral("表头")), blanks = fields.contains(QStringLiteral("空行"));
    choices = heading || blanks ? ListChoices() : ListChoices::everyLine();
    const QString said = fields.value(QStringLiteral("表头"));
    if (heading && said != QStringLiteral("是") && said != QStringLiteral("否"))
        return false;
    if (heading)
        choices.heading =
            said == QStringLiteral("是") ? ListChoices::Heading::LeftOut : ListChoices::Heading::TakesPart;
    static const QRegularExpression blankField(QStringLiteral("^(不?参加)\\t([1-9]\\d{0,4}(?:,[1-9]\\d{0,4})*)$"));
    const QRegularExpressionMatch m = blankField.match(fields.value(QStringLiteral("空行")));
    if (blanks && !m.hasMatch())
        return false;
    choices.blanksLeftOut = m.captured(1) == QStringLiteral("不参加");
    for (const QString &line : m.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts))
        choices.blankLines.append(line.toInt());
    return true;
}

// The earlier winners left out: how many texts the files named, their
// SHA-256 (exclusionSha256) and the lines they left out; no field when none
// were named, so that such a record reads as it did before.
QStringList exclusionFields(const Exclusion &excluded)
{
    if (!excluded.any())
        return {};
    QStringList numbers;
    for (int line : excluded.lines)
        numbers.append(QString::number(line));
    return {QStringLiteral("排除\t%1\t").arg(excluded.textCount) + hex(excluded.sha256) + QLatin1Char('\t')
            + numbers.join(QLatin1Char(','))};
}

bool parseExclusion(const QHash<QString, QString> &fields, Exclusion &excluded)
{
    if (!fields.contains(QStringLiteral("排除")))
        return true;
    static const QRegularExpression field(
        QStringLiteral("^([1-9]\\d{0,8})\\t([0-9a-f]{64})\\t((?:[1-9]\\d{0,4}(?:,[1-9]\\d{0,4})*)?)$"));
    const QRegularExpressionMatch m = field.match(fields.value(QStringLiteral("排除")));
    if (!m.hasMatch())
        return false;
    excluded.textCount = m.captured(1).toInt();
    excluded.sha256 = QByteArray::fromHex(m.captured(2).toLatin1());
    for (const QString &line : m.captured(3).split(QLatin1Char(','), Qt::SkipEmptyParts))
        excluded.lines.append(line.toInt());
    return true;
}

} // namespace

QString recordFileName() { return kRecordStem + QStringLiteral(".txt"); }

QString resultsPathForRecord(const QString &recordPath) { return renamed(recordPath, kRecordStem, kResultsStem); }

QString recordPathForResults(const QString &resultsPath) { return renamed(resultsPath, kResultsStem, kRecordStem); }

QByteArray encodeRecord(const DrawRecord &r)
{
    QStringList lines{kHeading};
    const auto field = [&](const QString &name, const QString &value) { lines << name + QLatin1Char('\t') + value; };
    field(QStringLiteral("程序"), r.program);
    field(QStringLiteral("名单文件"), r.list.fileName);
    field(QStringLiteral("名单字节数"), QString::number(r.list.size));
    field(QStringLiteral("名单SHA-256"), hex(r.list.sha256));
    field(QStringLiteral("名单编码"), encodingName(r.list.encoding));
    field(QStringLiteral("候选人数"), QString::number(r.list.count));
    lines << choiceFields(r.list.choices) << exclusionFields(r.list.excluded);
    field(QStringLiteral("种子类型"),
          r.seed.kind == DrawSeed::Kind::Public ? QStringLiteral("公开") : QStringLiteral("系统"));
    field(QStringLiteral("种子"), r.seed.text());
    field(QStringLiteral("种子SHA-256"), hex(r.seed.commitment()));
    field(QStringLiteral("随机数生成器"), r.generator);
    for (const Prize &prize : r.plan)
        field(QStringLiteral("奖项"), prize.name + QLatin1Char('\t') + QString::number(prize.count));
    auto forfeit = r.forfeits.cbegin();
    int drawn = 0;
    for (const DrawRound &round : r.rounds) {
        ++drawn;
        const QString time = QLocale::c().toString(round.at, kTimeFormat);
        const QString prize = round.prize.isEmpty() ? QString() : QLatin1Char('\t') + round.prize;
        if (round.number > 0)
            lines << QStringLiteral("第%1轮\t抽取%2人\t%3").arg(round.number).arg(round.count).arg(time) + prize;
        else
            lines << QStringLiteral("最后一组\t%1人\t%2").arg(round.count).arg(time) + prize;
        for (int i = 0; i < round.winners.size(); ++i)
            lines << QStringLiteral("[%1]:\t").arg(round.firstEntry + i) + round.winners.at(i);
        // The forfeits made before the next round, where they were made.
        for (; forfeit != r.forfeits.cend() && forfeit->afterRounds <= drawn; ++forfeit)
            lines << QStringLiteral("弃奖\t[%1]\t").arg(forfeit->entry)
                    + QLocale::c().toString(forfeit->at, kTimeFormat);
    }
    field(QStringLiteral("结果文件"), r.resultsFile);
    if (r.resultsEncoding)
        field(QStringLiteral("结果编码"), encodingName(*r.resultsEncoding));
    field(QStringLiteral("结果SHA-256"), hex(r.resultsSha256));
    if (!r.workbookFile.isEmpty()) {
        field(QStringLiteral("工作簿文件"), r.workbookFile);
        field(QStringLiteral("工作簿SHA-256"), hex(r.workbookSha256));
    }
    lines << kEnd;
    return QByteArray("\xEF\xBB\xBF") + lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

ParsedRecord parseRecord(const QByteArray &bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return refused(QStringLiteral("它不是Taviro的摇号记录（开头不对）"));
    QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    if (lines.isEmpty() || lines.first() != kHeading)
        return refused(QStringLiteral("它不是Taviro的摇号记录（开头不对）"));
    if (lines.size() < 2 || lines.last() != QString() || lines.at(lines.size() - 2) != kEnd)
        return refused(QStringLiteral("记录不完整，缺少最后的“") + kEnd + QStringLiteral("”一行"));

    static const QRegularExpression roundLine(QStringLiteral("^第(\\d+)轮\\t抽取(\\d+)人\\t([^\\t]+)(?:\\t(.+))?$"));
    static const QRegularExpression groupLine(QStringLiteral("^最后一组\\t(\\d+)人\\t([^\\t]+)(?:\\t(.+))?$"));
    static const QRegularExpression entryLine(QStringLiteral("^\\[(\\d+)\\]:\\t(.*)$"));
    static const QRegularExpression forfeitLine(QStringLiteral("^弃奖\\t\\[(\\d+)\\]\\t([^\\t]+)$"));
    ParsedRecord parsed;
    DrawRecord &r = parsed.record;
    QHash<QString, QString> fields;
    int nextEntry = 1;
    for (int i = 1; i < lines.size() - 2; ++i) {
        const QString &line = lines.at(i);
        const QString where = QStringLiteral("第%1行").arg(i + 1);
        QRegularExpressionMatch m;
        const bool group = groupLine.match(line).hasMatch();
        if ((m = group ? groupLine.match(line) : roundLine.match(line)).hasMatch()) {
            DrawRound round;
            round.number = group ? 0 : m.captured(1).toInt();
            round.count = m.captured(group ? 1 : 2).toInt();
            round.firstEntry = nextEntry;
            round.at = QLocale::c().toDateTime(m.captured(group ? 2 : 3), kTimeFormat);
            round.prize = m.captured(group ? 3 : 4);
            if (!round.at.isValid() || (!group && round.number != r.rounds.size() + 1))
                return refused(where + QStringLiteral("的轮次不对"));
            r.rounds.append(round);
        } else if ((m = entryLine.match(line)).hasMatch()) {
            if (r.rounds.isEmpty() || m.captured(1).toInt() != nextEntry)
                return refused(where + QStringLiteral("的中奖序号不对"));
            r.rounds.last().winners.append(m.captured(2));
            ++nextEntry;
        } else if ((m = forfeitLine.match(line)).hasMatch()) {
            const Forfeit forfeit{m.captured(1).toInt(), QLocale::c().toDateTime(m.captured(2), kTimeFormat),
                                  int(r.rounds.size())};
            if (!forfeit.at.isValid() || forfeit.entry < 1 || forfeit.entry >= nextEntry)
                return refused(where + QStringLiteral("的弃奖写法不对"));
            r.forfeits.append(forfeit);
        } else if (line.startsWith(QStringLiteral("奖项\t"))) {
            // The count follows the last tab; the name may hold tabs of its own.
            const qsizetype tab = line.lastIndexOf(QLatin1Char('\t'));
            const QString name = line.mid(3, tab - 3);
            Prize prize;
            if (tab <= 3 || !parsePrizeLine(name + QLatin1Char(' ') + line.mid(tab + 1), prize) || prize.name != name)
                return refused(where + QStringLiteral("的奖项写法不对"));
            r.plan.append(prize);
        } else if (const qsizetype tab = line.indexOf(QLatin1Char('\t')); tab > 0) {
            fields.insert(line.left(tab), line.mid(tab + 1));
        } else {
            return refused(where + QStringLiteral("无法识别"));
        }
    }
    const QStringList needed{"程序",     "名单文件", "名单字节数",  "名单SHA-256",  "名单编码", "候选人数",
                             "种子类型", "种子",     "种子SHA-256", "随机数生成器", "结果文件", "结果SHA-256"};
    for (const QString &name : needed)
        if (!fields.contains(name))
            return refused(QStringLiteral("缺少“") + name + QStringLiteral("”一项"));
    r.program = fields.value("程序");
    r.list.fileName = fields.value("名单文件");
    r.list.size = fields.value("名单字节数").toLongLong();
    r.list.sha256 = QByteArray::fromHex(fields.value("名单SHA-256").toLatin1());
    r.list.count = fields.value("候选人数").toInt();
    if (!parseChoices(fields, r.list.choices))
        return refused(QStringLiteral("“表头”或“空行”一项的写法不对"));
    if (!parseExclusion(fields, r.list.excluded))
        return refused(QStringLiteral("“排除”一项的写法不对"));
    const bool known = encodingNamed(fields.value("名单编码"), r.list.encoding);
    const QString kind = fields.value("种子类型");
    r.seed = kind == QStringLiteral("公开") ? DrawSeed::publicText(fields.value("种子"))
                                            : DrawSeed::systemFromHex(fields.value("种子"));
    if (!known || r.list.sha256.size() != 32 || (kind != QStringLiteral("公开") && kind != QStringLiteral("系统"))
        || !r.seed.isValid())
        return refused(QStringLiteral("名单编码、名单SHA-256或种子的写法不对"));
    r.seedSha256 = QByteArray::fromHex(fields.value("种子SHA-256").toLatin1());
    r.generator = fields.value("随机数生成器");
    r.resultsFile = fields.value("结果文件");
    r.resultsSha256 = QByteArray::fromHex(fields.value("结果SHA-256").toLatin1());
    if (fields.contains(QStringLiteral("结果编码"))) {
        ListEncoding results;
        if (!encodingNamed(fields.value(QStringLiteral("结果编码")), results))
            return refused(QStringLiteral("“结果编码”一项的写法不对"));
        r.resultsEncoding = results;
    }
    r.workbookFile = fields.value(QStringLiteral("工作簿文件"));
    r.workbookSha256 = QByteArray::fromHex(fields.value(QStringLiteral("工作簿SHA-256")).toLatin1());
    if (r.workbookFile.isEmpty() != r.workbookSha256.isEmpty()
        || (!r.workbookFile.isEmpty() && r.workbookSha256.size() != 32))
        return refused(QStringLiteral("“工作簿文件”或“工作簿SHA-256”一项的写法不对"));
    parsed.ok = true;
    return parsed;
}

} // namespace taviro
