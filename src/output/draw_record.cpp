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

QString renamed(const QString &path, const QString &from, const QString &to)
{
    const QFileInfo info(path);
    QString name = info.fileName();
    if (name.startsWith(from))
        name.replace(0, from.size(), to);
    return info.dir().filePath(name);
}

ParsedRecord refused(const QString &why)
{
    ParsedRecord parsed;
    parsed.error = why;
    return parsed;
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
    field(QStringLiteral("种子类型"),
          r.seed.kind == DrawSeed::Kind::Public ? QStringLiteral("公开") : QStringLiteral("系统"));
    field(QStringLiteral("种子"), r.seed.text());
    field(QStringLiteral("种子SHA-256"), hex(r.seed.commitment()));
    field(QStringLiteral("随机数生成器"), r.generator);
    for (const Prize &prize : r.plan)
        field(QStringLiteral("奖项"), prize.name + QLatin1Char('\t') + QString::number(prize.count));
    for (const DrawRound &round : r.rounds) {
        const QString time = QLocale::c().toString(round.at, kTimeFormat);
        const QString prize = round.prize.isEmpty() ? QString() : QLatin1Char('\t') + round.prize;
        if (round.number > 0)
            lines << QStringLiteral("第%1轮\t抽取%2人\t%3").arg(round.number).arg(round.count).arg(time) + prize;
        else
            lines << QStringLiteral("最后一组\t%1人\t%2").arg(round.count).arg(time) + prize;
        for (int i = 0; i < round.winners.size(); ++i)
            lines << QStringLiteral("[%1]:\t").arg(round.firstEntry + i) + round.winners.at(i);
    }
    field(QStringLiteral("结果文件"), r.resultsFile);
    field(QStringLiteral("结果SHA-256"), hex(r.resultsSha256));
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
        } else if (line.startsWith(QStringLiteral("奖项\t"))) {
            Prize prize;
            if (!parsePrizeLine(line.mid(3).replace(QLatin1Char('\t'), QLatin1Char(' ')), prize))
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
    parsed.ok = true;
    return parsed;
}

} // namespace taviro
