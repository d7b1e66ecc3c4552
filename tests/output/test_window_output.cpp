// Save and Print pressed in the real main window.
#include "recording_printer.h"
#include "window_harness.h"

#include "output/results_file.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QtTest>

using namespace taviro;

namespace {

const QByteArray kHeading = QByteArray::fromHex("d2a1bac5bde1b9fb"); // 摇号结果
const QByteArray kCrLf("\r\n");

QByteArray entry(int number, const char *gbkHex)
{
    return kCrLf + '[' + QByteArray::number(number) + "]:\t" + QByteArray::fromHex(gbkHex);
}

const QByteArray kBeforeAnyDraw = kHeading + kCrLf + kCrLf;
const QByteArray kRoundOne = kHeading + kCrLf + entry(1, "c0eecbc4") + entry(2, "d5c5c8fd"); // 李四, 张三
const QByteArray kWorkedExample = kRoundOne + entry(3, "cdf5cee5") + kCrLf;                // + 王五

enum Phase { NotInitialised, Initialised, Rolling, RevealPending, AfterTwoRounds, AfterLastGroup };

// Drives the window into `phase`; false if it did not get there.
bool reach(WindowHarness &h, int phase)
{
    switch (phase) {
    case NotInitialised:
        return true;
    case Initialised:
        return h.initialise();
    case Rolling:
        return h.initialise() && h.startRound(2);
    case RevealPending:
        return h.initialise() && h.startRound(2) && h.stopRound();
    case AfterTwoRounds:
        return h.drawWorkedExample();
    case AfterLastGroup:
        // Three candidates: two drawn, then the start closes with 王五 alone.
        return h.initialise() && h.startRound(2) && h.stopRound() && h.waitForReveal()
            && (h.click("Cmd_Start"), h.window->session().remainingCount() == 0);
    }
    return false;
}

} // namespace

class TestWindowOutput : public QObject
{
    Q_OBJECT

private slots:
    void saveThenPrintAtEveryStage_data();
    void saveThenPrintAtEveryStage();
    void savingTwiceKeepsTheSecondText();
    void failedWriteThroughTheWindow_data();
    void failedWriteThroughTheWindow();
};

void TestWindowOutput::saveThenPrintAtEveryStage_data()
{
    QTest::addColumn<int>("phase");
    QTest::addColumn<int>("candidates");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("before initialising") << int(NotInitialised) << 20 << kBeforeAnyDraw;
    QTest::newRow("initialised") << int(Initialised) << 20 << kBeforeAnyDraw;
    QTest::newRow("while a roll runs") << int(Rolling) << 20 << kBeforeAnyDraw;
    QTest::newRow("stopped, reveal pending") << int(RevealPending) << 20 << kBeforeAnyDraw;
    QTest::newRow("worked example") << int(AfterTwoRounds) << 20 << kWorkedExample;
    QTest::newRow("after a last group") << int(AfterLastGroup) << 3 << kWorkedExample;
}

void TestWindowOutput::saveThenPrintAtEveryStage()
{
    QFETCH(int, phase);
    QFETCH(int, candidates);
    QFETCH(QByteArray, bytes);
    RecordingPrinter printer;
    WindowHarness h(printer, candidates);
    QVERIFY(h.ready());
    QVERIFY(reach(h, phase));
    h.boxes.boxes.clear(); // the last group's own message is not ours
    const DrawSnapshot before = h.snapshot();
    QVERIFY(h.button("Cmd_Save")->isEnabled());
    QVERIFY(h.button("Cmd_Print")->isEnabled());

    h.click("Cmd_Save");
    QCOMPARE(h.boxes.boxes.size(), 1);
    const RecordingBoxes::Box box = h.boxes.boxes.constFirst();
    QCOMPARE(box.text, QString::fromUtf8("已经保存到摇号软件目录下！文件名叫摇号结果.txt"));
    QCOMPARE(box.caption, QStringLiteral("Taviro"));
    // The file was complete when the confirmation appeared.
    QVERIFY(box.fileExisted);
    QCOMPARE(box.fileBytes.toHex(' '), bytes.toHex(' '));
    QCOMPARE(h.resultsBytes().toHex(' '), bytes.toHex(' '));
    QVERIFY(h.snapshot() == before);
    QVERIFY(printer.requests.isEmpty());

    // Print alone: the same bytes, no box, one request for the finished file.
    QVERIFY(QFile::remove(h.resultsPath()));
    h.click("Cmd_Print");
    QCOMPARE(h.boxes.boxes.size(), 1);
    QCOMPARE(h.resultsBytes().toHex(' '), bytes.toHex(' '));
    QCOMPARE(printer.requests.size(), 1);
    QCOMPARE(QFileInfo(printer.requests[0].path), QFileInfo(h.resultsPath()));
    QCOMPARE(printer.requests[0].bytes.toHex(' '), bytes.toHex(' '));
    QVERIFY(h.snapshot() == before);
    QVERIFY(h.button("Cmd_Save")->isEnabled());
    QVERIFY(h.button("Cmd_Print")->isEnabled());

    if (phase == Rolling) {
        // The roll goes on after both clicks.
        QLabel *roll = h.control<QLabel>("Lbl_Roll");
        const QString shown = roll->text();
        QTRY_VERIFY(roll->text() != shown);
        QVERIFY(h.timer("Timer1")->isActive());
    }
}

void TestWindowOutput::savingTwiceKeepsTheSecondText()
{
    RecordingPrinter printer;
    WindowHarness h(printer);
    QVERIFY(h.ready());
    h.click("Cmd_Save");
    QCOMPARE(h.resultsBytes(), kBeforeAnyDraw);
    QVERIFY(h.drawWorkedExample());
    h.click("Cmd_Save");
    QCOMPARE(h.resultsBytes().toHex(' '), kWorkedExample.toHex(' '));
    QCOMPARE(h.boxes.boxes.size(), 2);
    QCOMPARE(h.boxes.boxes[1].fileBytes, kWorkedExample);
    QCOMPARE(QDir(h.folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{QStringLiteral("bonus.txt"), QString::fromUtf8("摇号结果.txt")}));
}

void TestWindowOutput::failedWriteThroughTheWindow_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Save") << "Cmd_Save";
    QTest::newRow("Print") << "Cmd_Print";
}

void TestWindowOutput::failedWriteThroughTheWindow()
{
    QFETCH(QString, button);
    RecordingPrinter printer;
    WindowHarness h(printer);
    QVERIFY(h.ready());
    QVERIFY(h.drawWorkedExample());
    // A folder in the file's place: as root, permission bits would not stop
    // the write, a folder does.
    QVERIFY(QDir(h.folder()).mkdir(resultsFileName()));
    const DrawSnapshot before = h.snapshot();
    h.boxes.boxes.clear();

    h.click(button.toLatin1().constData());
    QCOMPARE(h.boxes.boxes.size(), 1);
    const RecordingBoxes::Box box = h.boxes.boxes.constFirst();
    QCOMPARE(box.caption, QStringLiteral("Taviro"));
    QVERIFY(box.text != savedMessage());
    // The same message for Save and Print: the one a save at this moment gives.
    QCOMPARE(box.text, saveFailedMessage(saveResults(before.log, h.folder())));
    QVERIFY(box.text.contains(QDir::toNativeSeparators(h.resultsPath())));
    QVERIFY(printer.requests.isEmpty());
    QVERIFY(h.snapshot() == before);
    QVERIFY(QFileInfo(h.resultsPath()).isDir());
    QVERIFY(QDir(h.resultsPath()).isEmpty());
    QCOMPARE(QDir(h.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("bonus.txt")});
    QVERIFY(h.button("Cmd_Save")->isEnabled());
    QVERIFY(h.button("Cmd_Print")->isEnabled());

    // Once the obstacle is gone the same window saves normally.
    QVERIFY(QDir(h.folder()).rmdir(resultsFileName()));
    h.click(button.toLatin1().constData());
    QCOMPARE(h.resultsBytes().toHex(' '), kWorkedExample.toHex(' '));
}

QTEST_MAIN(TestWindowOutput)
#include "test_window_output.moc"
