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
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

using taviro::FrmMain;
using State = taviro::DrawSession::RoundState;

namespace {

const QString kTitle = QStringLiteral("Taviro V1.0.2     -  最简单摇号软件");
const QString kStart = QStringLiteral("开始&G");
const QString kStop = QStringLiteral("停止&G");
const QString kExhausted = QStringLiteral("都抽完了，一个不剩了！！！！！");

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

    MainWindowFixture *f = nullptr;

    QPushButton *start() const { return f->control<QPushButton>(QStringLiteral("Cmd_Start")); }
    QLabel *rollLabel() const { return f->control<QLabel>(QStringLiteral("Lbl_Roll")); }
    QTimer *timer(const char *name) const { return f->window->findChild<QTimer *>(QLatin1String(name)); }

    void initialise(const QStringList &names)
    {
        f->writeBonus(candidateBytes(names));
        QTest::mouseClick(f->control<QPushButton>(QStringLiteral("Cmd_Init")), Qt::LeftButton);
        QVERIFY(f->session().isInitialised());
    }

    void waitForReveal()
    {
        QTRY_COMPARE(f->session().roundState(), State::Ready);
        QVERIFY(start()->isEnabled());
    }

private slots:
    void init()
    {
        f = new MainWindowFixture;
        QVERIFY(f->show());
    }

    void cleanup()
    {
        delete f;
        f = nullptr;
    }

    void startUpState()
    {
        QCOMPARE(f->window->windowTitle(), kTitle);
        const QColor red(0xFF, 0x00, 0x00);
        for (QWidget *w : {static_cast<QWidget *>(f->window.get()), f->control(QStringLiteral("Frame_Oper"))}) {
            QCOMPARE(w->palette().color(QPalette::Window), red);
            QVERIFY(w->autoFillBackground());
        }
        // Frames and the controls on the window keep colours of their own.
        for (const char *name : {"Frame_Settings", "Frame_Roll", "Txt_Results", "Cmd_Size_H"})
            QVERIFY2(f->control(QLatin1String(name))->palette().color(QPalette::Window) != red, name);
        QVERIFY(!start()->isEnabled());
        QCOMPARE(start()->text(), kStart);
        QVERIFY(f->control(QStringLiteral("Cmd_Init"))->isEnabled());
        QCOMPARE(QApplication::focusWidget(), f->control(QStringLiteral("Txt_Results")));
        QCOMPARE(f->session().roundNumber(), 1);
        for (const char *name : {"Timer1", "Timer2"}) {
            QVERIFY(!timer(name)->isActive());
            QCOMPARE(timer(name)->interval(), 1);
        }
        for (const char *name : {"List_Fonts_Roll", "List_Fonts_Results"}) {
            auto *list = f->control<QListWidget>(QLatin1String(name));
            QStringList entries;
            for (int i = 0; i < list->count(); ++i)
                entries.append(list->item(i)->text());
            QCOMPARE(entries, QFontDatabase::families());
            QVERIFY(list->selectedItems().isEmpty());
        }
        QCOMPARE(f->window->minimumSize(), f->window->maximumSize());
        QVERIFY(!(f->window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void initialiseOutcomes_data()
    {
        QTest::addColumn<int>("lines"); // -1: no file; -2: a folder named bonus.txt
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("label");
        const QString tooFew = QStringLiteral("记录起码需要两条以上，请检查!");
        QTest::newRow("no file") << -1 << taviro::msg::missingFile() << QStringLiteral("摇号");
        QTest::newRow("folder") << -2 << taviro::msg::missingFile() << QStringLiteral("摇号");
        QTest::newRow("empty") << 0 << tooFew << QStringLiteral("摇号");
        QTest::newRow("one line") << 1 << tooFew << QStringLiteral("摇号");
        QTest::newRow("10001 lines") << 10001 << QStringLiteral("记录总数不要超过10000条！") << QStringLiteral("摇号");
        QTest::newRow("two lines") << 2 << QString() << QStringLiteral("共2条数据！");
        QTest::newRow("25 lines") << 25 << QString() << QStringLiteral("共25条数据！");
    }

    void initialiseOutcomes()
    {
        QFETCH(int, lines);
        QFETCH(QString, message);
        QFETCH(QString, label);
        if (lines == -2)
            QVERIFY(QDir(f->folder.path()).mkdir(QStringLiteral("bonus.txt")));
        else if (lines >= 0)
            f->writeBonus(QByteArray("x\r\n").repeated(lines));
        auto *init = f->control<QPushButton>(QStringLiteral("Cmd_Init"));
        QTest::mouseClick(init, Qt::LeftButton);

        QCOMPARE(rollLabel()->text(), label);
        QCOMPARE(init->isEnabled(), !message.isEmpty());
        QCOMPARE(start()->isEnabled(), message.isEmpty());
        QCOMPARE(f->boxes.shown.size(), message.isEmpty() ? 0 : 1);
        if (message.isEmpty()) {
            // The focus passes from the clicked Cmd_Init on to Start, not into the hidden panel.
            QCOMPARE(f->window->focusWidget(), start());
        } else {
            QCOMPARE(f->boxes.shown[0].text, message);
            QCOMPARE(f->boxes.shown[0].caption, QStringLiteral("Taviro"));
        }
    }

    // Ten candidates in rounds of three, from the count box with Enter.
    void wholeDrawByKeyboard()
    {
        const QStringList names = numberedNames(10);
        initialise(names);
        auto *num = f->control<QLineEdit>(QStringLiteral("Txt_Num"));
        auto *results = f->control<QPlainTextEdit>(QStringLiteral("Txt_Results"));
        num->setFocus();
        QTest::keyClick(num, Qt::Key_3);

        QStringList expected = {QStringLiteral("摇号结果"), QString()};
        for (int round = 0; round < 3; ++round) {
            f->press(Qt::Key_Return);
            QCOMPARE(start()->text(), kStop);
            QVERIFY(timer("Timer1")->isActive());
            QTRY_VERIFY(names.contains(rollLabel()->text())); // the ten lines are the sample names

            f->press(Qt::Key_Return);
            QCOMPARE(start()->text(), kStart);
            QVERIFY(!timer("Timer1")->isActive());
            QCOMPARE(rollLabel()->text(), names[round * 3]); // the winner first in the file
            waitForReveal();
            for (int k = 2; k >= 0; --k) // the scripted reveal reverses the round
                expected.append(entry(expected.size() - 1, names[round * 3 + k]));
            QCOMPARE(f->session().remainingCount(), 7 - 3 * round);
            QVERIFY(results->textCursor().atEnd());
        }
        QVERIFY(f->boxes.shown.isEmpty());
        QCOMPARE(num->text(), QStringLiteral("3"));

        f->press(Qt::Key_Return); // one left, not more than three: the last group
        expected.append(entry(10, names[9]));
        f->press(Qt::Key_Return); // nobody left
        QCOMPARE(f->boxes.shown.size(), 2);
        QCOMPARE(f->boxes.shown[0].text, QStringLiteral("仅剩最后一组候选项目，就是|候选人10，不足以进行一次摇号！"));
        QCOMPARE(f->boxes.shown[1].text, kExhausted);
        QCOMPARE(f->boxes.shown[1].caption, QStringLiteral("Taviro"));
        QVERIFY(results->textCursor().atEnd());
        QVERIFY(!timer("Timer1")->isActive());

        QCOMPARE(f->session().log().text().split(QStringLiteral("\r\n")), expected);
        QCOMPARE(results->toPlainText(), expected.join(QLatin1Char('\n')));
    }

    // Which keys start or stop a round, before and after initialising.
    void startStopKeys_data()
    {
        QTest::addColumn<bool>("initialised");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("acts");
        QTest::newRow("Enter before initialising") << false << int(Qt::Key_Return) << 0 << true;
        QTest::newRow("keypad Enter before") << false << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Space before") << false << int(Qt::Key_Space) << 0 << true;
        QTest::newRow("Shift+Space") << true << int(Qt::Key_Space) << int(Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+Enter") << true << int(Qt::Key_Return) << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt+Space") << true << int(Qt::Key_Space) << int(Qt::AltModifier) << false;
        QTest::newRow("a letter") << true << int(Qt::Key_A) << 0 << false;
    }

    void startStopKeys()
    {
        QFETCH(bool, initialised);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, acts);
        if (initialised) {
            initialise(numberedNames(5));
            f->control(QStringLiteral("Txt_Results"))->setFocus();
        }
        f->press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (initialised) {
            QCOMPARE(f->session().roundState(), acts ? State::Rolling : State::Ready);
        } else {
            QCOMPARE(f->boxes.shown.size(), 1);
            QCOMPARE(f->boxes.shown[0].text, kExhausted);
            QVERIFY(!start()->isEnabled());
        }
    }

    void countBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("drawn"); // 0: refused
        QTest::newRow("empty") << QString() << QStringLiteral("1") << 1;
        QTest::newRow("negative") << QStringLiteral("-3") << QStringLiteral("1") << 1;
        QTest::newRow("letters") << QStringLiteral("abc") << QStringLiteral("1") << 1;
        QTest::newRow("blanks around") << QStringLiteral(" 2 ") << QStringLiteral(" 2 ") << 2;
        QTest::newRow("all ten") << QStringLiteral("10") << QStringLiteral("10") << 10;
        QTest::newRow("one too many") << QStringLiteral("11") << QStringLiteral("11") << 0;
    }

    void countBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(int, drawn);
        initialise(numberedNames(10));
        auto *num = f->control<QLineEdit>(QStringLiteral("Txt_Num"));
        num->setText(typed);
        QString labelDuringBox;
        f->boxes.whileShown = [&] { labelDuringBox = rollLabel()->text(); };
        QTest::mouseClick(start(), Qt::LeftButton);

        QCOMPARE(num->text(), after);
        QCOMPARE(f->session().remainingCount(), 10 - drawn);
        QCOMPARE(rollLabel()->text(), QStringLiteral("---------"));
        if (drawn == 0) {
            QCOMPARE(f->boxes.shown.size(), 1);
            QCOMPARE(f->boxes.shown[0].text, QStringLiteral("抽取的人数不能多于候选人数！[开始]"));
            QCOMPARE(labelDuringBox, QStringLiteral("---------"));
            QCOMPARE(start()->text(), kStart);
            QVERIFY(start()->isEnabled());
            QCOMPARE(f->window->focusWidget(), start()); // back where the click put it
            QVERIFY(!timer("Timer1")->isActive());
            return;
        }
        QTest::mouseClick(start(), Qt::LeftButton);
        waitForReveal();
        QCOMPARE(f->session().roundNumber(), drawn + 1);
    }

    // One press toggles the round once; the focused control is not also
    // pressed, chosen, ticked or scrolled by it. A text box gets the key too.
    void keyOnFocusedControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        for (const char *control : {"Cmd_Start", "Cmd_Save", "Cmd_Print", "Cmd_Exit", "CmdAbout", "Opt_Align_0",
                                    "Check_Title", "List_FontSize_Roll", "HScroll_Color_Roll", "Txt_Results",
                                    "Txt_Num"}) {
            QTest::addRow("%s Space", control) << QString::fromLatin1(control) << int(Qt::Key_Space);
            QTest::addRow("%s Enter", control) << QString::fromLatin1(control) << int(Qt::Key_Return);
        }
    }

    void keyOnFocusedControl()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        initialise(numberedNames(8));
        QWidget *target = f->control(control);
        auto *button = qobject_cast<QAbstractButton *>(target);
        std::unique_ptr<QSignalSpy> clicks(button ? new QSignalSpy(button, &QAbstractButton::clicked) : nullptr);
        QSignalSpy about(f->window.get(), &FrmMain::aboutRequested);
        auto *list = f->control<QListWidget>(QStringLiteral("List_FontSize_Roll"));
        list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        f->control<QLineEdit>(QStringLiteral("Txt_Num"))->setText(QStringLiteral("1"));
        target->setFocus();

        f->press(Qt::Key(key));
        QCOMPARE(f->session().roundState(), State::Rolling);
        QTest::qWait(150); // longer than a button's animated click
        QCOMPARE(clicks ? clicks->count() : 0, 0);
        QCOMPARE(about.count(), 0);
        QVERIFY(f->boxes.shown.isEmpty());
        QVERIFY(f->printer.printed.isEmpty());
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(f->control<QScrollBar>(QStringLiteral("HScroll_Color_Roll"))->value(), 0);
        QCOMPARE(f->control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), Qt::PartiallyChecked);
        QCOMPARE(f->window->findChild<QButtonGroup *>(QStringLiteral("Opt_Align"))->checkedId(), 2);
        QCOMPARE(f->control<QLineEdit>(QStringLiteral("Txt_Num"))->text(),
                 control == QLatin1String("Txt_Num") && key == Qt::Key_Space ? QStringLiteral("1 ") : QStringLiteral("1"));

        f->press(Qt::Key(key)); // and the next press stops it, once
        QCOMPARE(f->session().roundState(), State::RevealPending);
        if (target == start()) // disabled until the reveal: the focus waits in the operations bar
            QCOMPARE(QApplication::focusWidget()->parentWidget(), f->control(QStringLiteral("Frame_Oper")));
        waitForReveal();
        QCOMPARE(QApplication::focusWidget(), target);
        QCOMPARE(f->session().roundNumber(), 2);
    }

    void startRequestBetweenStopAndReveal()
    {
        initialise(numberedNames(9));
        f->control<QLineEdit>(QStringLiteral("Txt_Num"))->setText(QStringLiteral("2"));
        start()->click();
        const QStringList picks = f->session().roundPicks();
        start()->click(); // stop, and before the reveal timer can fire:
        QVERIFY(!start()->isEnabled());
        f->control(QStringLiteral("Txt_Results"))->setFocus();
        f->press(Qt::Key_Return);
        QCOMPARE(f->session().roundState(), State::RevealPending);
        QCOMPARE(f->session().roundPicks(), picks);
        QVERIFY(!timer("Timer1")->isActive());
        QVERIFY(f->boxes.shown.isEmpty());
        waitForReveal();
        QCOMPARE(f->session().log().text(),
                 QStringLiteral("摇号结果\r\n\r\n") + entry(1, picks[1]) + QStringLiteral("\r\n") + entry(2, picks[0]));
        QCOMPARE(f->session().remainingCount(), 7);
    }

    void accessKeyStartsAndStops()
    {
        initialise(numberedNames(3));
        QTest::keyClick(f->window.get(), Qt::Key_G, Qt::AltModifier);
        QTRY_COMPARE(f->session().roundState(), State::Rolling);
        QTest::keyClick(f->window.get(), Qt::Key_G, Qt::AltModifier);
        QTRY_COMPARE(f->session().roundNumber(), 2);
    }

    // Names are plain text wherever they show, never markup.
    void namesShowAsTyped()
    {
        const QStringList names = {QStringLiteral("<b>王</b>"), QStringLiteral("&amp;李<br>"), QStringLiteral(" 赵 "),
                                   QStringLiteral("<i>钱")};
        initialise(names);
        QCOMPARE(rollLabel()->textFormat(), Qt::PlainText);
        f->control<QLineEdit>(QStringLiteral("Txt_Num"))->setText(QStringLiteral("2"));
        start()->click();
        start()->click();
        QCOMPARE(rollLabel()->text(), names[0]);
        waitForReveal();
        f->press(Qt::Key_Return); // the last group of two
        QCOMPARE(f->boxes.shown.value(0).text, QStringLiteral("仅剩最后一组候选项目，就是| 赵 |<i>钱，不足以进行一次摇号！"));
        QCOMPARE(f->control<QPlainTextEdit>(QStringLiteral("Txt_Results"))->toPlainText(),
                 QStringList({QStringLiteral("摇号结果"), QString(), entry(1, names[1]), entry(2, names[0]),
                              entry(3, names[2]), entry(4, names[3])})
                     .join(QLatin1Char('\n')));
    }

    void saveAndPrint_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("blocked"); // a folder stands where the results file goes
        QTest::newRow("save") << QStringLiteral("Cmd_Save") << false;
        QTest::newRow("save fails") << QStringLiteral("Cmd_Save") << true;
        QTest::newRow("print") << QStringLiteral("Cmd_Print") << false;
        QTest::newRow("print fails") << QStringLiteral("Cmd_Print") << true;
    }

    void saveAndPrint()
    {
        QFETCH(QString, button);
        QFETCH(bool, blocked);
        initialise(numberedNames(4));
        start()->click();
        start()->click();
        waitForReveal();
        const QString path = taviro::resultsFilePath(f->folder.path());
        if (blocked)
            QVERIFY(QDir().mkdir(path));
        QTest::mouseClick(f->control<QPushButton>(button), Qt::LeftButton);

        const bool print = button == QLatin1String("Cmd_Print");
        QCOMPARE(f->printer.printed, print && !blocked ? QStringList{path} : QStringList());
        QString message = blocked ? QStringLiteral("摇号结果没有保存！") : print ? QString() : taviro::savedMessage();
        QCOMPARE(f->boxes.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QVERIFY(f->boxes.shown[0].text.startsWith(message));
            QCOMPARE(f->boxes.shown[0].caption, QStringLiteral("Taviro"));
        }
        if (!blocked) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), taviro::encodeResults(f->session().log().text()));
        }
    }

    void closePaths_data()
    {
        QTest::addColumn<ClosePath>("path");
        QTest::addColumn<QList<bool>>("answers");
        const std::pair<const char *, ClosePath> paths[] = {{"Exit button", ClosePath::ExitButton},
                                                            {"Alt+X", ClosePath::ExitAccessKey},
                                                            {"close()", ClosePath::CloseMethod},
                                                            {"window system", ClosePath::WindowSystemClose}};
        for (const auto &[name, path] : paths) {
            QTest::addRow("%s, Yes Yes", name) << path << QList<bool>{true, true};
            QTest::addRow("%s, Yes No", name) << path << QList<bool>{true, false};
            QTest::addRow("%s, No", name) << path << QList<bool>{false};
        }
    }

    // Every close path asks twice; a refusal changes nothing, not even a running roll.
    void closePaths()
    {
        QFETCH(ClosePath, path);
        QFETCH(QList<bool>, answers);
        initialise(numberedNames(5));
        start()->click();
        bool rollingWhileAsked = true;
        f->boxes.whileShown = [&] { rollingWhileAsked = rollingWhileAsked && timer("Timer1")->isActive(); };
        f->boxes.answers = answers;
        FrmMain *w = f->window.get();
        switch (path) {
        case ClosePath::ExitButton:
            QTest::mouseClick(f->control<QPushButton>(QStringLiteral("Cmd_Exit")), Qt::LeftButton);
            break;
        case ClosePath::ExitAccessKey:
            QTest::keyClick(w, Qt::Key_X, Qt::AltModifier);
            QTRY_COMPARE(f->boxes.shown.size(), answers.size());
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
        const QList<RecordedBox> expected = {{true, QStringLiteral("确定要关闭摇号软件吗?"), QStringLiteral("退出")},
                                             {true, QStringLiteral("请再次确认关闭吗?"), QStringLiteral("确认退出")}};
        QCOMPARE(f->boxes.shown.size(), answers.size());
        for (int i = 0; i < answers.size(); ++i) {
            QCOMPARE(f->boxes.shown[i].text, expected[i].text);
            QCOMPARE(f->boxes.shown[i].caption, expected[i].caption);
            QVERIFY(f->boxes.shown[i].question);
        }
        QVERIFY(rollingWhileAsked);
        const bool closed = answers == QList<bool>{true, true};
        QCOMPARE(w->isVisible(), !closed);
        if (closed)
            return;
        QCOMPARE(f->session().roundState(), State::Rolling);
        const QString shown = rollLabel()->text();
        QTRY_VERIFY(rollLabel()->text() != shown);
        start()->click();
        waitForReveal();
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
