// The results file's bytes, its safe replacement and printing, the workbook beside it, the printout's pages, the
// recovery copy.
#include "doubles.h"
#include "draw/results_log.h"
#include "lists/workbook.h"
#include "output/draw_files.h"
#include "output/print_service.h"
#include "output/recovery_file.h"
#include "output/text_pages.h"

#include <QPdfWriter>
#include <QtTest>

using namespace taviro;
namespace {
const QByteArray kHeading = QByteArray::fromHex("d2a1bac5bde1b9fb") + "\r\n"; // 摇号结果 in the code page's table
QByteArray entry(int number, const QByteArray &name) { return "\r\n[" + QByteArray::number(number) + "]:\t" + name; }
QString squeezed(QString text) { return text.remove(QRegularExpression("\\s+")); }
QString textOf(const QString &path) { return QString::fromUtf8(readAll(path)); }

QString logOf(const QStringList &names, int numbered = 0)
{
    ResultsLog log;
    for (const QString &name : names)
        log.append(name);
    for (int i = 1; i <= numbered; ++i)
        log.append("候选人" + QString::number(i));
    return log.text();
}

} // namespace
Q_DECLARE_METATYPE(taviro::ListEncoding)

class TestOutput : public QObject
{
    Q_OBJECT
private slots:
    void savedBytes_data()
    {
        QTest::addColumn<QString>("log");
        QTest::addColumn<ListEncoding>("list");
        QTest::addColumn<QByteArray>("bytes");
        const auto gbk = ListEncoding::Gbk;
        QTest::newRow("before any draw: 12 bytes") << logOf({}) << gbk << kHeading + "\r\n";
        QTest::newRow("worked example") << logOf({"李四", "张三", "王五"}) << gbk
                                        << kHeading + entry(1, "\xc0\xee\xcb\xc4") + entry(2, "\xd5\xc5\xc8\xfd")
                + entry(3, "\xcd\xf5\xce\xe5") + "\r\n";
        QByteArray many = kHeading;
        for (int i = 1; i <= 10000; ++i)
            many += entry(i, QByteArray::fromHex("baf2d1a1c8cb") + QByteArray::number(i));
        QTest::newRow("10000 entries") << logOf({}, 10000) << gbk << many + "\r\n";
        // A Unicode list's results keep names that GBK has no code for.
        QTest::newRow("UTF-16 list: UTF-8 with its mark")
            << logOf({"刘䶮", "𠮷 À"}) << ListEncoding::Utf16Le
            << "\xEF\xBB\xBF" + QString("摇号结果\r\n\r\n[1]:\t刘䶮\r\n[2]:\t𠮷 À\r\n").toUtf8();
        // A text beyond GBK (a prize name from a UTF-8 plan) makes a GBK list's results Unicode too, and the record
        // says so.
        QTest::newRow("GBK list, a text beyond GBK: UTF-8 with its mark")
            << logOf({"刘䶮"}) << gbk << "\xEF\xBB\xBF" + QString("摇号结果\r\n\r\n[1]:\t刘䶮\r\n").toUtf8();
    }
    // Save's bytes, each file written whole or not at all; an earlier run's results, workbook and record are kept
    // under the dated name of when the results were written, never overwritten, while a run's own saves replace its
    // files.
    void savedBytes()
    {
        QFETCH(QString, log);
        QFETCH(ListEncoding, list);
        QFETCH(QByteArray, bytes);
        QTemporaryDir saved;
        const QString results = resultsFilePath(saved.path()), record = recordPathForResults(results);
        DrawRecord drawn;
        drawn.seed = DrawSeed::publicText("1");
        drawn.list.encoding = list;
        QVERIFY(DrawFiles(saved.path()).save(logOf({"王五"}), list, &drawn).ok); // yesterday's run
        const QDateTime yesterday(QDate(2026, 12, 6), QTime(9, 30));
        for (const QString &path : {results, record}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(yesterday, QFileDevice::FileModificationTime));
        }
        QVERIFY(writeFileAtomically(saved.filePath("摇号记录_2026-12-06_0930.txt"), "older still").ok);
        DrawFiles today(saved.path());
        QVERIFY(today.save(logOf({"李四"}), list, &drawn).ok);
        QVERIFY(today.save(log, list, &drawn).ok);
        QCOMPARE(readAll(results), bytes);
        QCOMPARE(readAll(saved.filePath("摇号结果_2026-12-06_0930_2.txt")), encodeResults(logOf({"王五"}), list));
        QVERIFY(readAll(record).contains(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        QCOMPARE(readAll(record).contains("\r\n结果编码\tUTF-8 BOM\r\n"),
                 list == ListEncoding::Gbk && bytes.startsWith("\xEF"));
        const auto failingWriter = [](QIODevice &file, const QByteArray &text) { return file.write(text) < 0; };
        const SaveOutcome failed =
            today.save(logOf({"王五"}), list, &drawn, {}, failingWriter); // disk full at the flush
        QVERIFY(!failed.ok && !failed.error.isEmpty());
        QCOMPARE(readAll(results), bytes);
        QCOMPARE(QDir(saved.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"摇号结果.txt", "摇号结果.xlsx", "摇号结果_2026-12-06_0930_2.txt",
                              "摇号结果_2026-12-06_0930_2.xlsx", "摇号记录.txt", "摇号记录_2026-12-06_0930.txt",
                              "摇号记录_2026-12-06_0930_2.txt"}));
        QVERIFY(!DrawFiles(saved.filePath("gone")).save(log, list, nullptr).ok); // a folder not there refuses it
    }
    // The workbook beside the results, read back by the program's own reader and by openpyxl (Excel's rules: the
    // types, the bold and frozen first row): a row per winner under the list's heading, names and IDs as they stand,
    // prizes, rounds, the time to the second, a forfeit. A folder in its place: the results and record are written.
    void workbook()
    {
        QTemporaryDir dir;
        DrawRecord drawn;
        drawn.seed = DrawSeed::publicText("1");
        drawn.plan = {{"一等奖", 1}, {"二等奖", 2}};
        const QDateTime at(QDate(2026, 12, 8), QTime(9, 30, 5, 700));
        drawn.rounds = {{1, 1, 1, {"000123\t刘䶮\t研发部"}, at, "一等奖", 0},
                        {0, 2, 2, {"𠮷田", "110101199003077777\t王五"}, at.addSecs(60), "二等奖", 1}};
        drawn.forfeits = {{2, at.addSecs(90), 2}};
        const SavedFiles saved = DrawFiles(dir.path()).save("摇号结果", ListEncoding::Utf8, &drawn, {"工号", " 姓名 "});
        QVERIFY(saved.ok && saved.workbook.ok);
        const QStringList rows{"序号\t奖项\t轮次\t工号\t姓名\t名单第3列\t中奖时间\t备注",
                               "1\t一等奖\t第1轮\t000123\t刘䶮\t研发部\t2026-12-08 09:30:05\t",
                               "2\t二等奖\t最后一组\t𠮷田\t\t\t2026-12-08 09:31:05\t弃奖",
                               "3\t二等奖\t最后一组\t110101199003077777\t王五\t\t2026-12-08 09:31:05\t"};
        const QByteArray bytes = readAll(dir.filePath("摇号结果.xlsx"));
        QCOMPARE(readFirstWorksheet(bytes, 10, 10, 1000).rows, rows);
        QVERIFY(readAll(dir.filePath("摇号记录.txt"))
                    .contains("\r\n工作簿文件\t摇号结果.xlsx\r\n工作簿SHA-256\t"
                              + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + "\r\n"));
#ifndef Q_OS_WIN // no Python under Wine
        QProcess openpyxl;
        openpyxl.start("/usr/bin/python3", {TAVIRO_RESULTS_WORKBOOK_CHECK, dir.filePath("摇号结果.xlsx")});
        QVERIFY(openpyxl.waitForFinished(30000));
        QVERIFY2(openpyxl.exitCode() == 0, openpyxl.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(openpyxl.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts), rows);
#endif
        QVERIFY(QDir(dir.path()).mkpath("held/摇号结果.xlsx"));
        const SavedFiles held = DrawFiles(dir.filePath("held")).save("摇号结果", ListEncoding::Utf8, &drawn);
        QVERIFY(held.ok && !held.workbook.ok);
        QCOMPARE(readAll(dir.filePath("held/摇号结果.txt")), encodeResults("摇号结果", ListEncoding::Utf8));
        QVERIFY(readAll(dir.filePath("held/摇号记录.txt")).contains("结果SHA-256")
                && !readAll(dir.filePath("held/摇号记录.txt")).contains("工作簿"));
        QVERIFY(
            workbookFailedMessage(held.workbook)
                .startsWith("摇号结果.txt已经保存，摇号结果.xlsx却没有保存！\n无法写入文件："
                            + QDir::toNativeSeparators(dir.filePath("held/摇号结果.xlsx"))
                            + "\n原因：那里有一个同名的文件夹\n如果摇号结果.xlsx正在Excel中打开，请在Excel中关闭它"));
    }
    // Printed on A4 without margins: all the text (pdftotext drops what runs off a page), every page but the last full.
    void pages()
    {
#ifdef Q_OS_WIN
        QSKIP("reads the PDF back with pdftotext, which Windows does not have");
#endif
        const QString text = logOf({QString("很长的名字").repeated(80) + "END"}, 10000);
        QTemporaryDir dir;
        QPdfWriter writer(dir.filePath("job.pdf")); // the file is complete once the painter has ended
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        paintTextPages(writer, text, resultsPrintFont());
        QVERIFY(QProcess::execute("pdftotext", {"-layout", dir.filePath("job.pdf"), dir.filePath("job.txt")}) == 0);
        QCOMPARE(squeezed(textOf(dir.filePath("job.txt"))), squeezed(text));
        QVERIFY(QProcess::execute("pdftotext", {"-bbox", dir.filePath("job.pdf"), dir.filePath("job.html")}) == 0);
        const QStringList pages = textOf(dir.filePath("job.html")).split("<page ").mid(1); // width="…" height="…">
        const QRegularExpression word(R"re(yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)")re");
        for (int i = 0; i < pages.size(); ++i) {
            const double width = pages[i].section('"', 1, 1).toDouble(),
                         height = pages[i].section('"', 3, 3).toDouble();
            double bottom = 0, rowHeight = 0;
            for (const QRegularExpressionMatch &box : word.globalMatch(pages[i])) {
                QVERIFY2(box.captured(2).toDouble() <= width + 1, qPrintable(QString("page %1").arg(i + 1))); // wrapped
                bottom = qMax(bottom, box.captured(3).toDouble());
                rowHeight = qMax(rowHeight, box.captured(3).toDouble() - box.captured(1).toDouble());
            }
            QVERIFY2(i == pages.size() - 1 || bottom > height - 1.5 * rowHeight,
                     qPrintable(QString("page %1 not full").arg(i + 1)));
        }
    }
    // Named for the run's start beside another run's copy, removed by this run's next Save whatever it holds;
    // a folder refusing Save's file is told at the start, and then each spell of failed copies once.
    void recoveryCopy()
    {
        QTemporaryDir dir;
        const QString base = dir.filePath("摇号结果_自动保存_20260101-213005"), one = logOf({"李四"}),
                      two = logOf({"李四", "张三"});
        QVERIFY(writeFileAtomically(base + ".txt", "another run").ok);
        RecoveryFile copy(dir.path()), refused(dir.filePath("gone")); // a folder that is not there refuses its files
        QCOMPARE(copy.begin(QDateTime(QDate(2026, 1, 1), QTime(21, 30, 5))), QString());
        QVERIFY(refused.begin({}).contains(QDir::toNativeSeparators(dir.filePath("gone/摇号结果.txt"))));
        QCOMPARE(copy.keep(one, ListEncoding::Utf8), QString());
        QCOMPARE(copy.path(), base + "_2.txt");
        QCOMPARE(readAll(copy.path()), encodeResults(one, ListEncoding::Utf8)); // as Save writes it
        QCOMPARE(copy.keep(one, ListEncoding::Gbk), QString());
        QCOMPARE(readAll(copy.path()), kHeading + entry(1, "\xc0\xee\xcb\xc4") + "\r\n");
        copy.resultsSaved(); // with `two`, after a failed copy
        QVERIFY(!QFile::exists(copy.path()) && QFile::exists(base + ".txt"));
        QCOMPARE(refused.keep(one, ListEncoding::Gbk), QString()); // told at the start already
        QVERIFY(QDir(dir.path()).mkdir("gone"));
        QCOMPARE(refused.keep(two, ListEncoding::Gbk), QString());
        refused.resultsSaved();
        QVERIFY(QDir(dir.path()).rmdir("gone")); // then a new spell after a good write
        QVERIFY(refused.keep(two, ListEncoding::Gbk).contains(QDir::toNativeSeparators(refused.path())));
        QCOMPARE(refused.keep(two, ListEncoding::Gbk), QString());
    }
    // Printed to a cups-pdf queue as the server's default printer (root), read back from its PDF.
    void printsThroughCups()
    {
        if (!qEnvironmentVariableIsSet("TAVIRO_CUPS_QUEUE"))
            QSKIP("output_cups runs this with a real queue");
        QTemporaryDir folder;
        const auto fixture = [&](const char *action) {
            return QProcess::execute("bash", {TAVIRO_CUPS_FIXTURE, action, folder.filePath("state")}) == 0;
        };
        const auto stop = qScopeGuard([&] { QVERIFY(fixture("stop")); }); // also when a check fails
        QVERIFY(fixture("start"));
        QString distinct; // more distinct characters than one font subset holds (256 glyphs)
        for (char16_t c = 0x4E00; c < 0x4E00 + 29 * 600; c += 29)
            distinct += QChar(c);
        // Several pages; names beyond GBK from a UTF-8 list, CJK Extension A and B among them.
        const QString log = logOf({distinct, "Tom Smith", "José，李", "Ａ组 ０１号", "刘䶮 𠮷 𪚥"}, 150);
        const QString path = resultsFilePath(folder.path());
        QVERIFY(writeFileAtomically(path, encodeResults(log, ListEncoding::Utf8)).ok);
        systemPrintService().printFile(path);
        QVERIFY(fixture("printed"));
        // Qt's PDF writer maps only BMP glyphs back to text; 𠮷 and 𪚥 are printed but not in the text layer.
        QCOMPARE(squeezed(textOf(folder.filePath("state.txt"))), squeezed(log).remove("𠮷").remove("𪚥"));
    }
};
QTEST_MAIN(TestOutput)
#include "test_output.moc"
