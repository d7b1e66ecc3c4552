// Save and Print pressed in the real main window; the last test prints to a
// cups-pdf queue that is the CUPS server's default printer (needs root).
#include "../ui/ui_test_support.h"
#include "pdf_text.h"

#include "output/results_file.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <pwd.h>
#include <unistd.h>

using namespace taviro;
using RoundState = DrawSession::RoundState;

namespace {

// The results file in GBK: 摇号结果, then 李四 and 张三 in round one, 王五 in round two.
const QByteArray kBeforeAnyDraw = QByteArray::fromHex("d2a1bac5bde1b9fb") + "\r\n\r\n";
const QByteArray kRoundOne = kBeforeAnyDraw.chopped(2) + "\r\n[1]:\t\xc0\xee\xcb\xc4\r\n[2]:\t\xd5\xc5\xc8\xfd";
const QByteArray kWorkedExample = kRoundOne + "\r\n[3]:\t\xcd\xf5\xce\xe5\r\n";

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

QString resultsPath(const MainWindowFixture &f) { return resultsFilePath(f.folder.path()); }
void click(MainWindowFixture &f, const char *name) { QTest::mouseClick(f.control<QPushButton>(name), Qt::LeftButton); }

// The worked example's candidates, and more so that every round rolls.
const QStringList kNames = QStringList{"张三", "李四", "王五"} + numberedNames(5);

// Gives the fixture a window that prints to `printer`, writes bonus.txt, shows
// the window, presses Initialise unless there are no rounds, then draws rounds
// of the given sizes, the last left rolling if asked.
bool draw(MainWindowFixture &f, PrintService &printer, const QList<int> &rounds, bool rolling = false,
          const QStringList &names = kNames)
{
    f.window.reset(new FrmMain({&f.boxes, &printer, &f.randomiser, f.folder.path()}));
    f.writeBonus(candidateBytes(names));
    if (!f.show())
        return false;
    if (!rounds.isEmpty())
        click(f, "Cmd_Init");
    for (int i = 0; i < rounds.size(); ++i) {
        f.control<QLineEdit>("Txt_Num")->setText(QString::number(rounds[i]));
        click(f, "Cmd_Start");
        if (rolling && i == rounds.size() - 1)
            return f.session().roundState() == RoundState::Rolling;
        click(f, "Cmd_Start");
        const auto revealed = [&] {
            return f.session().roundState() == RoundState::Ready && f.control<QPushButton>("Cmd_Start")->isEnabled();
        };
        if (!QTest::qWaitFor(revealed))
            return false;
    }
    return true;
}

// Everything a click on Save or Print must leave as it was.
auto drawState(MainWindowFixture &f)
{
    const DrawSession &s = f.session();
    const QPushButton *start = f.control<QPushButton>("Cmd_Start");
    const auto &timers = f.window->form().timers;
    return std::make_tuple(s.roundState(), s.remainingCount(), s.roundNumber(), s.drawOrder(), s.drawnFlags(),
                           s.roundPicks(), s.log().text(), f.control<QPlainTextEdit>("Txt_Results")->toPlainText(),
                           start->text(), start->isEnabled(), timers.value("Timer1")->isActive(),
                           timers.value("Timer2")->isActive());
}

// Records what the results file held when the window asked for a printout.
struct FileReadingPrinter : PrintService
{
    QList<QByteArray> handed;
    void printFile(const QString &path) override { handed << readAll(path); }
};

// cups_fixture.sh around one test; its stop runs even when a check fails.
struct CupsPdfQueue
{
    QTemporaryDir state;
    QString error;
    bool started = false;
    bool run(const char *action)
    {
        return pdftext::run("bash", {TAVIRO_CUPS_FIXTURE, action, state.filePath("state")}, &error);
    }
    bool start() { return (started = true) && run("start"); }
    bool stop() { return !std::exchange(started, false) || run("stop"); }
    ~CupsPdfQueue() { stop(); }
};

// cups-pdf writes to ~/PDF of the job's owner, from the password database.
QDir pdfFolder() { return QDir(QFile::decodeName(getpwuid(getuid())->pw_dir) + QStringLiteral("/PDF")); }

} // namespace

class TestWindowOutput : public QObject
{
    Q_OBJECT

private slots:
    void saveThenPrint_data();
    void saveThenPrint();
    void failedWrite_data();
    void failedWrite();
    void printButtonReachesThePrinter_data();
    void printButtonReachesThePrinter();
};

void TestWindowOutput::saveThenPrint_data()
{
    QTest::addColumn<QList<int>>("rounds");
    QTest::addColumn<bool>("rolling");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("before any draw") << QList<int>{} << false << kBeforeAnyDraw;
    QTest::newRow("while a roll runs") << QList<int>{2} << true << kBeforeAnyDraw;
    QTest::newRow("two entries") << QList<int>{2} << false << kRoundOne + "\r\n";
    QTest::newRow("worked example") << QList<int>{2, 1} << false << kWorkedExample;
}

void TestWindowOutput::saveThenPrint()
{
    QFETCH(QList<int>, rounds);
    QFETCH(bool, rolling);
    QFETCH(QByteArray, bytes);
    FileReadingPrinter printer;
    MainWindowFixture f;
    QVERIFY(draw(f, printer, rounds, rolling));
    const auto before = drawState(f);
    QByteArray bytesAtBox;
    f.boxes.whileShown = [&] { bytesAtBox = readAll(resultsPath(f)); };

    click(f, "Cmd_Save");
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].text, QStringLiteral("已经保存到摇号软件目录下！文件名叫摇号结果.txt"));
    QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
    QCOMPARE(bytesAtBox.toHex(' '), bytes.toHex(' ')); // complete when confirmed
    QVERIFY(printer.handed.isEmpty());
    QVERIFY(drawState(f) == before);

    // Print alone: the same bytes, no box, one request once the file is complete.
    QVERIFY(QFile::remove(resultsPath(f)));
    click(f, "Cmd_Print");
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(readAll(resultsPath(f)).toHex(' '), bytes.toHex(' '));
    QCOMPARE(printer.handed, QList<QByteArray>{bytes});
    QVERIFY(drawState(f) == before);
    QVERIFY(f.control<QPushButton>("Cmd_Save")->isEnabled() && f.control<QPushButton>("Cmd_Print")->isEnabled());
    if (rolling) { // the roll goes on
        const QString shown = f.control<QLabel>("Lbl_Roll")->text();
        QTRY_VERIFY(f.control<QLabel>("Lbl_Roll")->text() != shown);
    }
}

void TestWindowOutput::failedWrite_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Save") << "Cmd_Save";
    QTest::newRow("Print") << "Cmd_Print";
}

void TestWindowOutput::failedWrite()
{
    QFETCH(QString, button);
    MainWindowFixture f;
    QVERIFY(draw(f, f.printer, {2, 1}));
    // A folder in the file's place: as root, permission bits would not stop
    // the write, a folder does.
    QVERIFY(QDir(f.folder.path()).mkdir(resultsFileName()));
    const auto before = drawState(f);

    click(f, qPrintable(button));
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
    QCOMPARE(f.boxes.shown[0].text, saveFailedMessage(saveResults(f.session().log().text(), f.folder.path())));
    QVERIFY(f.boxes.shown[0].text.contains(QDir::toNativeSeparators(resultsPath(f))));
    QVERIFY(f.printer.printed.isEmpty());
    QVERIFY(drawState(f) == before);
    QVERIFY(QDir(resultsPath(f)).isEmpty()); // nothing was written anywhere
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("bonus.txt")});
}

void TestWindowOutput::printButtonReachesThePrinter_data()
{
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QList<int>>("rounds");
    QTest::addColumn<QStringList>("lines"); // what the printout holds
    QTest::newRow("worked example") << kNames << QList<int>{2, 1}
                                    << QStringList{"摇号结果", "[1]:李四", "[2]:张三", "[3]:王五"};
    // One round of the first 150 of 160, revealed last drawn first.
    QStringList lines{QStringLiteral("摇号结果")};
    for (int i = 150; i >= 1; --i)
        lines << QStringLiteral("[%1]:候选人%2").arg(151 - i).arg(i, 2, 10, QLatin1Char('0'));
    QTest::newRow("several pages") << numberedNames(160) << QList<int>{150} << lines;
}

void TestWindowOutput::printButtonReachesThePrinter()
{
    QFETCH(QStringList, candidates);
    QFETCH(QList<int>, rounds);
    QFETCH(QStringList, lines);
    CupsPdfQueue queue;
    QVERIFY2(queue.start(), qPrintable(queue.error));
    MainWindowFixture f;
    QVERIFY(draw(f, systemPrintService(), rounds, false, candidates));
    const QStringList before = pdfFolder().entryList({"*.pdf"});

    QElapsedTimer clock;
    clock.start();
    click(f, "Cmd_Print");
    const qint64 clickHandled = clock.elapsed();
    // Done once the job has left the queue and its PDF stands in the folder.
    QString pdf, jobs;
    QVERIFY(QTest::qWaitFor([&] {
        for (const QString &name : pdfFolder().entryList({"*.pdf"}))
            if (!before.contains(name))
                pdf = pdfFolder().filePath(name);
        return !pdf.isEmpty() && pdftext::run("lpstat", {"-o"}, nullptr, &jobs) && jobs.trimmed().isEmpty();
    }, 120000));
    qInfo("%s: click handled in %lld ms, PDF finished %lld ms after the click", QTest::currentDataTag(), clickHandled,
          clock.elapsed());

    QString error;
    const QString text = pdftext::printedText(pdf, &error);
    QFile::remove(pdf);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(text, pdftext::squeezed(lines.join(QString())));
    QVERIFY(f.boxes.shown.isEmpty()); // nothing shown
    QVERIFY2(queue.stop(), qPrintable(queue.error));
}

QTEST_MAIN(TestWindowOutput)
#include "test_window_output.moc"
