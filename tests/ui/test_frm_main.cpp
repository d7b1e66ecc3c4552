// The main window driven as a person drives it: clicks, keys and timers.

#include "ui_test_support.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

using State = taviro::DrawSession::RoundState;
Q_DECLARE_METATYPE(State)

namespace {

const QString kStart = QStringLiteral("开始&G");
const QString kExhausted = QStringLiteral("都抽完了，一个不剩了！！！！！");

QString entry(int number, const QString &name)
{
    return QStringLiteral("[%1]:\t%2").arg(number).arg(name);
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

    QPushButton *start() const { return f->button("Cmd_Start"); }
    QLabel *rollLabel() const { return f->control<QLabel>(QStringLiteral("Lbl_Roll")); }
    QLineEdit *num() const { return f->control<QLineEdit>(QStringLiteral("Txt_Num")); }
    QPlainTextEdit *results() const { return f->control<QPlainTextEdit>(QStringLiteral("Txt_Results")); }
    bool rolling() const { return f->window->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive(); }

private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        QVERIFY(f->show());
    }

    void cleanup() { f.reset(); }

    void startUpState()
    {
        QCOMPARE(f->window->windowTitle(), QStringLiteral("Taviro V1.0.2     -  最简单摇号软件"));
        const QColor red(0xFF, 0x00, 0x00);
        for (QWidget *w : {static_cast<QWidget *>(f->window.get()), f->control(QStringLiteral("Frame_Oper"))})
            QVERIFY(w->palette().color(QPalette::Window) == red && w->autoFillBackground());
        for (const char *name : {"Frame_Settings", "Txt_Results"}) // not passed on to them
            QVERIFY2(f->control(QLatin1String(name))->palette().color(QPalette::Window) != red, name);
        QVERIFY(!start()->isEnabled());
        QCOMPARE(start()->text(), kStart);
        QCOMPARE(QApplication::focusWidget(), results());
        for (const char *name : {"List_Fonts_Roll", "List_Fonts_Results"}) { // the same families in the same order
            const auto *list = f->control<QListWidget>(QLatin1String(name));
            QStringList entries;
            for (int i = 0; i < list->count(); ++i)
                entries.append(list->item(i)->text());
            QCOMPARE(entries, QFontDatabase::families());
        }
        QVERIFY(QFontMetrics(rollLabel()->font()).inFontUcs4(0x6447)); // the bold 42-point label renders 摇
        QVERIFY(!num()->validator()); // the count box takes any text
    }

    // Ten candidates in rounds of three, from the count box with Enter.
    void wholeDrawByKeyboard()
    {
        const QStringList names = numberedNames(10);
        f->initialise(names);
        QCOMPARE(rollLabel()->text(), QStringLiteral("共10条数据！"));
        QCOMPARE(f->window->focusWidget(), start()); // passed on from Cmd_Init, not into the hidden panel
        num()->setFocus();
        QTest::keyClick(num(), Qt::Key_3);

        QStringList expected = {QStringLiteral("摇号结果"), QString()};
        for (int round = 0; round < 3; ++round) {
            f->press(Qt::Key_Return);
            QCOMPARE(start()->text(), QStringLiteral("停止&G"));
            QTRY_VERIFY(names.contains(rollLabel()->text())); // the ten lines are the sample names
            f->press(Qt::Key_Return);
            QCOMPARE(start()->text(), kStart);
            QVERIFY(!rolling());
            QCOMPARE(rollLabel()->text(), names[round * 3]); // the winner first in the file
            f->waitForReveal();
            for (int k = 2; k >= 0; --k) // the scripted reveal reverses the round
                expected.append(entry(expected.size() - 1, names[round * 3 + k]));
            QCOMPARE(f->session().remainingCount(), 7 - 3 * round);
            QVERIFY(results()->textCursor().atEnd());
        }
        QVERIFY(f->boxes.shown.isEmpty());
        QCOMPARE(num()->text(), QStringLiteral("3"));

        f->press(Qt::Key_Return); // one left, not more than three: the last group
        expected.append(entry(10, names[9]));
        f->press(Qt::Key_Return); // nobody left
        QCOMPARE(f->boxes.shown.size(), 2);
        QCOMPARE(f->boxes.shown[0].text, QStringLiteral("仅剩最后一组候选项目，就是|候选人10，不足以进行一次摇号！"));
        QCOMPARE(f->boxes.shown[1].text, kExhausted);
        QCOMPARE(f->boxes.shown[1].caption, QStringLiteral("Taviro"));
        QVERIFY(!rolling());

        QCOMPARE(f->session().log().text().split(QStringLiteral("\r\n")), expected); // names the first wrong entry
        QCOMPARE(results()->toPlainText(), expected.join(QLatin1Char('\n')));
        QVERIFY(results()->textCursor().atEnd());
    }

    // Presses that must not start a round: before Initialise, with a count
    // over the candidates, between a stop and its reveal, or with Ctrl or Alt.
    void pressesThatStartNothing_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key"); // 0: a click on Cmd_Start
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("message");
        QTest::newRow("Enter before Initialise") << "nothing" << int(Qt::Key_Return) << 0 << kExhausted;
        QTest::newRow("refused count") << "count 10" << 0 << 0 << QStringLiteral("抽取的人数不能多于候选人数！[开始]");
        QTest::newRow("Enter between stop and reveal") << "stop" << int(Qt::Key_Return) << 0 << QString();
        QTest::newRow("Ctrl+Enter") << "Initialise" << int(Qt::Key_Return) << int(Qt::ControlModifier) << QString();
        QTest::newRow("Alt+Space") << "Initialise" << int(Qt::Key_Space) << int(Qt::AltModifier) << QString();
    }

    void pressesThatStartNothing()
    {
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, message);
        if (before != QLatin1String("nothing"))
            f->initialise(numberedNames(9));
        num()->setText(before == QLatin1String("count 10") ? QStringLiteral("10") : QStringLiteral("2"));
        if (before == QLatin1String("stop")) {
            start()->click();
            start()->click(); // and the reveal timer has not fired yet
        }
        const QStringList picks = f->session().roundPicks();
        if (key == 0) {
            QTest::mouseClick(start(), Qt::LeftButton);
        } else {
            results()->setFocus();
            f->press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        }
        QVERIFY(!rolling());
        QCOMPARE(start()->text(), kStart);
        QCOMPARE(f->boxes.shown.value(0).text, message);
        QVERIFY(f->boxes.shown.size() <= 1);
        if (before == QLatin1String("nothing"))
            QVERIFY(!start()->isEnabled());
        else if (key == 0)
            QCOMPARE(f->window->focusWidget(), start()); // back where the click put it
        if (before != QLatin1String("stop"))
            return;
        QCOMPARE(f->session().roundState(), State::RevealPending);
        QCOMPARE(f->session().roundPicks(), picks);
        f->waitForReveal();
        QCOMPARE(f->session().remainingCount(), 7); // revealed once
    }

    // One press toggles the round once, and the focused control is not also
    // pressed, ticked or chosen by it; the count box gets its Space.
    void keyOnFocusedControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::newRow("Cmd_Start Space") << "Cmd_Start" << int(Qt::Key_Space);
        QTest::newRow("Cmd_Print Enter") << "Cmd_Print" << int(Qt::Key_Return);
        QTest::newRow("CmdAbout Space") << "CmdAbout" << int(Qt::Key_Space);
        QTest::newRow("Opt_Align_0 Space") << "Opt_Align_0" << int(Qt::Key_Space);
        QTest::newRow("Check_Title Space") << "Check_Title" << int(Qt::Key_Space);
        QTest::newRow("List_FontSize_Roll Enter") << "List_FontSize_Roll" << int(Qt::Key_Return);
        QTest::newRow("Txt_Results keypad Enter") << "Txt_Results" << int(Qt::Key_Enter);
        QTest::newRow("Txt_Num Space") << "Txt_Num" << int(Qt::Key_Space);
    }

    void keyOnFocusedControl()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        f->initialise(numberedNames(8));
        QWidget *target = f->control(control);
        QSignalSpy about(f->window.get(), &taviro::FrmMain::aboutRequested);
        auto *list = f->control<QListWidget>(QStringLiteral("List_FontSize_Roll"));
        list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        num()->setText(QStringLiteral("1"));
        target->setFocus();

        f->press(Qt::Key(key));
        QCOMPARE(f->session().roundState(), State::Rolling);
        QTest::qWait(150); // longer than a button's animated click
        QVERIFY(about.isEmpty() && f->boxes.shown.isEmpty() && f->printer.printed.isEmpty());
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!f->control<QAbstractButton>(QStringLiteral("Opt_Align_0"))->isChecked());
        QCOMPARE(f->control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), Qt::PartiallyChecked);
        QCOMPARE(num()->text(), control == QLatin1String("Txt_Num") ? QStringLiteral("1 ") : QStringLiteral("1"));

        f->press(Qt::Key(key)); // and the next press stops it, once
        QCOMPARE(f->session().roundState(), State::RevealPending);
        if (target == start()) // disabled until the reveal: the focus waits in the operations bar
            QCOMPARE(QApplication::focusWidget()->parentWidget(), f->control(QStringLiteral("Frame_Oper")));
        f->waitForReveal();
        QCOMPARE(QApplication::focusWidget(), target);
        QCOMPARE(f->session().roundNumber(), 2);
    }

    // Keys typed into the count box act in the order typed: an access key
    // clicks its button at once, Alt+letter never types its letter, and a
    // held Enter or Space toggles the round once. Its repeats are marked "*",
    // or "~" when only the release sent at the same instant tells (X11).
    void keysInOrder_data()
    {
        QTest::addColumn<bool>("initialised");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("count"); // the count box afterwards
        QTest::addColumn<State>("state");
        QTest::newRow("Alt+I, Enter at once") << false << "alt+i enter" << "1" << State::Rolling;
        QTest::newRow("Alt+G before Initialise") << false << "alt+g" << "" << State::NotInitialised;
        QTest::newRow("3, Alt+I after it") << true << "3 alt+i" << "3" << State::Ready;
        QTest::newRow("Alt+Q, nobody's") << true << "alt+q" << "" << State::Ready;
        QTest::newRow("held Enter") << true << "enter enter* enter*" << "1" << State::Rolling;
        QTest::newRow("held Space") << true << "space space* space*" << "1   " << State::Rolling;
        QTest::newRow("repeats alone") << true << "enter* space*" << " " << State::Ready;
        QTest::newRow("held Enter, unmarked") << true << "enter enter~ enter~" << "1" << State::Rolling;
    }

    void keysInOrder()
    {
        QFETCH(bool, initialised);
        QFETCH(QString, keys);
        QFETCH(QString, count);
        QFETCH(State, state);
        f->writeBonus(candidateBytes(numberedNames(5)));
        if (initialised)
            f->initialise(numberedNames(5));
        num()->setFocus();
        ulong instant = 1000;
        for (const QString &key : keys.split(QLatin1Char(' '))) {
            QWidget *focus = QApplication::focusWidget();
            if (key.startsWith(QLatin1String("alt+")) || key.size() == 1) {
                QTest::keyClick(focus, key.back().toLatin1(), key.size() > 1 ? Qt::AltModifier : Qt::NoModifier);
                continue;
            }
            const bool enter = key.startsWith(QLatin1String("enter"));
            const Qt::Key code = enter ? Qt::Key_Return : Qt::Key_Space;
            QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, enter ? QStringLiteral("\r") : QStringLiteral(" "));
            QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, release.text(), key.endsWith(QLatin1Char('*')));
            release.setTimestamp(++instant);
            press.setTimestamp(key.endsWith(QLatin1Char('~')) ? instant : ++instant);
            if (key.endsWith(QLatin1Char('~')))
                QApplication::sendEvent(focus, &release);
            QApplication::sendEvent(focus, &press);
        }
        QCOMPARE(f->session().roundState(), state);
        QCOMPARE(num()->text(), count);
        QVERIFY(f->boxes.shown.isEmpty());
    }

    // Names are plain text wherever they show, never markup.
    void namesShowAsTyped()
    {
        const QStringList names = {QStringLiteral("<b>王</b>"), QStringLiteral("&amp;李<br>"), QStringLiteral("<i>钱")};
        f->initialise(names);
        QCOMPARE(rollLabel()->textFormat(), Qt::PlainText);
        num()->setText(QStringLiteral("2"));
        start()->click();
        start()->click();
        QCOMPARE(rollLabel()->text(), names[0]);
        f->waitForReveal();
        start()->click(); // the last group
        QCOMPARE(f->boxes.shown.value(0).text, QStringLiteral("仅剩最后一组候选项目，就是|<i>钱，不足以进行一次摇号！"));
        QCOMPARE(results()->toPlainText(), QStringList({QStringLiteral("摇号结果"), QString(), entry(1, names[1]),
                                                        entry(2, names[0]), entry(3, names[2])})
                                               .join(QLatin1Char('\n')));
    }

    void closePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QList<bool>>("answers");
        for (const char *path : {"Exit button", "Alt+X", "window system"}) {
            QTest::addRow("%s, Yes Yes", path) << path << QList<bool>{true, true};
            QTest::addRow("%s, Yes No", path) << path << QList<bool>{true, false};
            QTest::addRow("%s, No", path) << path << QList<bool>{false};
        }
    }

    // Every close path asks twice; a refusal changes nothing, not even a running roll.
    void closePaths()
    {
        QFETCH(QString, path);
        QFETCH(QList<bool>, answers);
        f->initialise(numberedNames(5));
        start()->click();
        bool rollingWhileAsked = true;
        f->boxes.whileShown = [&] { rollingWhileAsked = rollingWhileAsked && rolling(); };
        f->boxes.answers = answers;
        taviro::FrmMain *w = f->window.get();
        QCloseEvent request;
        if (path == QLatin1String("Exit button")) {
            QTest::mouseClick(f->button("Cmd_Exit"), Qt::LeftButton);
        } else if (path == QLatin1String("Alt+X")) { // clicks at once
            QTest::keyClick(w, Qt::Key_X, Qt::AltModifier);
        } else { // the close box, Alt+F4 or the window manager
            QCoreApplication::sendEvent(w->windowHandle(), &request);
        }
        QStringList asked;
        for (const RecordedBox &box : f->boxes.shown)
            asked.append(box.caption + QLatin1Char('|') + box.text + (box.question ? "" : " (OK only)"));
        QCOMPARE(asked, QStringList({QStringLiteral("退出|确定要关闭摇号软件吗?"), QStringLiteral("确认退出|请再次确认关闭吗?")})
                            .mid(0, answers.size()));
        QVERIFY(rollingWhileAsked);
        const bool closed = answers == QList<bool>{true, true};
        QCOMPARE(w->isVisible(), !closed);
        if (!closed) {
            QCOMPARE(f->session().roundState(), State::Rolling);
            const QString shown = rollLabel()->text();
            QTRY_VERIFY(rollLabel()->text() != shown);
        }
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
