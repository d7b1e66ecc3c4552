// The main window driven as a person drives it: clicks, keys and timers, real
// message boxes, Save and Print, and bonus.txt going wrong.

#include "support.h"

#include "draw/draw_messages.h"
#include "output/results_file.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

#include <sys/stat.h>

using State = taviro::DrawSession::RoundState;
Q_DECLARE_METATYPE(State)
using namespace taviro::msg;

class TestFrmMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

    QPushButton *start() const { return f->button("Cmd_Start"); }
    QLabel *rollLabel() const { return f->control<QLabel>(QStringLiteral("Lbl_Roll")); }
    QLineEdit *num() const { return f->control<QLineEdit>(QStringLiteral("Txt_Num")); }
    QWidget *results() const { return f->control(QStringLiteral("Txt_Results")); }
    bool rolling() const { return f->window->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive(); }
    QString bonus() const { return QDir(f->folder.path()).filePath(QStringLiteral("bonus.txt")); }
    // Everything a click on Save or Print, or a key in a modal window, must leave as it was.
    auto drawState() const
    {
        const taviro::DrawSession &s = f->session();
        return std::make_tuple(s.roundState(), s.remainingCount(), s.roundNumber(), s.roundPicks(), s.log().text(),
                               f->control<QPlainTextEdit>("Txt_Results")->toPlainText(), start()->text(), start()->isEnabled(),
                               rolling(), f->window->findChild<QTimer *>(QStringLiteral("Timer2"))->isActive());
    }
    void round(int count)
    {
        num()->setText(QString::number(count));
        start()->click();
        start()->click();
        f->waitForReveal();
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void startUpState()
    {
        QCOMPARE(f->window->windowTitle(), QStringLiteral("Taviro V1.0.2     -  最简单摇号软件"));
        for (auto [name, red] : {std::pair{"FrmMain", true}, {"Frame_Oper", true}, {"Frame_Settings", false}, {"Txt_Results", false}})
            QCOMPARE(f->control(name)->palette().color(QPalette::Window) == Qt::red, red);
        QVERIFY(!start()->isEnabled() && QApplication::focusWidget() == results());
        for (const char *name : {"List_Fonts_Roll", "List_Fonts_Results"}) {
            QStringList entries;
            for (int i = 0; i < f->control<QListWidget>(name)->count(); ++i)
                entries.append(f->control<QListWidget>(name)->item(i)->text());
            QCOMPARE(entries, QFontDatabase::families());
        }
        QVERIFY(QFontMetrics(rollLabel()->font()).inFontUcs4(0x6447)); // the bold 42-point label renders 摇
        QTest::mouseClick(f->button("Cmd_Init"), Qt::LeftButton); // no bonus.txt yet
        QCOMPARE(f->boxes.shown.value(0).text, missingFile());
        QVERIFY(f->button("Cmd_Init")->isEnabled() && !start()->isEnabled());
    }

    // Ten candidates in rounds of three, from the count box with Enter.
    void wholeDrawByKeyboard()
    {
        QStringList names = numberedNames(10);
        names[0] = QStringLiteral("<b>王</b>"); // names are plain text wherever they show
        f->initialise(names);
        QCOMPARE(rollLabel()->text(), QStringLiteral("共10条数据！"));
        QCOMPARE(rollLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(f->window->focusWidget(), start()); // passed on from Cmd_Init, not into the hidden panel
        num()->setFocus();
        QTest::keyClick(num(), Qt::Key_3);
        QStringList expected = {QStringLiteral("摇号结果"), QString()};
        for (int round = 0; round < 3; ++round) {
            f->press(Qt::Key_Return);
            QTRY_VERIFY(names.contains(rollLabel()->text())); // the ten lines are the sample names
            f->press(Qt::Key_Return);
            QCOMPARE(rollLabel()->text(), names[round * 3]); // the winner first in the file
            f->waitForReveal();
            for (int k = 2; k >= 0; --k) // the scripted reveal reverses the round
                expected.append(QStringLiteral("[%1]:\t%2").arg(expected.size() - 1).arg(names[round * 3 + k]));
        }
        f->press(Qt::Key_Return); // one left, not more than three: the last group
        f->press(Qt::Key_Return); // nobody left
        QCOMPARE(f->boxes.shown.size(), 2);
        QCOMPARE(f->boxes.shown[0].text, QStringLiteral("仅剩最后一组候选项目，就是|候选人10，不足以进行一次摇号！"));
        QCOMPARE(f->boxes.shown[1].text, exhausted());
        QCOMPARE(f->session().log().text(), (expected << QStringLiteral("[10]:\t候选人10")).join("\r\n"));
        QCOMPARE(f->control<QPlainTextEdit>("Txt_Results")->toPlainText(), expected.join('\n'));
        QVERIFY(f->control<QPlainTextEdit>("Txt_Results")->textCursor().atEnd());
    }

    // A press on the focused control (none: a click on Cmd_Start) toggles the
    // round once or not at all, and the control is not also pressed, ticked
    // or chosen by it; the count box gets its Space.
    void keys_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("message"); // "": the press starts a round; "-": nothing happens
        QTest::newRow("Enter before Initialise") << "uninitialised" << "Txt_Results" << int(Qt::Key_Return) << 0 << exhausted();
        QTest::newRow("refused count") << "count 10" << "" << 0 << 0 << countTooLarge();
        QTest::newRow("Enter between stop and reveal") << "stopped" << "Txt_Results" << int(Qt::Key_Return) << 0 << "-";
        QTest::newRow("Ctrl+Enter") << "" << "Txt_Results" << int(Qt::Key_Return) << int(Qt::ControlModifier) << "-";
        QTest::newRow("Alt+Space") << "" << "Txt_Results" << int(Qt::Key_Space) << int(Qt::AltModifier) << "-";
        for (auto [control, key] : {std::pair{"Cmd_Start", Qt::Key_Space}, {"Cmd_Print", Qt::Key_Return}, {"CmdAbout", Qt::Key_Space},
                                    {"Opt_Align_0", Qt::Key_Space}, {"Check_Title", Qt::Key_Space}, {"List_FontSize_Roll", Qt::Key_Return},
                                    {"Txt_Results", Qt::Key_Enter}, {"Txt_Num", Qt::Key_Space}})
            QTest::addRow("%s %d", control, key) << "" << control << int(key) << 0 << QString();
    }
    void keys()
    {
        QFETCH(QString, before); QFETCH(QString, control); QFETCH(int, key); QFETCH(int, modifiers);
        QFETCH(QString, message);
        if (before != QLatin1String("uninitialised"))
            f->initialise(numberedNames(8));
        num()->setText(before == QLatin1String("count 10") ? QStringLiteral("10") : QStringLiteral("1"));
        if (before == QLatin1String("stopped")) {
            start()->click();
            start()->click(); // and the reveal timer has not fired yet
        }
        QSignalSpy about(f->window.get(), &taviro::FrmMain::aboutRequested);
        auto *list = f->control<QListWidget>(QStringLiteral("List_FontSize_Roll"));
        list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        const auto prior = std::make_tuple(f->session().roundState(), f->session().roundPicks());
        QWidget *target = control.isEmpty() ? start() : f->control(control);
        target->setFocus();
        control.isEmpty() ? QTest::mouseClick(start(), Qt::LeftButton) : f->press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f->session().roundState(), message.isEmpty() ? State::Rolling : std::get<0>(prior));
        QTest::qWait(150); // longer than a button's animated click
        QVERIFY(about.isEmpty() && f->printer.printed.isEmpty() && list->selectedItems().isEmpty());
        QVERIFY(!f->control<QAbstractButton>(QStringLiteral("Opt_Align_0"))->isChecked());
        QCOMPARE(f->control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), Qt::PartiallyChecked);
        QCOMPARE(num()->text().endsWith(' '), control == QLatin1String("Txt_Num"));
        QCOMPARE(f->boxes.shown.size(), int(message.size() > 1));
        QCOMPARE(f->boxes.shown.value(0).text, message.size() > 1 ? message : QString());
        if (!message.isEmpty()) {
            QVERIFY(!rolling() && start()->text() == QStringLiteral("开始&G") && start()->isEnabled() == (before != QLatin1String("uninitialised")));
            QCOMPARE(f->window->focusWidget(), target); // back where the click put it
            QCOMPARE(f->session().roundPicks(), std::get<1>(prior));
            if (before == QLatin1String("stopped")) {
                f->waitForReveal();
                QCOMPARE(f->session().remainingCount(), 7); // revealed once
            }
            return;
        }
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
        f->writeBonus(numberedNames(5));
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

    // Real message boxes over the window: no icon, the caption as given,
    // plain text, Chinese buttons, Yes the default. Enter and Space typed
    // while one is open are the box's, never the draw's. Every close path
    // asks twice, and a refusal changes nothing, not even a running roll.
    void modalBoxes_data()
    {
        QTest::addColumn<QString>("path"); // how the close is asked for while a round rolls; "": a refused count
        QTest::addColumn<QList<int>>("keys"); // one for each box in turn; 0: its close box
        QTest::addColumn<QStringList>("boxes");
        const QString yesNo = QStringLiteral("|否(&N),是(&Y)|是(&Y)|否(&N)"), first = QStringLiteral("退出|确定要关闭摇号软件吗?") + yesNo;
        const QStringList both = {first, QStringLiteral("确认退出|请再次确认关闭吗?") + yesNo};
        QTest::newRow("refused count, Enter is OK") << "" << QList<int>{Qt::Key_Return} << QStringList{"Taviro|" + countTooLarge() + "|确定||"};
        QTest::newRow("Alt+X, Enter is Yes, Escape is No") << "Alt+X" << QList<int>{Qt::Key_Return, Qt::Key_Escape} << both;
        QTest::newRow("Alt+X, Yes, Yes") << "Alt+X" << QList<int>{Qt::Key_Return, Qt::Key_Return} << both;
        QTest::newRow("Exit button, N is No") << "Cmd_Exit" << QList<int>{Qt::Key_N} << QStringList{first};
        QTest::newRow("Exit button, Yes, Yes") << "Cmd_Exit" << QList<int>{Qt::Key_Y, Qt::Key_Y} << both;
        QTest::newRow("window system, the close box is No") << "system" << QList<int>{0} << QStringList{first};
        QTest::newRow("window system, Yes, No") << "system" << QList<int>{Qt::Key_Return, Qt::Key_N} << both;
    }
    void modalBoxes()
    {
        QFETCH(QString, path); QFETCH(QList<int>, keys); QFETCH(QStringList, boxes);
        f = std::make_unique<MainWindowFixture>(nullptr, &taviro::standardMessageBoxes());
        f->initialise(numberedNames(9));
        const bool close = !path.isEmpty();
        num()->setText(close ? QStringLiteral("1") : QStringLiteral("10"));
        if (close)
            start()->click();
        const auto before = drawState();
        QStringList seen;
        QTimer poll; // answers each box in turn
        connect(&poll, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->property("seen").toBool() || seen.size() == keys.size())
                return;
            box->setProperty("seen", true);
            QStringList buttons;
            for (QAbstractButton *b : box->buttons())
                buttons.append(b->text());
            buttons.sort();
            seen << QStringList{box->windowTitle(), box->text(), buttons.join(','), box->defaultButton() ? box->defaultButton()->text() : "",
                                box->escapeButton() && close ? box->escapeButton()->text() : QString()}.join('|');
            QVERIFY(box->icon() == QMessageBox::NoIcon && box->textFormat() == Qt::PlainText && rolling() == close);
            for (Qt::Key k : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter})
                QTest::keyClick(results(), k);
            const int key = keys[seen.size() - 1];
            key ? QTest::keyClick(box, Qt::Key(key)) : void(box->close());
        });
        poll.start(20);
        QCloseEvent request; // the close box, Alt+F4 or the window manager
        path == QLatin1String("Alt+X")      ? QTest::keyClick(f->window.get(), Qt::Key_X, Qt::AltModifier)
        : path == QLatin1String("Cmd_Exit") ? QTest::mouseClick(f->button("Cmd_Exit"), Qt::LeftButton)
        : close                             ? void(QCoreApplication::sendEvent(f->window->windowHandle(), &request))
                                            : start()->click();
        QTRY_COMPARE(seen, boxes);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        const bool closed = keys.size() == 2 && keys[1] != Qt::Key_Escape && keys[1] != Qt::Key_N;
        QCOMPARE(f->window->isVisible(), !closed);
        QVERIFY(closed || drawState() == before);
    }

    // Save and Print: the same bytes, a box for Save only, the draw untouched;
    // with a folder in the file's place, a failure box and nothing printed.
    void saveAndPrint_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("rounds"); // 0, 1 (two names), 2 (two, then one); -1: one left rolling
        QTest::addColumn<QByteArray>("bytes"); // empty: a folder stands in the file's place
        const QByteArray heading = QByteArray::fromHex("d2a1bac5bde1b9fb") + "\r\n"; // GBK, from the code page's table
        const QByteArray one = heading + "\r\n[1]:\t\xc0\xee\xcb\xc4\r\n[2]:\t\xd5\xc5\xc8\xfd";
        QTest::newRow("Save before any draw") << "Cmd_Save" << 0 << heading + "\r\n";
        QTest::newRow("Print while a roll runs") << "Cmd_Print" << -1 << heading + "\r\n";
        QTest::newRow("Save, worked example") << "Cmd_Save" << 2 << one + "\r\n[3]:\t\xcd\xf5\xce\xe5\r\n";
        QTest::newRow("Print, two entries") << "Cmd_Print" << 1 << one + "\r\n";
        QTest::newRow("Save blocked") << "Cmd_Save" << 2 << QByteArray();
        QTest::newRow("Print blocked") << "Cmd_Print" << 2 << QByteArray();
    }
    void saveAndPrint()
    {
        QFETCH(QString, button); QFETCH(int, rounds); QFETCH(QByteArray, bytes);
        f->initialise(QStringList{"张三", "李四", "王五"} + numberedNames(5));
        rounds > 0 ? round(2) : rounds < 0 ? start()->click() : void();
        if (rounds == 2)
            round(1);
        const QString path = taviro::resultsFilePath(f->folder.path());
        const bool blocked = bytes.isEmpty(), save = button == QLatin1String("Cmd_Save");
        QVERIFY(!blocked || QDir().mkdir(path)); // as root, permission bits would not stop the write, a folder does
        const auto before = drawState();
        QByteArray atBox;
        f->boxes.whileShown = [&] { atBox = readAll(path); };
        QTest::mouseClick(f->button(qPrintable(button)), Qt::LeftButton);
        QVERIFY(drawState() == before);
        QCOMPARE(f->boxes.shown.size(), int(save || blocked));
        QCOMPARE(f->boxes.shown.value(0).caption, save || blocked ? QStringLiteral("Taviro") : QString());
        QCOMPARE(f->printer.printed, !save && !blocked ? QStringList{path} : QStringList());
        if (blocked) {
            QCOMPARE(f->boxes.shown[0].text, taviro::saveFailedMessage(taviro::saveResults(f->session().log().text(), f->folder.path())));
            QVERIFY(f->boxes.shown[0].text.contains(QDir::toNativeSeparators(path)) && QDir(path).isEmpty());
            return;
        }
        QCOMPARE(f->boxes.shown.value(0).text, save ? QStringLiteral("已经保存到摇号软件目录下！文件名叫摇号结果.txt") : QString());
        QCOMPARE((save ? atBox : readAll(path)).toHex(' '), bytes.toHex(' ')); // complete when confirmed
        const QString shown = rollLabel()->text(); // a running roll goes on
        QVERIFY(rounds >= 0 || QTest::qWaitFor([&] { return rollLabel()->text() != shown; }));
    }

    // bonus.txt replaced by a folder or a named pipe, emptied, shortened,
    // lengthened or removed after Initialise: eight candidates in rounds of
    // three and a last group of two, each name of the list as read drawn once.
    void faultsAfterInitialise_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("whileRolling"); // otherwise just before the last group
        for (const char *fault : {"folder", "named pipe", "named pipe with a writer", "emptied", "shortened", "lengthened", "removed"})
            for (bool whileRolling : {true, false})
                QTest::addRow("%s, %s", fault, whileRolling ? "while rolling" : "before the last group") << QString(fault) << whileRolling;
    }
    void faultsAfterInitialise()
    {
        QFETCH(QString, fault); QFETCH(bool, whileRolling);
        const QStringList names = numberedNames(8);
        QFile writer(bonus()); // keeps a named pipe open for writing: the data never ends
        const auto applyFault = [&] {
            QVERIFY(QFile::remove(bonus()));
            if (fault == QLatin1String("folder"))
                QVERIFY(QDir().mkdir(bonus()));
            else if (fault.startsWith(QLatin1String("named pipe")))
                QVERIFY(::mkfifo(QFile::encodeName(bonus()).constData(), 0600) == 0
                        && (!fault.endsWith(QLatin1String("writer")) || (writer.open(QIODevice::ReadWrite | QIODevice::Unbuffered) && writer.write("A\r\nB\r\n") > 0)));
            else if (fault != QLatin1String("removed"))
                f->writeBonus(fault == QLatin1String("emptied") ? QStringList() : numberedNames(fault == QLatin1String("shortened") ? 1 : 30));
        };
        f->initialise(names);
        num()->setText(QStringLiteral("3"));
        for (int round = 1; round <= 2; ++round) {
            start()->click();
            if (round == 1 && whileRolling)
                applyFault();
            QTRY_VERIFY(f->session().rollNames().contains(rollLabel()->text()));
            start()->click();
            QCOMPARE(rollLabel()->text(), names[3 * round - 3]);
            f->waitForReveal();
        }
        if (!whileRolling)
            applyFault();
        start()->click();
        start()->click();
        QCOMPARE(f->boxes.shown.size(), 2);
        QCOMPARE(f->boxes.shown[0].text, lastGroup(QStringLiteral("|候选人07|候选人08")));
        QCOMPARE(f->boxes.shown[1].text, exhausted());
        QCOMPARE(sortedWinners(f->session().log().text()), names);
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
