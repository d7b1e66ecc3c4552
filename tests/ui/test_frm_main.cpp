// The main window driven as a person drives it: clicks, keys and timers.

#include "ui_test_support.h"

#include "draw/draw_messages.h"
#include "output/results_file.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

using taviro::DrawSession;
using taviro::FrmMain;

namespace {

const QString kExhausted = QStringLiteral("都抽完了，一个不剩了！！！！！");
const QString kRefused = QStringLiteral("抽取的人数不能多于候选人数！[开始]");
const QString kStart = QStringLiteral("开始&G");
const QString kStop = QStringLiteral("停止&G");
const QString kCloseFirst = QStringLiteral("确定要关闭摇号软件吗?");
const QString kCloseSecond = QStringLiteral("请再次确认关闭吗?");

// The log's text as the results box shows it, one paragraph per line.
QString shown(const QString &logText)
{
    QString text = logText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString entry(int number, const QString &name)
{
    return QStringLiteral("[%1]:\t%2").arg(number).arg(name);
}

enum class ClosePath { ExitButton, ExitAccessKey, CloseMethod, WindowSystemClose };

} // namespace

Q_DECLARE_METATYPE(ClosePath)

class TestFrmMain : public QObject
{
    Q_OBJECT

private:
    // Initialises the window from `names` with a click on Cmd_Init.
    static void initialise(MainWindowFixture &f, const QStringList &names)
    {
        f.writeCandidates(names);
        QTest::mouseClick(f.control<QPushButton>(QStringLiteral("Cmd_Init")), Qt::LeftButton);
        QVERIFY(f.session().isInitialised());
    }

    // Waits until the stopped round has been revealed.
    static void waitForReveal(MainWindowFixture &f)
    {
        QTRY_COMPARE(f.session().roundState(), DrawSession::RoundState::Ready);
        QVERIFY(f.control<QPushButton>(QStringLiteral("Cmd_Start"))->isEnabled());
    }

private slots:
    void startUpState()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        FrmMain &w = *f.window;

        QCOMPARE(w.windowTitle(), QStringLiteral("Taviro V1.0.2     -  最简单摇号软件"));
        const QColor red(0xFF, 0x00, 0x00);
        QCOMPARE(w.palette().color(QPalette::Window), red);
        QVERIFY(w.autoFillBackground());
        QWidget *oper = f.control(QStringLiteral("Frame_Oper"));
        QCOMPARE(oper->palette().color(QPalette::Window), red);
        QVERIFY(oper->autoFillBackground());
        // The settings frames and the controls on the window keep colours of their own.
        for (const char *name : {"Frame_Settings", "Frame_Roll", "Txt_Results", "Cmd_Size_H"})
            QVERIFY2(f.control(QLatin1String(name))->palette().color(QPalette::Window) != red, name);
        QVERIFY(f.control<QPlainTextEdit>(QStringLiteral("Txt_Results"))->verticalScrollBar()->palette().color(
                    QPalette::Window) != red);

        QVERIFY(!f.control<QPushButton>(QStringLiteral("Cmd_Start"))->isEnabled());
        QVERIFY(f.control<QPushButton>(QStringLiteral("Cmd_Init"))->isEnabled());
        QCOMPARE(f.control<QLabel>(QStringLiteral("Lbl_Roll"))->text(), QStringLiteral("摇号"));
        QCOMPARE(f.control<QPlainTextEdit>(QStringLiteral("Txt_Results"))->toPlainText(), QStringLiteral("摇号结果\n"));
        QCOMPARE(QApplication::focusWidget(), f.control(QStringLiteral("Txt_Results")));
        QCOMPARE(f.session().rollIndex(), 1);
        QCOMPARE(f.session().roundNumber(), 1);

        for (const char *name : {"Timer1", "Timer2"}) {
            auto *timer = w.findChild<QTimer *>(QLatin1String(name));
            QVERIFY2(timer, name);
            QVERIFY(!timer->isActive());
            QCOMPARE(timer->interval(), 1);
        }

        const QStringList families = QFontDatabase::families();
        QVERIFY(!families.isEmpty());
        for (const char *name : {"List_Fonts_Roll", "List_Fonts_Results"}) {
            auto *list = f.control<QListWidget>(QLatin1String(name));
            QStringList entries;
            for (int i = 0; i < list->count(); ++i)
                entries.append(list->item(i)->text());
            QCOMPARE(entries, families);
            QVERIFY(list->selectedItems().isEmpty());
        }

        // Fixed size, no minimise or maximise button.
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    }

    void startsCentredOnTheScreen()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        const QRect area = f.window->screen()->availableGeometry();
        const QRect outer = f.window->frameGeometry();
        QVERIFY2(qAbs(outer.center().x() - area.center().x()) <= 4, qPrintable(QString::number(outer.center().x())));
        QVERIFY2(qAbs(outer.center().y() - area.center().y()) <= 16, qPrintable(QString::number(outer.center().y())));
    }

    void initialiseOutcomes_data()
    {
        QTest::addColumn<QByteArray>("bonus");      // the file's bytes
        QTest::addColumn<bool>("asFolder");         // bonus.txt is a folder instead
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("message");       // empty: success
        QTest::addColumn<QString>("label");

        const QString missing = taviro::msg::missingFile();
        const QString tooFew = QStringLiteral("记录起码需要两条以上，请检查!");
        const QString tooMany = QStringLiteral("记录总数不要超过10000条！");
        const QString untouched = QStringLiteral("摇号");
        QByteArray manyLines;
        for (int i = 0; i < 10001; ++i)
            manyLines += "x\r\n";

        QTest::newRow("no file") << QByteArray() << false << false << missing << untouched;
        QTest::newRow("a folder named bonus.txt") << QByteArray() << true << false << missing << untouched;
        QTest::newRow("empty file") << QByteArray() << false << true << tooFew << untouched;
        QTest::newRow("one line") << QByteArray("a\r\n") << false << true << tooFew << untouched;
        QTest::newRow("10001 lines") << manyLines << false << true << tooMany << untouched;
        QTest::newRow("two lines") << candidateBytes({QStringLiteral("甲"), QStringLiteral("乙")}) << false << true
                                   << QString() << QStringLiteral("共2条数据！");
        QTest::newRow("25 lines") << candidateBytes(numberedNames(25)) << false << true << QString()
                                  << QStringLiteral("共25条数据！");
    }

    void initialiseOutcomes()
    {
        QFETCH(QByteArray, bonus);
        QFETCH(bool, asFolder);
        QFETCH(bool, present);
        QFETCH(QString, message);
        QFETCH(QString, label);

        MainWindowFixture f;
        QVERIFY(f.show());
        if (asFolder)
            QVERIFY(QDir(f.folder.path()).mkdir(QStringLiteral("bonus.txt")));
        else if (present)
            f.writeBonus(bonus);

        auto *init = f.control<QPushButton>(QStringLiteral("Cmd_Init"));
        auto *start = f.control<QPushButton>(QStringLiteral("Cmd_Start"));
        QTest::mouseClick(init, Qt::LeftButton);

        QCOMPARE(f.control<QLabel>(QStringLiteral("Lbl_Roll"))->text(), label);
        if (message.isEmpty()) {
            QVERIFY(f.boxes.shown.isEmpty());
            QVERIFY(!init->isEnabled());
            QVERIFY(start->isEnabled());
            // The click gave Cmd_Init the focus; it passes on to Start, not
            // into the settings panel beyond the window's edge.
            QCOMPARE(f.window->focusWidget(), start);
        } else {
            QCOMPARE(f.boxes.shown.size(), 1);
            QCOMPARE(f.boxes.shown[0].text, message);
            QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
            QVERIFY(!f.boxes.shown[0].question);
            QVERIFY(init->isEnabled());
            QVERIFY(!start->isEnabled());
            QVERIFY(!f.session().isInitialised());
        }
    }

    void failedInitialiseCanBeRetried()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        auto *init = f.control<QPushButton>(QStringLiteral("Cmd_Init"));
        QTest::mouseClick(init, Qt::LeftButton);
        QCOMPARE(f.boxes.shown.size(), 1);
        f.writeCandidates(numberedNames(3));
        QTest::mouseClick(init, Qt::LeftButton);
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.control<QLabel>(QStringLiteral("Lbl_Roll"))->text(), QStringLiteral("共3条数据！"));
    }

    // Ten candidates in rounds of three, driven from the count box with Enter.
    void wholeDrawByKeyboard()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        const QStringList names = numberedNames(10);
        initialise(f, names);

        auto *num = f.control<QLineEdit>(QStringLiteral("Txt_Num"));
        auto *start = f.control<QPushButton>(QStringLiteral("Cmd_Start"));
        auto *label = f.control<QLabel>(QStringLiteral("Lbl_Roll"));
        auto *results = f.control<QPlainTextEdit>(QStringLiteral("Txt_Results"));
        auto *timer1 = f.window->findChild<QTimer *>(QStringLiteral("Timer1"));
        num->setFocus();
        QTest::keyClick(num, Qt::Key_3);
        QCOMPARE(num->text(), QStringLiteral("3"));

        QStringList expectedEntries;
        for (int round = 0; round < 3; ++round) {
            f.press(Qt::Key_Return);
            QCOMPARE(start->text(), kStop);
            QVERIFY(timer1->isActive());
            QCOMPARE(f.session().roundState(), DrawSession::RoundState::Rolling);
            // The roll runs through the sample names, here all ten lines.
            QTRY_VERIFY(names.contains(label->text()));

            f.press(Qt::Key_Return);
            QCOMPARE(start->text(), kStart);
            QVERIFY(!timer1->isActive());
            // At the stop the label shows the round's winner that comes first in the file.
            QCOMPARE(label->text(), names[round * 3]);
            waitForReveal(f);

            // The scripted reveal reverses the round: the last line drawn comes first.
            for (int k = 2; k >= 0; --k)
                expectedEntries.append(entry(expectedEntries.size() + 1, names[round * 3 + k]));
            QCOMPARE(label->text(), names[round * 3]);
            QCOMPARE(f.session().remainingCount(), 10 - 3 * (round + 1));
            QCOMPARE(num->text(), QStringLiteral("3"));
            QVERIFY(results->textCursor().atEnd());
            QVERIFY(f.boxes.shown.isEmpty());
        }

        // One left, not more than the last round's three: the last group.
        f.press(Qt::Key_Return);
        expectedEntries.append(entry(10, names[9]));
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text,
                 QStringLiteral("仅剩最后一组候选项目，就是|%1，不足以进行一次摇号！").arg(names[9]));
        QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
        QCOMPARE(start->text(), kStart);
        QVERIFY(!timer1->isActive());
        QVERIFY(results->textCursor().atEnd());

        // Nobody left.
        f.press(Qt::Key_Return);
        QCOMPARE(f.boxes.shown.size(), 2);
        QCOMPARE(f.boxes.shown[1].text, kExhausted);
        QCOMPARE(f.boxes.shown[1].caption, QStringLiteral("Taviro"));

        // The log, entry by entry, and the box showing exactly that text.
        const QString log = f.session().log().text();
        const QStringList lines = log.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2 + 10);
        QCOMPARE(lines[0], QStringLiteral("摇号结果"));
        QCOMPARE(lines[1], QString());
        for (int i = 0; i < 10; ++i)
            QCOMPARE(lines[2 + i], expectedEntries[i]);
        QCOMPARE(results->toPlainText(), shown(log));
        QCOMPARE(results->document()->blockCount(), 12);
    }

    void enterOrSpaceBeforeInitialise_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }

    void enterOrSpaceBeforeInitialise()
    {
        QFETCH(int, key);
        MainWindowFixture f;
        QVERIFY(f.show());
        f.press(Qt::Key(key));
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, kExhausted);
        QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
        QVERIFY(!f.control<QPushButton>(QStringLiteral("Cmd_Start"))->isEnabled());
        QCOMPARE(f.control<QPushButton>(QStringLiteral("Cmd_Start"))->text(), kStart);
    }

    void keysWithCtrlOrAltDoNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt+Enter") << int(Qt::Key_Return) << int(Qt::AltModifier) << false;
        QTest::newRow("Ctrl+Space") << int(Qt::Key_Space) << int(Qt::ControlModifier) << false;
        QTest::newRow("Shift+Space") << int(Qt::Key_Space) << int(Qt::ShiftModifier) << true;
        QTest::newRow("letter") << int(Qt::Key_A) << int(Qt::NoModifier) << false;
    }

    void keysWithCtrlOrAltDoNothing()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, toggles);
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(5));
        f.control(QStringLiteral("Txt_Results"))->setFocus();
        f.press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f.session().roundState(),
                 toggles ? DrawSession::RoundState::Rolling : DrawSession::RoundState::Ready);
    }

    void countBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("afterStart"); // the box's text once the round runs
        QTest::addColumn<int>("drawn");

        QTest::newRow("empty") << QString() << QStringLiteral("1") << 1;
        QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("1") << 1;
        QTest::newRow("negative") << QStringLiteral("-3") << QStringLiteral("1") << 1;
        QTest::newRow("letters") << QStringLiteral("abc") << QStringLiteral("1") << 1;
        QTest::newRow("blanks around") << QStringLiteral(" 2  ") << QStringLiteral(" 2  ") << 2;
        QTest::newRow("all of them") << QStringLiteral("6") << QStringLiteral("6") << 6;
    }

    void countBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, afterStart);
        QFETCH(int, drawn);
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(6));
        auto *num = f.control<QLineEdit>(QStringLiteral("Txt_Num"));
        num->setText(typed);
        QTest::mouseClick(f.control<QPushButton>(QStringLiteral("Cmd_Start")), Qt::LeftButton);
        QCOMPARE(num->text(), afterStart);
        QCOMPARE(f.session().roundPicks().size(), drawn);
        QCOMPARE(f.session().remainingCount(), 6 - drawn);
        QCOMPARE(f.control<QLabel>(QStringLiteral("Lbl_Roll"))->text(), QStringLiteral("---------"));
        QTest::mouseClick(f.control<QPushButton>(QStringLiteral("Cmd_Start")), Qt::LeftButton);
        waitForReveal(f);
        QCOMPARE(f.session().log().nextNumber(), drawn + 1);
    }

    void refusedCount_data()
    {
        QTest::addColumn<QString>("count");
        QTest::newRow("one too many") << QStringLiteral("11");
        QTest::newRow("far too many") << QStringLiteral("32767");
    }

    void refusedCount()
    {
        QFETCH(QString, count);
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(10));
        auto *start = f.control<QPushButton>(QStringLiteral("Cmd_Start"));
        auto *label = f.control<QLabel>(QStringLiteral("Lbl_Roll"));
        f.control<QLineEdit>(QStringLiteral("Txt_Num"))->setText(count);

        QString labelWhileShown;
        f.boxes.whileShown = [&](const RecordedBox &) { labelWhileShown = label->text(); };
        QTest::mouseClick(start, Qt::LeftButton);

        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, kRefused);
        QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
        QCOMPARE(labelWhileShown, QStringLiteral("---------"));
        QCOMPARE(start->text(), kStart);
        QVERIFY(start->isEnabled());
        QCOMPARE(label->text(), QStringLiteral("---------"));
        QVERIFY(!f.window->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
        QCOMPARE(f.session().remainingCount(), 10);
        QCOMPARE(f.session().log().text(), QStringLiteral("摇号结果\r\n"));
        // The clicked button keeps the focus through the refusal.
        QCOMPARE(f.window->focusWidget(), start);
    }

    // One key press toggles the round once, and the focused control is not
    // also pressed, chosen, ticked or scrolled by it.
    void keyOnFocusedControlTogglesOnce_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        const char *controls[] = {"Cmd_Start", "Cmd_Save", "Cmd_Print", "Cmd_Exit", "Cmd_Size_H", "CmdAbout",
                                  "Opt_Align_0", "Opt_Size_0", "Check_Title", "List_FontSize_Roll",
                                  "HScroll_Color_Roll", "Txt_Results", "Pic_Roll"};
        for (const char *control : controls) {
            QTest::addRow("%s Space", control) << QString::fromLatin1(control) << int(Qt::Key_Space);
            QTest::addRow("%s Enter", control) << QString::fromLatin1(control) << int(Qt::Key_Return);
        }
    }

    void keyOnFocusedControlTogglesOnce()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(8));

        QWidget *target = f.control(control);
        QVERIFY(target);
        auto *button = qobject_cast<QAbstractButton *>(target);
        std::unique_ptr<QSignalSpy> clicks(button ? new QSignalSpy(button, &QAbstractButton::clicked) : nullptr);
        QSignalSpy about(f.window.get(), &FrmMain::aboutRequested);
        auto *list = qobject_cast<QListWidget *>(target);
        if (list)
            list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        auto *bar = qobject_cast<QScrollBar *>(target);
        const Qt::CheckState titleState = f.control<QCheckBox>(QStringLiteral("Check_Title"))->checkState();
        const int alignChecked = f.window->findChild<QButtonGroup *>(QStringLiteral("Opt_Align"))->checkedId();
        const int sizeChecked = f.window->findChild<QButtonGroup *>(QStringLiteral("Opt_Size"))->checkedId();

        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        f.press(Qt::Key(key));
        QCOMPARE(f.session().roundState(), DrawSession::RoundState::Rolling);
        QCOMPARE(f.control<QPushButton>(QStringLiteral("Cmd_Start"))->text(), kStop);

        QTest::qWait(150); // longer than a button's animated click
        if (clicks)
            QCOMPARE(clicks->count(), 0);
        QCOMPARE(about.count(), 0);
        QVERIFY(f.boxes.shown.isEmpty());
        QVERIFY(f.printer.printed.isEmpty());
        QVERIFY(!QFile::exists(QDir(f.folder.path()).filePath(taviro::resultsFileName())));
        QVERIFY(f.window->isVisible());
        if (list)
            QVERIFY(list->selectedItems().isEmpty());
        if (bar)
            QCOMPARE(bar->value(), 0);
        QCOMPARE(f.control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), titleState);
        QCOMPARE(f.window->findChild<QButtonGroup *>(QStringLiteral("Opt_Align"))->checkedId(), alignChecked);
        QCOMPARE(f.window->findChild<QButtonGroup *>(QStringLiteral("Opt_Size"))->checkedId(), sizeChecked);

        // The next press stops the round, again once.
        f.press(Qt::Key(key));
        QCOMPARE(f.session().roundState(), DrawSession::RoundState::RevealPending);
        waitForReveal(f);
        QCOMPARE(f.session().log().nextNumber(), 2);
    }

    void spaceInCountBoxIsTypedAndToggles()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(9));
        auto *num = f.control<QLineEdit>(QStringLiteral("Txt_Num"));
        num->setFocus();
        QTest::keyClick(num, Qt::Key_2);
        f.press(Qt::Key_Space);
        QCOMPARE(f.session().roundState(), DrawSession::RoundState::Rolling);
        QCOMPARE(num->text(), QStringLiteral("2 "));
        QCOMPARE(f.session().roundPicks().size(), 2);
        f.press(Qt::Key_Space);
        QCOMPARE(num->text(), QStringLiteral("2  "));
        waitForReveal(f);
        // Blanks around the digits leave the count as it was.
        f.press(Qt::Key_Space);
        QCOMPARE(f.session().roundPicks().size(), 2);
        QCOMPARE(num->text(), QStringLiteral("2   "));
    }

    // Stopping with Space on the focused Start button disables it until the
    // reveal; the focus waits in the operations bar and then comes back.
    void focusStaysInOperationsBarWhileStartIsDisabled()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(4));
        auto *start = f.control<QPushButton>(QStringLiteral("Cmd_Start"));
        start->setFocus();
        f.press(Qt::Key_Space);
        f.press(Qt::Key_Space);
        QVERIFY(!start->isEnabled());
        QWidget *parked = QApplication::focusWidget();
        QVERIFY(parked);
        QCOMPARE(parked->parentWidget(), f.control(QStringLiteral("Frame_Oper")));
        waitForReveal(f);
        QCOMPARE(QApplication::focusWidget(), start);
    }

    void startRequestBetweenStopAndReveal()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(9));
        auto *start = f.control<QPushButton>(QStringLiteral("Cmd_Start"));
        f.control<QLineEdit>(QStringLiteral("Txt_Num"))->setText(QStringLiteral("2"));
        start->click();
        QCOMPARE(f.session().roundState(), DrawSession::RoundState::Rolling);
        const QStringList picks = f.session().roundPicks();

        // Stop, then at once (before the reveal timer can fire) ask for a new round.
        start->click();
        QCOMPARE(f.session().roundState(), DrawSession::RoundState::RevealPending);
        QVERIFY(!start->isEnabled());
        QCOMPARE(start->text(), kStart);
        f.control(QStringLiteral("Txt_Results"))->setFocus();
        f.press(Qt::Key_Return);
        QCOMPARE(f.session().roundState(), DrawSession::RoundState::RevealPending);
        QCOMPARE(f.session().roundPicks(), picks);
        QCOMPARE(f.session().remainingCount(), 7);
        QVERIFY(!f.window->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
        QVERIFY(f.boxes.shown.isEmpty());

        waitForReveal(f);
        QCOMPARE(f.session().log().text(),
                 QStringLiteral("摇号结果\r\n\r\n") + entry(1, picks[1]) + QStringLiteral("\r\n") + entry(2, picks[0]));
        QCOMPARE(f.session().remainingCount(), 7);
    }

    void accessKeyStartsAndStops()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(3));
        QTest::keyClick(f.window.get(), Qt::Key_G, Qt::AltModifier);
        QTRY_COMPARE(f.session().roundState(), DrawSession::RoundState::Rolling);
        QTest::keyClick(f.window.get(), Qt::Key_G, Qt::AltModifier);
        QTRY_COMPARE(f.session().log().nextNumber(), 2);
    }

    // Names are plain text wherever they show: never read as markup.
    void namesShowAsTyped()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        const QStringList names = {QStringLiteral("<b>王</b>"), QStringLiteral("&amp;李<br>"), QStringLiteral(" 赵 "),
                                   QStringLiteral("<i>钱")};
        initialise(f, names);
        auto *label = f.control<QLabel>(QStringLiteral("Lbl_Roll"));
        auto *start = f.control<QPushButton>(QStringLiteral("Cmd_Start"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        f.control<QLineEdit>(QStringLiteral("Txt_Num"))->setText(QStringLiteral("2"));
        QTest::mouseClick(start, Qt::LeftButton);
        QTest::mouseClick(start, Qt::LeftButton);
        QCOMPARE(label->text(), names[0]);
        waitForReveal(f);
        QCOMPARE(label->text(), names[0]);

        f.press(Qt::Key_Return); // two left, not more than the round's two: the last group
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, QStringLiteral("仅剩最后一组候选项目，就是| 赵 |<i>钱，不足以进行一次摇号！"));
        const QString results = f.control<QPlainTextEdit>(QStringLiteral("Txt_Results"))->toPlainText();
        QCOMPARE(results, QStringLiteral("摇号结果\n\n") + entry(1, names[1]) + QLatin1Char('\n') + entry(2, names[0])
                              + QLatin1Char('\n') + entry(3, names[2]) + QLatin1Char('\n') + entry(4, names[3]));
    }

    void saveAndPrint_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("blocked"); // a folder stands where the results file should go
        QTest::newRow("save") << QStringLiteral("Cmd_Save") << false;
        QTest::newRow("save refused") << QStringLiteral("Cmd_Save") << true;
        QTest::newRow("print") << QStringLiteral("Cmd_Print") << false;
        QTest::newRow("print refused") << QStringLiteral("Cmd_Print") << true;
    }

    void saveAndPrint()
    {
        QFETCH(QString, button);
        QFETCH(bool, blocked);
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(4));
        f.press(Qt::Key_Return);
        f.press(Qt::Key_Return);
        waitForReveal(f);
        const QString path = taviro::resultsFilePath(f.folder.path());
        if (blocked)
            QVERIFY(QDir().mkdir(path));

        QTest::mouseClick(f.control<QPushButton>(button), Qt::LeftButton);
        const bool print = button == QStringLiteral("Cmd_Print");
        if (blocked) {
            QCOMPARE(f.boxes.shown.size(), 1);
            QVERIFY(f.boxes.shown[0].text.startsWith(QStringLiteral("摇号结果没有保存！")));
            QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
            QVERIFY(f.printer.printed.isEmpty());
            return;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), taviro::encodeResults(f.session().log().text()));
        if (print) {
            QVERIFY(f.boxes.shown.isEmpty());
            QCOMPARE(f.printer.printed, QStringList{path});
        } else {
            QCOMPARE(f.boxes.shown.size(), 1);
            QCOMPARE(f.boxes.shown[0].text, taviro::savedMessage());
            QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("Taviro"));
            QVERIFY(f.printer.printed.isEmpty());
        }
    }

    void closePaths_data()
    {
        QTest::addColumn<ClosePath>("path");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<bool>("closes");

        const struct
        {
            const char *name;
            ClosePath path;
        } paths[] = {{"Exit button", ClosePath::ExitButton},
                     {"Alt+X", ClosePath::ExitAccessKey},
                     {"close()", ClosePath::CloseMethod},
                     {"window system close", ClosePath::WindowSystemClose}};
        for (const auto &p : paths) {
            QTest::addRow("%s, Yes Yes", p.name) << p.path << QList<bool>{true, true} << 2 << true;
            QTest::addRow("%s, Yes No", p.name) << p.path << QList<bool>{true, false} << 2 << false;
            QTest::addRow("%s, No", p.name) << p.path << QList<bool>{false} << 1 << false;
        }
    }

    void closePaths()
    {
        QFETCH(ClosePath, path);
        QFETCH(QList<bool>, answers);
        QFETCH(int, boxes);
        QFETCH(bool, closes);
        MainWindowFixture f;
        QVERIFY(f.show());
        f.boxes.answers = answers;
        FrmMain *w = f.window.get();

        switch (path) {
        case ClosePath::ExitButton:
            QTest::mouseClick(f.control<QPushButton>(QStringLiteral("Cmd_Exit")), Qt::LeftButton);
            break;
        case ClosePath::ExitAccessKey:
            QTest::keyClick(w, Qt::Key_X, Qt::AltModifier);
            QTRY_COMPARE(f.boxes.shown.size(), boxes);
            break;
        case ClosePath::CloseMethod:
            w->close();
            break;
        case ClosePath::WindowSystemClose: {
            QCloseEvent request;
            QCoreApplication::sendEvent(w->windowHandle(), &request);
            break;
        }
        }

        QCOMPARE(f.boxes.shown.size(), boxes);
        QCOMPARE(f.boxes.shown[0].text, kCloseFirst);
        QCOMPARE(f.boxes.shown[0].caption, QStringLiteral("退出"));
        QVERIFY(f.boxes.shown[0].question);
        if (boxes > 1) {
            QCOMPARE(f.boxes.shown[1].text, kCloseSecond);
            QCOMPARE(f.boxes.shown[1].caption, QStringLiteral("确认退出"));
            QVERIFY(f.boxes.shown[1].question);
        }
        QCOMPARE(w->isVisible(), !closes);
        if (!closes) {
            // Nothing changed, and the next request starts again with the first box.
            QCOMPARE(w->windowTitle(), QStringLiteral("Taviro V1.0.2     -  最简单摇号软件"));
            QVERIFY(f.control<QPushButton>(QStringLiteral("Cmd_Init"))->isEnabled());
            f.boxes.shown.clear();
            f.boxes.answers = {false};
            w->close();
            QCOMPARE(f.boxes.shown.size(), 1);
            QCOMPARE(f.boxes.shown[0].text, kCloseFirst);
            QVERIFY(w->isVisible());
        }
    }

    void refusedCloseLeavesTheRollRunning()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        initialise(f, numberedNames(5));
        auto *label = f.control<QLabel>(QStringLiteral("Lbl_Roll"));
        auto *timer1 = f.window->findChild<QTimer *>(QStringLiteral("Timer1"));
        f.press(Qt::Key_Space);
        QVERIFY(timer1->isActive());

        bool rollingWhileAsked = false;
        f.boxes.whileShown = [&](const RecordedBox &) { rollingWhileAsked = timer1->isActive(); };
        f.boxes.answers = {true, false};
        f.window->close();
        QVERIFY(rollingWhileAsked);
        QVERIFY(f.window->isVisible());
        QVERIFY(timer1->isActive());
        QCOMPARE(f.session().roundState(), DrawSession::RoundState::Rolling);
        const QString before = label->text();
        QTRY_VERIFY(label->text() != before);

        f.press(Qt::Key_Space);
        waitForReveal(f);
        QCOMPARE(f.session().log().nextNumber(), 2);
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
