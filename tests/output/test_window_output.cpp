// Save and Print pressed in the real main window; the last test prints to a
// cups-pdf queue that is the CUPS server's default printer (needs root).
#include "../ui/ui_test_support.h"
#include "pdf_text.h"

#include "output/recovery_file.h"
#include "output/results_file.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
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

// One round of `count`: start, stop and wait for the reveal, or leave it rolling.
bool drawRound(MainWindowFixture &f, int count, bool rolling = false)
{
    f.control<QLineEdit>("Txt_Num")->setText(QString::number(count));
    click(f, "Cmd_Start");
    if (rolling)
        return f.session().roundState() == RoundState::Rolling;
    click(f, "Cmd_Start");
    return QTest::qWaitFor([&] {
        return f.session().roundState() == RoundState::Ready && f.control<QPushButton>("Cmd_Start")->isEnabled();
    });
}

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
    for (int i = 0; i < rounds.size(); ++i)
        if (!drawRound(f, rounds[i], rolling && i == rounds.size() - 1))
            return false;
    return true;
}

// The recovery copies in the folder, by name.
QStringList copies(const MainWindowFixture &f)
{
    return QDir(f.folder.path()).entryList({QStringLiteral("摇号结果_自动保存_*.txt")}, QDir::Files);
}

// The bytes Save would write now.
QByteArray saveBytes(MainWindowFixture &f) { return encodeResults(f.session().log().text()); }

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
    void recoveryCopyFollowsEveryRound();
    void refusedRecoveryCopy();
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
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"bonus.txt"} + copies(f));
}

void TestWindowOutput::recoveryCopyFollowsEveryRound()
{
    MainWindowFixture f;
    QVERIFY(draw(f, f.printer, {}));
    // Copies another run left, named for the seconds around this Initialise.
    const QDateTime before = QDateTime::currentDateTime();
    QStringList others;
    for (int s = 0; s < 3; ++s) {
        others << recoveryBaseName(before.addSecs(s)) + ".txt";
        QFile other(QDir(f.folder.path()).filePath(others.last()));
        QVERIFY(other.open(QIODevice::WriteOnly) && other.write("another run") == 11);
    }
    click(f, "Cmd_Init");
    const QStringList ours{recoveryBaseName(before) + "_2.txt", recoveryBaseName(QDateTime::currentDateTime()) + "_2.txt"};
    const auto copyBytes = [&] {
        QStringList mine = copies(f);
        mine.removeIf([&](const QString &name) { return others.contains(name); });
        return mine.size() == 1 && ours.contains(mine[0]) ? readAll(QDir(f.folder.path()).filePath(mine[0]))
                                                          : "<copies: " + mine.join(' ').toUtf8() + ">";
    };
    // What the copy held when the new entries reached the screen or the box came up.
    QByteArray whenShown;
    connect(f.control<QPlainTextEdit>("Txt_Results"), &QPlainTextEdit::textChanged, [&] { whenShown = copyBytes(); });
    f.boxes.whileShown = [&] { whenShown = copyBytes(); };

    QVERIFY(drawRound(f, 2));
    QCOMPARE(copyBytes(), kRoundOne + "\r\n");
    QCOMPARE(whenShown, kRoundOne + "\r\n");
    QVERIFY(!QFile::exists(resultsPath(f))); // a draw never writes the results file
    click(f, "Cmd_Save");
    QCOMPARE(readAll(resultsPath(f)), kRoundOne + "\r\n");
    QCOMPARE(copies(f), others);

    QVERIFY(drawRound(f, 1));
    QCOMPARE(copyBytes(), kWorkedExample);
    QCOMPARE(whenShown, kWorkedExample);
    click(f, "Cmd_Print");
    QCOMPARE(copies(f), others);

    // A round of 4 leaves one, the next start takes it as the last group.
    QVERIFY(drawRound(f, 4));
    click(f, "Cmd_Start");
    QCOMPARE(f.session().remainingCount(), 0);
    QCOMPARE(f.boxes.shown.size(), 2); // saved, last group
    QCOMPARE(whenShown, saveBytes(f));
    QCOMPARE(copyBytes(), saveBytes(f));
    for (const QString &other : others)
        QCOMPARE(readAll(QDir(f.folder.path()).filePath(other)), QByteArray("another run"));
}

void TestWindowOutput::refusedRecoveryCopy()
{
    MainWindowFixture f;
    QVERIFY(draw(f, f.printer, {2}, false, numberedNames(12)));
    QCOMPARE(copies(f).size(), 1);
    const QString copy = QDir(f.folder.path()).filePath(copies(f)[0]);
    const QByteArray firstRound = readAll(copy);
    // The working folder gone: as root, permission bits would not stop the write.
    const QString away = f.folder.path() + "-away";
    const auto refuse = [&](bool refused) {
        return refused ? QDir().rename(f.folder.path(), away) : QDir().rename(away, f.folder.path());
    };
    const auto restore = qScopeGuard([&] { refuse(false); });

    QVERIFY(refuse(true));
    for (int round = 0; round < 3; ++round)
        QVERIFY(drawRound(f, 1));
    QCOMPARE(f.session().roundNumber(), 6);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
    QCOMPARE(f.boxes.shown[0].text, recoveryFailedMessage(writeFileAtomically(copy, "x")));

    // Save writes other text than the copy holds: the copy stays as it was.
    QVERIFY(refuse(false));
    click(f, "Cmd_Save");
    QCOMPARE(f.boxes.shown.size(), 2);
    QCOMPARE(readAll(copy), firstRound);
    QVERIFY(drawRound(f, 1));
    QCOMPARE(readAll(copy), saveBytes(f));

    // A new failure after a success is reported again, once.
    QVERIFY(refuse(true));
    QVERIFY(drawRound(f, 1));
    QVERIFY(drawRound(f, 1));
    QCOMPARE(f.boxes.shown.size(), 3);
    QCOMPARE(f.boxes.shown[2].text, f.boxes.shown[0].text);
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
