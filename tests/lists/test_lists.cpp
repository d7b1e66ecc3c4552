// The readers as Initialise meets them: the list's line rules (text, workbook, CSV) and the messages that
// refuse a file, the prize plan, and the questions a heading row and blank lines raise.
#include "draw/draw_session.h"
#include "lists/candidate_list.h"
#include "doubles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace taviro;
using Kind = InitResult::Kind;

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
Q_DECLARE_METATYPE(File)
Q_DECLARE_METATYPE(QList<taviro::Prize>)

class TestLists : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init() { QFile::remove(m_dir.filePath("bonus.txt")) || QDir().rmdir(m_dir.filePath("bonus.txt")); }
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
        const auto refused = [](const char *row, const QByteArray &bytes, qint64 hole, const QString &says) {
            QTest::newRow(row) << bytes << hole << says << QList<Prize>{};
        };
        const QString longPlan = "奖项.txt太长了：最多写10000个奖项，连同空行最多20000行。请改正后再点击初始化。";
        refused("100000 lines", QByteArray("一等奖 1\r\n").repeated(100000), 0, longPlan);
        refused("10001 prizes", QByteArray("一等奖 1\r\n").repeated(10001), 0, longPlan);
        refused("named pipe", {}, -2, "无法读取奖项.txt（它不是普通文件），请检查该文件后再点击初始化。");
        refused("65 MiB", "一等奖 1", qint64(65) << 20,
                "奖项.txt太大了（超过64MB），不像是奖项，请检查该文件后再点击初始化。");
        refused("GBK, line 2 undecodable", "A 1\r\n\xB0 2", 0,
                "奖项.txt的第2行有无法识别的字符，奖项的名称会显示成乱码，所以没有读入。"
                "这个文件可能混用了两种编码，或者不是文本文件。\n"
                "请检查这一行，然后用记事本打开奖项.txt，点“另存为”，"
                "在“编码”中选择“UTF-8”或者“ANSI”（即GBK）保存，再点击初始化。");
        refused("line 3 wrong", "一等奖 1\r\n\r\n二等奖", 0,
                "奖项.txt的第3行写得不对：每行写一个奖项，先写名称，空一格，再写人数，例如“三等奖 10”。"
                "请改正后再点击初始化。");
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
};

QTEST_GUILESS_MAIN(TestLists) // a read that hangs (a named pipe, a huge file) meets the test watchdog
#include "test_lists.moc"
