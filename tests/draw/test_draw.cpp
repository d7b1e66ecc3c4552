// The draw engine: the list's line rules (text, workbook, CSV), rounds, the roll, the generator, fairness, replay.
#include "draw/candidate_list.h"
#include "draw/draw_random.h"
#include "draw/draw_replay.h"
#include "draw/seeded_randomiser.h"
#include "doubles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace taviro;
using Kind = InitResult::Kind;
using SK = StartResult::Kind;

const DrawSeed kSeed = DrawSeed::publicText("0");

// `bytes` and `hole` NUL bytes (sparse; -1 a folder, -2 a named pipe), and what reading it gives.
struct File
{
    QByteArray bytes;
    QStringList lines;
    Kind kind = Kind::Ready;
    int count = -1; // lines.size()
    qint64 hole = 0;
    QString name = "bonus.txt"; // or bonus.xlsx, bonus.csv: the file Initialise reads
    QString message = {}; // word for word, where the kind's pattern says too little
};
// Starts with the count box's texts (split at "|") and their outcomes; the candidates left, the winners as logged,
// the draw order and each round's ranks.
struct Rounds
{
    QString texts;
    QList<StartResult::Kind> kinds;
    QList<int> left;
    QString winners = {};
    QList<QVector<int>> arrays = {};
};
Q_DECLARE_METATYPE(File)
Q_DECLARE_METATYPE(Rounds)
Q_DECLARE_METATYPE(QList<taviro::Prize>)

class TestDraw : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString bonus() const { return m_dir.filePath("bonus.txt"); }
    bool write(const QByteArray &bytes) const { return writeAll(bonus(), bytes); }

private slots:
    void init() { QFile::remove(bonus()) || QDir().rmdir(bonus()); }
    void lineRules_data()
    {
        QTest::addColumn<File>("file");
        const QByteArray lines10000 = numberedLines(10000).chopped(2);
        QTest::newRow("LF ends a record too, no final line end") << File{"A\n\r\n\nB", {"A", "", "", "B"}};
        QTest::newRow("lone CRs, blank lines") << File{"A\rB\r\r\rC\r\n\r\n", {"A", "B", "", "", "C", ""}};
        QTest::newRow("GBK, line 2 undecodable") << File{"A\r\n\xB0\r\nC", {}, Kind::Undecodable, 3};
        QTest::newRow("10000 lines") << File{lines10000, QString::fromLatin1(lines10000).split("\r\n")};
        QTest::newRow("empty") << File{"", {}, Kind::TooFew};
        QTest::newRow("one line") << File{"A", {}, Kind::TooFew, 1};
        QTest::newRow("only CR LF") << File{"\r\n", {}, Kind::TooFew, 1};
        QTest::newRow("10001 lines") << File{lines10000 + "\rL", {}, Kind::TooMany, 10001};
        QTest::newRow("counting stops at 20001: 256 GiB")
            << File{QByteArray(kMaxListLines + 1, '\r'), {}, Kind::TooMany, kMaxListLines + 1, 1LL << 38};
        QTest::newRow("3 lines, 65 MiB") << File{"A\r\nB\r\n", {}, Kind::TooLarge, 3, 65 << 20};
        QTest::newRow("folder") << File{"", {}, Kind::Missing, 0, -1};
        QTest::newRow("named pipe") << File{"", {}, Kind::Unreadable, 0, -2};
        // Workbooks written by real spreadsheet writers (tests/data/make_workbooks.py) and CSV files: the first sheet's
        // used rows as Excel pastes them, cells apart by tabs, numbers as Excel shows them.
        const auto as = [](const QString &name, File file) {
            file.name = name;
            return file;
        };
        const auto book = [&](const char *name, File file) {
            file.bytes = readAll(TAVIRO_TEST_DATA "/workbooks/" + QString(name));
            return as("bonus.xlsx", file);
        };
        const QStringList staff{"工号\t姓名\t部门",
                                "0012\t刘䶮\t研发部",
                                "13\t𠮷田\t",
                                "\t\t",
                                "\t王 小二\t3.5",
                                "000123\t2026-12-07\t25%",
                                "1,234,567.89\t2026/12/7 9:30\t第一行 第二行"};
        QTest::newRow("bonus.xlsx: shared strings, formats, a date, blanks, 2 sheets")
            << book("staff.xlsx", File{{}, staff});
        QTest::newRow("bonus.xlsx: inline strings, a boolean")
            << book("inline.xlsx", File{{}, {"张三\t", "李四\tTRUE"}});
        QTest::newRow("bonus.xlsx: damaged") << book("damaged.xlsx", File{{}, {}, Kind::BadWorkbook, 0});
        QTest::newRow("bonus.xlsx: an old .xls renamed") << book("old.xlsx", File{{}, {}, Kind::BadWorkbook, 0});
        // Crafted and damaged workbooks (tests/data/make_crafted_workbooks.py): a worksheet's target above the root,
        // entities, shared strings that are not there, bad XML, a missing part, a part of 3 GB: each damaged.
        const auto says = [&](const char *name, Kind kind, int count, const QString &message) {
            File file = book(name, File{{}, {}, kind, count});
            file.message = message;
            return file;
        };
        for (const char *name : {"climbing", "absolute", "billion-laughs", "external-entity", "index-huge",
                                 "index-negative", "bad-xml", "missing-part", "bomb"})
            QTest::addRow("bonus.xlsx: %s", name)
                << says((name + QString(".xlsx")).toUtf8(), Kind::BadWorkbook, 0,
                        "bonus.xlsx已经损坏，或者不是Excel工作簿，无法读取。请在Excel或WPS中打开它，点“另存为”，"
                        "保存为“Excel 工作簿(*.xlsx)”（不设密码），或者保存为“文本文件(制表符分隔)(*.txt)”"
                        "并命名为bonus.txt，然后再点击初始化。");
        QTest::newRow("bonus.xlsx: a stray cell at XFD1")
            << says("stray-cell.xlsx", Kind::TooLarge, 0,
                    "bonus.xlsx的工作表用到了XFD1单元格，每一行都会有16384列；请删除多余的单元格后另存");
        QTest::newRow("bonus.xlsx: a stray cell at A1048576")
            << says("far-row.xlsx", Kind::TooMany, kMaxListLines + 1,
                    "bonus.xlsx的工作表用到了A1048576单元格，名单会超过20000行；请删除多余的单元格后另存");
        QTest::newRow("bonus.xlsx: 23:59:59.7 is 0:00 of the next day")
            << book("midnight.xlsx", File{{}, {"张三\t2026/12/8 0:00", "李四\t"}});
        QTest::newRow("bonus.xlsx: column AA is the 27th")
            << book("columns.xlsx", File{{}, {"张三" + QString(26, '\t') + "乙", "李四" + QString(26, '\t')}});
        QTest::newRow("bonus.xlsx: a shared string in two runs is one")
            << book("rich-text.xlsx", File{{}, {"张三", "李四"}});
        QTest::newRow("bonus.csv: UTF-8 (Excel): mark, quotes, a comma and a line end inside")
            << as("bonus.csv",
                  File{QByteArray("\xEF\xBB\xBF") + "0012,\"\xE5\x88\x98,\xE4\xB6\xAE\"\r\n13,\"a \"\"b\"\"\r\nc\"\r\n",
                       {"0012\t刘,䶮", "13\ta \"b\" c"}});
        QTest::newRow("bonus.csv: Excel's GBK, empty fields, a blank line")
            << as("bonus.csv", File{"\xD5\xC5\xC8\xFD,,\r\n\r\nx,y", {"张三\t\t", "", "x\ty"}});
        QTest::newRow("bonus.csv: line 2 undecodable")
            << as("bonus.csv", File{"A\r\n\xB0\r\nC", {}, Kind::Undecodable, 3});
    }
    void lineRules()
    {
        QFETCH(File, file);
        const QString path = m_dir.filePath(file.name);
#ifdef Q_OS_UNIX
        QVERIFY(file.hole != -2 || ::mkfifo(QFile::encodeName(path), 0600) == 0);
#else
        if (file.hole == -2)
            QSKIP("Windows has no named pipes in a folder");
#endif
        QVERIFY(file.hole == -2 || (file.hole == -1 ? QDir().mkdir(path) : writeAll(path, file.bytes)));
        QVERIFY(file.hole <= 0 || QFile::resize(path, file.bytes.size() + file.hole));
        ScriptedRandomiser rnd;
        DrawSession s(rnd);
        const InitResult r = s.initialise(path, kSeed, {}, ListChoices::everyLine()); // a heading, blank lines kept
        QCOMPARE(r.kind, file.kind);
        QCOMPARE(r.count, file.count < 0 ? file.lines.size() : file.count);
        QCOMPARE(s.candidates(), file.lines);
        const QHash<Kind, QString> messages{
            {Kind::Missing,
             "请在本程序旁建立文本文件bonus.txt，然后将您要抽奖的名单逐行输入或从其它文档复制剪贴到bonus.txt即可。"},
            {Kind::TooFew, "记录起码需要两条以上，请检查!"},
            {Kind::TooMany, "记录总数不要超过10000条！"},
            {Kind::Unreadable, "无法读取bonus.txt（它不是普通文件），请检查该文件后再点击初始化。"},
            {Kind::TooLarge, "bonus.txt太大了（超过64MB），请检查该文件是否为名单！"},
            {Kind::Undecodable,
             "bonus.txt的第2行有无法识别的字符，名单中的名字会显示成乱码，所以没有读入。*用记事本打开bonus.txt，*"},
            {Kind::BadWorkbook, "bonus.xlsx*"}};
        const QString named = QString(messages.value(r.kind)).replace("bonus.txt", file.name); // the file read, always
        const QString expected = QRegularExpression::escape(named).replace("\\*", "[\\s\\S]+");
        if (!file.message.isEmpty())
            QCOMPARE(r.message, file.message);
        else
            QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(expected)).match(r.message).hasMatch(),
                     qPrintable(r.message));
    }
    // A prize plan is read as a list is; one that is refused is named with the reason, never as a wrong line 0.
    void plans_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("hole"); // as File's
        QTest::addColumn<QString>("says");
        QTest::addColumn<QList<Prize>>("prizes");
        const QString longPlan = "奖项.txt太长了：最多写10000个奖项，连同空行最多20000行。请改正后再点击初始化。";
        QTest::newRow("100000 lines") << QByteArray("一等奖 1\r\n").repeated(100000) << 0LL << longPlan
                                      << QList<Prize>{};
        QTest::newRow("10001 prizes") << QByteArray("一等奖 1\r\n").repeated(10001) << 0LL << longPlan
                                      << QList<Prize>{};
        QTest::newRow("named pipe") << QByteArray() << -2LL
                                    << "无法读取奖项.txt（它不是普通文件），请检查该文件后再点击初始化。"
                                    << QList<Prize>{};
        QTest::newRow("65 MiB") << QByteArray("一等奖 1") << qint64(65) * 1024 * 1024
                                << "奖项.txt太大了（超过64MB），不像是奖项，请检查该文件后再点击初始化。"
                                << QList<Prize>{};
        QTest::newRow("GBK, line 2 undecodable")
            << QByteArray("A 1\r\n\xB0 2") << 0LL
            << "奖项.txt的第2行有无法识别的字符，奖项的名称会显示成乱码，所以没有读入。"
               "这个文件可能混用了两种编码，或者不是文本文件。\n"
               "请检查这一行，然后用记事本打开奖项.txt，点“另存为”，"
               "在“编码”中选择“UTF-8”或者“ANSI”（即GBK）保存，再点击初始化。"
            << QList<Prize>{};
        QTest::newRow("line 3 wrong")
            << QByteArray("一等奖 1\r\n\r\n二等奖") << 0LL
            << "奖项.txt的第3行写得不对：每行写一个奖项，先写名称，空一格，再写人数，例如“三等奖 10”。"
               "请改正后再点击初始化。"
            << QList<Prize>{};
        QTest::newRow("a tab inside a name") << QByteArray("三等奖\t10\r\n \r\n一等\t奖 1") << 0LL << QString()
                                             << QList<Prize>{{"三等奖", 10}, {"一等\t奖", 1}};
    }
    void plans()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, hole);
        const QString path = m_dir.filePath("奖项.txt");
        QFile::remove(path);
#ifdef Q_OS_UNIX
        QVERIFY(hole != -2 || ::mkfifo(QFile::encodeName(path), 0600) == 0);
#else
        if (hole == -2)
            QSKIP("Windows has no named pipes in a folder");
#endif
        QVERIFY(hole == -2 || writeAll(path, bytes));
        QVERIFY(hole <= 0 || QFile::resize(path, bytes.size() + hole));
        const PrizePlan plan = readPrizePlan(m_dir.path());
        QTEST(plan.message, "says");
        QTEST(plan.prizes, "prizes");
    }
    // Which first rows of workbooks and CSV files are a heading (text only, a common title or numbers or dates below
    // it; never a name, a row with a number, a text list's line), and which lines are blank; Initialise asks of them.
    void questions_data()
    {
        QTest::addColumn<QString>("name"); // the list Initialise reads
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("heading");
        QTest::addColumn<QVector<int>>("blanks");
        const auto book = [](const char *name) { return readAll(TAVIRO_TEST_DATA "/workbooks/" + QString(name)); };
        const QString xlsx = "bonus.xlsx", csv = "bonus.csv";
        QTest::newRow("workbook, titles")
            << xlsx << book("staff.xlsx") << QStringList{"工号", "姓名", "部门"} << QVector<int>{4};
        QTest::newRow("workbook, times below")
            << xlsx << book("dated.xlsx") << QStringList{"来宾", "入场时间"} << QVector<int>{4};
        QTest::newRow("CSV, titles inside cells")
            << csv << QByteArray("员工姓名,所在部门\r\n张三,研发部\r\n李四,市场部")
            << QStringList{"员工姓名", "所在部门"} << QVector<int>{};
        QTest::newRow("CSV, Latin titles") << csv << QByteArray("NAME,Employee ID,\r\nAnn,A7,\r\nBob,B8,x")
                                           << QStringList{"NAME", "Employee ID", ""} << QVector<int>{};
        QTest::newRow("CSV, numbers below, blank lines")
            << csv << QByteArray("座位,来宾\r\n12,张三\r\n,\r\n 7 ,李四\r\n\r\n31,王五") << QStringList{"座位", "来宾"}
            << QVector<int>{3, 5};
        QTest::newRow("workbook, names") << xlsx << book("inline.xlsx") << QStringList{} << QVector<int>{};
        QTest::newRow("workbook, numbers first") << xlsx << book("numbered.xlsx") << QStringList{} << QVector<int>{};
        QTest::newRow("CSV, names") << csv << QByteArray("张三\r\n李四\r\n王五") << QStringList{} << QVector<int>{};
        QTest::newRow("CSV, \"id\" inside a name")
            << csv << QByteArray("David,研发部\r\nAnn,市场部") << QStringList{} << QVector<int>{};
        QTest::newRow("CSV, numbers first")
            << csv << QByteArray("1001,张三\r\n1002,李四") << QStringList{} << QVector<int>{};
        QTest::newRow("text list, titles, blanks")
            << "bonus.txt" << QByteArray("姓名\t部门\r\n张三\r\n \t\xE3\x80\x80\r\n李四") << QStringList{}
            << QVector<int>{3};
    }
    void questions()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = m_dir.filePath(name);
        QVERIFY(writeAll(path, bytes));
        ScriptedRandomiser rnd;
        DrawSession s(rnd);
        const InitResult r = s.initialise(path, kSeed);
        QTEST(r.questions.heading, "heading");
        QTEST(r.questions.blankLines, "blanks");
        QCOMPARE(r.kind, r.questions.any() ? Kind::Questions : Kind::Ready); // asked first: nothing is drawn yet
        QCOMPARE(s.isInitialised(), !r.questions.any());
    }
    // A heading and blank lines left out change nothing else: the draw is that of a list without them (the worked
    // example); kept, they are candidates like any other. Answers about other lines than the list's are refused.
    void leftOut()
    {
        const QString csv = m_dir.filePath("bonus.csv");
        QVERIFY(write(numberedLines(10))
                && writeAll(csv, "姓名\r\n" + numberedLines(10).replace("L3\r\n", "L3\r\n\r\n \r\n")));
        const auto draw = [](const QString &path, const std::optional<ListChoices> &choices) {
            SeededRandomiser randomiser;
            DrawSession s(randomiser);
            const InitResult r = s.initialise(path, DrawSeed::publicText("07 23 41"), {}, choices);
            for (const char *count : {"3", "4", "1"})
                if (s.start(count).kind == SK::Rolling)
                    s.stop(), s.reveal();
            return std::make_tuple(r.kind, r.count, s.lineNumbers(), s.heading(), s.log().text());
        };
        using Heading = ListChoices::Heading;
        const auto [kind, count, lines, heading, log] = draw(csv, ListChoices{Heading::LeftOut, {5, 6}, true});
        QCOMPARE(count, 10);
        QCOMPARE(lines, (QVector<int>{2, 3, 4, 7, 8, 9, 10, 11, 12, 13}));
        QCOMPARE(heading, QStringList{"姓名"});
        QCOMPARE(log, std::get<4>(draw(bonus(), std::nullopt)));
        const auto kept = draw(csv, ListChoices{Heading::TakesPart, {5, 6}, false}); // no heading then
        QCOMPARE(std::make_pair(std::get<1>(kept), std::get<3>(kept)), std::make_pair(13, QStringList()));
        QCOMPARE(std::get<0>(draw(csv, ListChoices{Heading::LeftOut, {5, 7}, true})), Kind::ChoicesDoNotFit);
        QCOMPARE(std::get<0>(draw(csv, ListChoices{Heading::NotAsked, {5, 6}, true})), Kind::ChoicesDoNotFit);
    }
    void rounds_data()
    {
        QTest::addColumn<Rounds>("rounds");
        constexpr SK R = SK::Rolling, E = SK::Exhausted, L = SK::LastGroup, X = SK::Refused;
        QTest::newRow("worked example") << Rounds{"2|1", {R, R}, {18, 17}, "L2 L1 L3"};
        // Draw order (3, 5, 1, 4, 2): ranks (5, 2) are lines 2, 5; then (3, 1) of the rest lines 4, 3; line 1 is left.
        QTest::newRow("ranks through the draw order")
            << Rounds{"2|2|2|2", {R, R, L, E}, {3, 1, 0, 0}, "L5 L2 L4 L3 L1", {{3, 5, 1, 4, 2}, {5, 2}, {3, 1}}};
        QTest::newRow("6 by 3 in the draw order 6..1, then 1: the last group of 3, in draw order")
            << Rounds{"3|1", {R, L}, {3, 0}, "L6 L5 L4 L3 L2 L1", {{6, 5, 4, 3, 2, 1}}};
        QTest::newRow("10 by 3") << Rounds{"3|3|3|3|3", {R, R, R, L, E}, {7, 4, 1, 0, 0}};
        QTest::newRow("10 at once") << Rounds{"10|10", {R, E}, {0, 0}};
        QTest::newRow("5 left, 8 typed: not kept") << Rounds{"1|1|8|1", {R, R, X, R}, {6, 5, 5, 4}};
        QTest::newRow("unusable counts are 1")
            << Rounds{"|   |0|-3|abc|2.5|32768| 3 |\t4\t", QList<SK>(9, R), {39, 38, 37, 36, 35, 34, 33, 30, 26}};
    }
    void rounds()
    {
        QFETCH(Rounds, rounds);
        ScriptedRandomiser rnd;
        rnd.arrays = rounds.arrays;
        DrawSession s(rnd);
        const int n = rounds.left.first() + qMax(1, parseRoundCount(rounds.texts.section('|', 0, 0)));
        QVERIFY(write(numberedLines(n)));
        QCOMPARE(s.initialise(bonus(), kSeed).kind, Kind::Ready);
        for (int i = 0; i < rounds.kinds.size(); ++i) {
            init(); // then edited, shortened, removed or a folder: nothing changes
            QVERIFY(i % 4 == 2
                    || (i % 4 == 3 ? QDir().mkdir(bonus()) : write(i % 4 ? "L1" : "X\r\nY\r\nZ\r\nV\r\nW\r\n")));
            QCOMPARE(s.initialise(bonus(), kSeed).kind, Kind::AlreadyInitialised);
            const QString text = rounds.texts.section('|', i, i), before = s.log().text();
            const int count = parseRoundCount(text), previous = s.perRoundCount();
            const StartResult r = s.start(text);
            QCOMPARE(r.kind, rounds.kinds[i]);
            QCOMPARE(s.remainingCount(), rounds.left[i]);
            QCOMPARE(r.countTextToWrite, count || r.kind == SK::Exhausted || r.kind == SK::LastGroup ? QString() : "1");
            if (r.kind == SK::Rolling) // the roll stops at the winner whose line comes first
                QCOMPARE(s.stop(), s.roundPicks().first());
            const QString appended = r.kind == SK::Rolling ? s.reveal().appendedLog : r.appendedLog;
            QCOMPARE(before + appended, s.log().text());
            const QString names = QString(appended).replace(QRegularExpression("\r\n\\[\\d+\\]:\t"), "|");
            const QHash<SK, QString> messages{
                {SK::Exhausted, "都抽完了，一个不剩了！！！！！"},
                {SK::LastGroup, "仅剩最后一组候选项目，就是" + names + "，不足以进行一次摇号！"},
                {SK::Refused, "抽取的人数不能多于候选人数！[开始]"}};
            QCOMPARE(r.message, messages.value(r.kind)); // none while rolling
            if (r.kind == SK::Refused) // a refused count is not kept for the next start's last-group test
                QCOMPARE(s.perRoundCount(), previous);
        }
        QString log = "摇号结果\r\n"; // and a line "[n]:\tname" for each winner
        for (const QString &name : rounds.winners.split(' ', Qt::SkipEmptyParts))
            log += QString("\r\n[%1]:\t").arg(log.count("\r\n")) + name;
        if (!rounds.winners.isEmpty())
            QCOMPARE(s.log().text(), log);
    }
    // The roll shows lines N/10 (floored), 2N/10, ... 10N/10 (all up to 10), wraps and goes on across rounds.
    void rollTicks()
    {
        for (auto [n, step] : {std::pair{2, 1}, {10, 1}, {11, 1}, {25, 2}, {99, 9}, {100, 10}, {10000, 1000}}) {
            ScriptedRandomiser rnd;
            DrawSession s(rnd);
            QVERIFY(write(numberedLines(n)) && s.initialise(bonus(), kSeed).kind == Kind::Ready);
            for (int tick = 0; tick < 24; ++tick) {
                if (tick % 7 == 4) // a new round after sample 4 and 11
                    s.stop(), s.reveal(), s.start("1");
                QCOMPARE(s.rollTick(), QStringLiteral("L%1").arg((tick % qMin(n, 10) + 1) * step));
            }
        }
    }
    // ChaCha20's block as RFC 8439 (2.3.2) gives it, the key made from a seed, and GenRndArray's results.
    void generator()
    {
        ChaChaKey key;
        for (int i = 0; i < 8; ++i)
            key[i] = 0x03020100u + 0x04040404u * i; // the bytes 00 01 02 ... 1f
        const ChaChaBlocks blocks = chacha20Blocks(key, 1, {0x09000000, 0x4a000000, 0});
        // Words 16 and 63 (blocks 2 to 4) as openssl enc -chacha20 gives them.
        QCOMPARE((QList<quint32>{blocks[0], blocks[7], blocks[15], blocks[16], blocks[63]}),
                 (QList<quint32>{0xe4e7f110u, 0x4e6cd4c3u, 0x4e3c50a2u, 0x7783880au, 0xd81a6e7fu}));
        // SHA-256 of "taviro-draw-key", a zero byte and "0", read as little-endian words (python3 hashlib).
        QCOMPARE(kSeed.key()[0], 0xd13c8ddbu);
        DrawStream stream(kSeed.key(), 0);
        const QVector<int> all = GenRndArray(5, 5, stream), five{1, 2, 3, 4, 5};
        QVERIFY(std::is_permutation(all.begin(), all.end(), five.begin(), five.end()));
        QCOMPARE(GenRndArray(1, 1, stream), QVector<int>{1});
        QVERIFY(GenRndArray(5, 6, stream).isEmpty());
        DrawStream first(kSeed.key(), 0), again(kSeed.key(), 0), next(kSeed.key(), 1);
        const QVector<int> picked = GenRndArray(10000, 3, first);
        QCOMPARE(GenRndArray(10000, 3, again), picked);
        QVERIFY(GenRndArray(10000, 3, next) != picked);
    }
    // A draw with a prize plan repeated from its list, seed, plan and counts gives the same rounds and log, whatever a
    // refused count came between; another seed, an edited winner or count do not. A prize drawn in two rounds (the
    // count lowered) has one heading; a prize needing more than are left takes them as the last group, under it.
    void replay()
    {
        QVERIFY(write(numberedLines(10)));
        const DrawSeed seed = DrawSeed::publicText("07 23 41");
        const QList<Prize> plan{{"三等奖", 4}, {"一等奖", 10}};
        SeededRandomiser randomiser(DrawSeed::system()); // Initialise hands it the seed
        DrawSession s(randomiser);
        QCOMPARE(s.initialise(bonus(), seed, plan).kind, Kind::Ready);
        QList<int> needed;
        for (const char *count : {"2", "12", "2", "8"}) {
            needed << s.nextPrize().count;
            if (s.start(count).kind == SK::Rolling)
                s.stop(), s.reveal();
        }
        QCOMPARE(needed, (QList<int>{4, 2, 2, 10}));
        QCOMPARE(s.nextPrize().count, 4); // 一等奖 still lacks 4: nobody is left
        QCOMPARE(s.rounds().size(), 3); // 2, 2, then 8 asked of the 6 left: the last group
        QCOMPARE(s.rounds().last().number, 0);
        QCOMPARE(s.rounds().last().prize, "一等奖");
        static const QRegularExpression shape(
            R"(^摇号结果\r\n\r\n三等奖(\r\n\[[1-4]\]:\tL\d+){4}\r\n一等奖(\r\n\[([5-9]|10)\]:\tL\d+){6}$)");
        QVERIFY2(shape.match(s.log().text()).hasMatch(), qPrintable(s.log().text()));
        const Replay same = replayDraw(bonus(), seed, plan, s.rounds());
        QCOMPARE(same.firstDifference, -1);
        QCOMPARE(same.log, s.log().text());
        QCOMPARE(same.list.sha256, QCryptographicHash::hash(numberedLines(10), QCryptographicHash::Sha256));
        QCOMPARE(replayDraw(bonus(), DrawSeed::publicText("07 23 42"), plan, s.rounds()).firstDifference, 0);
        QList<DrawRound> edited = s.rounds();
        edited[1].winners.swapItemsAt(0, 1);
        QCOMPARE(replayDraw(bonus(), seed, plan, edited).firstDifference, 1);
        edited = s.rounds();
        edited[0].count = 3;
        QCOMPARE(replayDraw(bonus(), seed, plan, edited).firstDifference, 0);
    }
    // 弃奖 in the middle of a plan: the entry stays, marked, and its prize needs one more, drawn next under its heading
    // again; taken back until the next start only. The plan's end asks before a round beyond it, under 奖项外. The
    // replay takes the forfeits where they were made and refuses one that does not fit.
    void forfeitsAndThePlansEnd()
    {
        QVERIFY(write(numberedLines(10)));
        const DrawSeed seed = DrawSeed::publicText("07 23 41");
        const QList<Prize> plan{{"三等奖", 2}, {"二等奖", 2}, {"一等奖", 1}};
        SeededRandomiser randomiser(DrawSeed::system());
        DrawSession s(randomiser);
        QCOMPARE(s.initialise(bonus(), seed, plan).kind, Kind::Ready);
        const auto round = [&s] {
            if (s.start("1").kind == SK::Rolling)
                s.stop(), s.reveal();
        };
        round(), round(), round(); // 三等奖 [1] [2], 二等奖 [3]
        QCOMPARE(s.forfeit(9).kind, ForfeitResult::Kind::NotAWinner);
        QCOMPARE(s.forfeit(1).kind, ForfeitResult::Kind::Done);
        QCOMPARE(s.forfeit(1).kind, ForfeitResult::Kind::AlreadyForfeit);
        QCOMPARE(s.nextPrize().name, "三等奖");
        QCOMPARE(s.takeBackForfeit(1).kind, ForfeitResult::Kind::Done);
        QCOMPARE(s.nextPrize().name, "二等奖");
        QCOMPARE(s.forfeit(1).kind, ForfeitResult::Kind::Done);
        round(); // the replacement, [4]
        QCOMPARE(s.takeBackForfeit(1).kind, ForfeitResult::Kind::TooLate);
        round(), round(); // 二等奖 [5], 一等奖 [6]
        QVERIFY(s.planDone());
        QCOMPARE(s.start("1").kind, SK::PlanDone);
        s.drawBeyondPlan();
        round(); // [7]
        static const QRegularExpression shape(
            R"(^摇号结果\r\n\r\n三等奖\r\n\[1\]:\tL\d+\t（弃奖）\r\n\[2\]:\tL\d+\r\n二等奖)"
            R"(\r\n\[3\]:\tL\d+\r\n三等奖\r\n\[4\]:\tL\d+\r\n二等奖\r\n\[5\]:\tL\d+\r\n一等奖)"
            R"(\r\n\[6\]:\tL\d+\r\n奖项外\r\n\[7\]:\tL\d+$)");
        QVERIFY2(shape.match(s.log().text()).hasMatch(), qPrintable(s.log().text()));
        QCOMPARE(s.rounds().last().prize, "奖项外");
        const Replay same = replayDraw(bonus(), seed, plan, s.rounds(), ListChoices::everyLine(), s.forfeits());
        QCOMPARE(same.firstDifference, -1);
        QCOMPARE(same.badForfeit, -1);
        QCOMPARE(same.log, s.log().text());
        QList<Forfeit> moved = s.forfeits();
        moved[0].afterRounds = 4; // after the replacement: the replacement's round then differs
        QCOMPARE(replayDraw(bonus(), seed, plan, s.rounds(), ListChoices::everyLine(), moved).firstDifference, 3);
        moved[0] = {5, {}, 4}; // a winner not yet drawn then
        QCOMPARE(replayDraw(bonus(), seed, plan, s.rounds(), ListChoices::everyLine(), moved).badForfeit, 0);
    }
    // Whole sessions with the seeded generator, one seed each: a round's winners in the order revealed are equally
    // likely; a 10000-line draw order keeps about 4 lines in place (either way) or by their neighbour (Poisson).
    void fairness()
    {
        // Lines, winners of the round (0: the draw order), sessions, outcomes, and the limit exceeded with p = 1e-6.
        for (auto [n, perRound, trials, outcomes, limit] :
             {std::tuple{2, 1, 60, 2, 23.93}, {3, 3, 150, 6, 35.89}, {5, 1, 100, 5, 33.38}, {10000, 0, 1, 1, 20.0}}) {
            QVERIFY(write(numberedLines(n)));
            SeededRandomiser randomiser;
            QHash<QString, int> counts;
            for (int i = 0; i < trials; ++i) { // a seed of its own for every draw
                DrawSession s(randomiser);
                s.initialise(bonus(), DrawSeed::publicText(QString::number(i)));
                const QVector<int> &order = s.drawOrder();
                int kept = 0;
                for (int p = 1; p < n && perRound == 0; ++p)
                    kept += order[p] == p + 1 || order[p] == n - p || std::abs(order[p] - order[p - 1]) == 1;
                s.start(QString::number(perRound));
                s.stop();
                ++counts[perRound ? s.reveal().appendedLog : QString::number(kept)];
            }
            const double e = double(trials) / outcomes;
            double x = perRound ? 0 : counts.constBegin().key().toDouble();
            for (int c : counts)
                x += perRound ? (c - e) * (c - e) / e : 0;
            QCOMPARE(counts.size(), outcomes);
            QVERIFY2(x < limit, qPrintable(QString("%1 lines, %2 drawn: %3").arg(n).arg(perRound).arg(x)));
        }
    }
};

QTEST_GUILESS_MAIN(TestDraw) // a read that hangs (a named pipe, a huge file) meets the test watchdog
#include "test_draw.moc"
