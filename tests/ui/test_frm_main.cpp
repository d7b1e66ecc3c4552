// The main window driven as a person drives it: clicks, keys and timers, real
// message boxes, Save and Print, and bonus.txt going wrong.

#include "support.h"

#include "draw/draw_messages.h"
#include "output/results_file.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
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

namespace {

const QString kStart = QStringLiteral("开始&G");
const QString kExhausted = QStringLiteral("都抽完了，一个不剩了！！！！！");
QString entry(int number, const QString &name) { return QStringLiteral("[%1]:\t%2").arg(number).arg(name); }

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
    QString bonus() const { return QDir(f->folder.path()).filePath(QStringLiteral("bonus.txt")); }

    // Everything a click on Save or Print, or a key in a modal window, must leave as it was.
    auto drawState() const
    {
        const taviro::DrawSession &s = f->session();
        const auto &timers = f->window->form().timers;
        return std::make_tuple(s.roundState(), s.remainingCount(), s.roundNumber(), s.roundPicks(), s.log().text(),
                               results()->toPlainText(), start()->text(), start()->isEnabled(),
                               timers.value("Timer1")->isActive(), timers.value("Timer2")->isActive());
    }
    void round(int count)
    {
        num()->setText(QString::number(count));
        start()->click();
        start()->click();
        f->waitForReveal();
    }

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
        for (auto [name, red] : {std::pair{"FrmMain", true}, {"Frame_Oper", true}, {"Frame_Settings", false}, {"Txt_Results", false}})
            QCOMPARE(f->control(name)->palette().color(QPalette::Window) == Qt::red, red);
        QVERIFY(!start()->isEnabled() && start()->text() == kStart);
        QCOMPARE(QApplication::focusWidget(), results());
        for (const char *name : {"List_Fonts_Roll", "List_Fonts_Results"}) {
            const auto *list = f->control<QListWidget>(name);
            QStringList entries;
            for (int i = 0; i < list->count(); ++i)
                entries.append(list->item(i)->text());
            QCOMPARE(entries, QFontDatabase::families());
        }
        QVERIFY(QFontMetrics(rollLabel()->font()).inFontUcs4(0x6447)); // the bold 42-point label renders 摇
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
            QCOMPARE(start()->text(), QStringLiteral("停止&G"));
            QTRY_VERIFY(names.contains(rollLabel()->text())); // the ten lines are the sample names
            f->press(Qt::Key_Return);
            QVERIFY(!rolling() && start()->text() == kStart);
            QCOMPARE(rollLabel()->text(), names[round * 3]); // the winner first in the file
            f->waitForReveal();
            for (int k = 2; k >= 0; --k) // the scripted reveal reverses the round
                expected.append(entry(expected.size() - 1, names[round * 3 + k]));
            QVERIFY(results()->textCursor().atEnd());
        }
        QVERIFY(f->boxes.shown.isEmpty());
        f->press(Qt::Key_Return); // one left, not more than three: the last group
        expected.append(entry(10, names[9]));
        f->press(Qt::Key_Return); // nobody left
        QCOMPARE(f->boxes.shown.size(), 2);
        QCOMPARE(f->boxes.shown[0].text, QStringLiteral("仅剩最后一组候选项目，就是|候选人10，不足以进行一次摇号！"));
        QCOMPARE(f->boxes.shown[1].text, kExhausted);
        QCOMPARE(f->boxes.shown[1].caption, QStringLiteral("Taviro"));
        QCOMPARE(f->session().log().text().split(QStringLiteral("\r\n")), expected);
        QCOMPARE(results()->toPlainText(), expected.join(QLatin1Char('\n')));
        QVERIFY(results()->textCursor().atEnd());
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
        QTest::addColumn<QString>("message"); // "": the press starts a round
        const QString none = QStringLiteral("-");
        QTest::newRow("Enter before Initialise") << "uninitialised" << "Txt_Results" << int(Qt::Key_Return) << 0 << kExhausted;
        QTest::newRow("refused count") << "count 10" << "" << 0 << 0 << QStringLiteral("抽取的人数不能多于候选人数！[开始]");
        QTest::newRow("Enter between stop and reveal") << "stopped" << "Txt_Results" << int(Qt::Key_Return) << 0 << none;
        QTest::newRow("Ctrl+Enter") << "ready" << "Txt_Results" << int(Qt::Key_Return) << int(Qt::ControlModifier) << none;
        QTest::newRow("Alt+Space") << "ready" << "Txt_Results" << int(Qt::Key_Space) << int(Qt::AltModifier) << none;
        for (auto [control, key] : {std::pair{"Cmd_Start", Qt::Key_Space}, {"Cmd_Print", Qt::Key_Return}, {"CmdAbout", Qt::Key_Space},
                                    {"Opt_Align_0", Qt::Key_Space}, {"Check_Title", Qt::Key_Space}, {"List_FontSize_Roll", Qt::Key_Return},
                                    {"Txt_Results", Qt::Key_Enter}, {"Txt_Num", Qt::Key_Space}})
            QTest::addRow("%s %s", control, key == Qt::Key_Space ? "Space" : "Enter") << "ready" << control << int(key) << 0 << QString();
    }
    void keys()
    {
        QFETCH(QString, before);
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, modifiers);
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
        const QStringList picks = f->session().roundPicks();
        const State prior = f->session().roundState();
        QWidget *target = control.isEmpty() ? start() : f->control(control);
        target->setFocus();
        if (control.isEmpty())
            QTest::mouseClick(start(), Qt::LeftButton);
        else
            f->press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f->session().roundState(), message.isEmpty() ? State::Rolling : prior);
        QTest::qWait(150); // longer than a button's animated click
        QVERIFY(about.isEmpty() && f->printer.printed.isEmpty() && list->selectedItems().isEmpty());
        QVERIFY(!f->control<QAbstractButton>(QStringLiteral("Opt_Align_0"))->isChecked());
        QCOMPARE(f->control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), Qt::PartiallyChecked);
        QCOMPARE(num()->text().endsWith(' '), control == QLatin1String("Txt_Num"));
        QCOMPARE(f->boxes.shown.size(), int(!message.isEmpty() && message != QLatin1String("-")));
        QCOMPARE(f->boxes.shown.value(0).text, message == QLatin1String("-") ? QString() : message);
        if (!message.isEmpty()) {
            QVERIFY(!rolling() && start()->text() == kStart && start()->isEnabled() == (before != QLatin1String("uninitialised")));
            if (control.isEmpty())
                QCOMPARE(f->window->focusWidget(), start()); // back where the click put it
            QCOMPARE(f->session().roundPicks(), picks);
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

    // Real message boxes over the window: no icon, the caption as given,
    // plain text, Chinese buttons, Yes the default. Enter and Space typed
    // while one is open are the box's, never the draw's.
    void modalBoxes_data()
    {
        QTest::addColumn<bool>("close"); // Alt+X while a round rolls; else a refused count
        QTest::addColumn<QList<int>>("keys"); // one for each box in turn; 0: its close box
        QTest::addColumn<QStringList>("boxes");
        const QString yesNo = QStringLiteral("|否(&N),是(&Y)|是(&Y)|否(&N)");
        const QString first = QStringLiteral("退出|确定要关闭摇号软件吗?") + yesNo;
        QTest::newRow("refused count, Enter is OK") << false << QList<int>{Qt::Key_Return}
                                                    << QStringList{QStringLiteral("Taviro|抽取的人数不能多于候选人数！[开始]|确定||")};
        QTest::newRow("Enter is Yes, Escape is No") << true << QList<int>{Qt::Key_Return, Qt::Key_Escape}
                                                    << QStringList{first, QStringLiteral("确认退出|请再次确认关闭吗?") + yesNo};
        QTest::newRow("N is No") << true << QList<int>{Qt::Key_N} << QStringList{first};
        QTest::newRow("the close box is No") << true << QList<int>{0} << QStringList{first};
    }
    void modalBoxes()
    {
        QFETCH(bool, close);
        QFETCH(QList<int>, keys);
        QFETCH(QStringList, boxes);
        f = std::make_unique<MainWindowFixture>(nullptr, &taviro::standardMessageBoxes());
        QVERIFY(f->show());
        f->initialise(numberedNames(9));
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
            seen << QStringList{box->windowTitle(), box->text(), buttons.join(','),
                                box->defaultButton() ? box->defaultButton()->text() : QString(),
                                box->escapeButton() && close ? box->escapeButton()->text() : QString()}.join('|');
            QVERIFY(box->icon() == QMessageBox::NoIcon && box->textFormat() == Qt::PlainText);
            for (Qt::Key k : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter})
                QTest::keyClick(results(), k);
            const int key = keys[seen.size() - 1];
            key ? QTest::keyClick(box, Qt::Key(key)) : void(box->close());
        });
        poll.start(20);
        if (close)
            QTest::keyClick(f->window.get(), Qt::Key_X, Qt::AltModifier);
        else
            start()->click();
        QTRY_COMPARE(seen, boxes);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(f->window->isVisible());
        QVERIFY(drawState() == before);
    }

    // Save and Print: the same bytes, a box for Save only, the draw untouched;
    // with a folder in the file's place, a failure box and nothing printed.
    void saveAndPrint_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("rounds"); // 0, 1 (two names), 2 (two, then one); -1: one left rolling
        QTest::addColumn<bool>("blocked");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray heading = QByteArray::fromHex("d2a1bac5bde1b9fb") + "\r\n"; // GBK, from the code page's table
        const QByteArray one = heading + "\r\n[1]:\t\xc0\xee\xcb\xc4\r\n[2]:\t\xd5\xc5\xc8\xfd";
        QTest::newRow("Save before any draw") << "Cmd_Save" << 0 << false << heading + "\r\n";
        QTest::newRow("Print while a roll runs") << "Cmd_Print" << -1 << false << heading + "\r\n";
        QTest::newRow("Save, worked example") << "Cmd_Save" << 2 << false << one + "\r\n[3]:\t\xcd\xf5\xce\xe5\r\n";
        QTest::newRow("Print, two entries") << "Cmd_Print" << 1 << false << one + "\r\n";
        QTest::newRow("Save blocked") << "Cmd_Save" << 2 << true << QByteArray();
        QTest::newRow("Print blocked") << "Cmd_Print" << 2 << true << QByteArray();
    }
    void saveAndPrint()
    {
        QFETCH(QString, button);
        QFETCH(int, rounds);
        QFETCH(bool, blocked);
        QFETCH(QByteArray, bytes);
        f->initialise(QStringList{"张三", "李四", "王五"} + numberedNames(5));
        if (rounds > 0)
            round(2);
        if (rounds == 2)
            round(1);
        if (rounds < 0)
            start()->click();
        const QString path = taviro::resultsFilePath(f->folder.path());
        if (blocked) // as root, permission bits would not stop the write, a folder does
            QVERIFY(QDir().mkdir(path));
        const auto before = drawState();
        QByteArray atBox;
        f->boxes.whileShown = [&] { atBox = readAll(path); };
        f->control(button)->setFocus();
        QTest::mouseClick(f->button(qPrintable(button)), Qt::LeftButton);
        QVERIFY(drawState() == before);
        const bool save = button == QLatin1String("Cmd_Save");
        QCOMPARE(f->boxes.shown.size(), int(save || blocked));
        QCOMPARE(f->boxes.shown.value(0).caption, save || blocked ? QStringLiteral("Taviro") : QString());
        QCOMPARE(f->printer.printed, !save && !blocked ? QStringList{path} : QStringList());
        if (blocked) {
            QCOMPARE(f->boxes.shown[0].text, taviro::saveFailedMessage(taviro::saveResults(f->session().log().text(), f->folder.path())));
            QVERIFY(f->boxes.shown[0].text.contains(QDir::toNativeSeparators(path)) && QDir(path).isEmpty());
            return;
        }
        if (save) {
            QCOMPARE(f->boxes.shown[0].text, QStringLiteral("已经保存到摇号软件目录下！文件名叫摇号结果.txt"));
            QCOMPARE(atBox.toHex(' '), bytes.toHex(' ')); // complete when confirmed
        }
        QCOMPARE(readAll(path).toHex(' '), bytes.toHex(' '));
        if (rounds < 0) { // the roll goes on
            const QString shown = rollLabel()->text();
            QTRY_VERIFY(rollLabel()->text() != shown);
        }
    }

    // bonus.txt replaced by a folder or a named pipe, emptied, shortened,
    // lengthened or removed: before Initialise a clear message and nothing
    // initialised; after it, eight candidates in rounds of three and a last
    // group of two, each name of the list as read drawn once. Nothing hangs.
    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("when"); // 0 before Initialise, 1 while rolling, 2 before the last group
        for (const char *fault : {"folder", "named pipe", "named pipe with a writer", "emptied", "shortened", "lengthened", "removed"})
            for (int when : {0, 1, 2})
                QTest::addRow("%s, %s", fault, when == 0 ? "before Initialise" : when == 1 ? "while rolling" : "before the last group")
                    << QString::fromLatin1(fault) << when;
    }
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(int, when);
        const QStringList names = numberedNames(8);
        std::unique_ptr<QFile> writer; // keeps a named pipe open for writing
        const auto applyFault = [&] {
            QVERIFY(QFile::remove(bonus()));
            if (fault == QLatin1String("folder"))
                QVERIFY(QDir().mkdir(bonus()));
            else if (fault.startsWith(QLatin1String("named pipe")))
                QCOMPARE(::mkfifo(QFile::encodeName(bonus()).constData(), 0600), 0);
            else if (fault != QLatin1String("removed"))
                f->writeBonus(candidateBytes(fault == QLatin1String("emptied") ? QStringList() : numberedNames(fault == QLatin1String("shortened") ? 1 : 30)));
            if (fault.endsWith(QLatin1String("writer"))) { // the data never ends
                writer = std::make_unique<QFile>(bonus());
                QVERIFY(writer->open(QIODevice::ReadWrite | QIODevice::Unbuffered) && writer->write(candidateBytes(names)) > 0);
            }
        };
        f->writeBonus(candidateBytes(names));
        if (when == 0) {
            applyFault();
            QTest::mouseClick(f->button("Cmd_Init"), Qt::LeftButton);
            const bool lengthened = fault == QLatin1String("lengthened");
            QCOMPARE(f->boxes.shown.size(), lengthened ? 0 : 1);
            QCOMPARE(f->boxes.shown.value(0).caption, lengthened ? QString() : QStringLiteral("Taviro"));
            QCOMPARE(f->session().isInitialised(), lengthened);
            if (lengthened)
                return;
            const QString text = f->boxes.shown[0].text, unreadable = taviro::msg::unreadable(QStringLiteral("%1"));
            QVERIFY2(text == taviro::msg::missingFile() || text == taviro::msg::tooFew()
                         || (text.startsWith(unreadable.section("%1", 0, 0)) && text.endsWith(unreadable.section("%1", 1))), qPrintable(text));
            QVERIFY(f->button("Cmd_Init")->isEnabled() && !start()->isEnabled());
            writer.reset(); // put right, Initialise reads the list
            QFile::remove(bonus()) || QDir().rmdir(bonus());
            f->initialise(names);
            QCOMPARE(f->session().candidates(), names);
            return;
        }
        f->initialise(names);
        num()->setText(QStringLiteral("3"));
        for (int round = 1; round <= 2; ++round) {
            start()->click();
            if (round == 1 && when == 1)
                applyFault();
            QTRY_VERIFY(f->session().rollNames().contains(rollLabel()->text()));
            start()->click();
            QCOMPARE(rollLabel()->text(), names[3 * round - 3]);
            f->waitForReveal();
        }
        if (when == 2)
            applyFault();
        start()->click();
        start()->click();
        QCOMPARE(f->boxes.shown.size(), 2);
        QCOMPARE(f->boxes.shown[0].text, taviro::msg::lastGroup(QStringLiteral("|候选人07|候选人08")));
        QCOMPARE(f->boxes.shown[1].text, taviro::msg::exhausted());
        QCOMPARE(sortedWinners(f->session().log().text()), names);
    }

    // Every close path asks twice; a refusal changes nothing, not even a running roll.
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
    void closePaths()
    {
        QFETCH(QString, path);
        QFETCH(QList<bool>, answers);
        f->initialise(numberedNames(5));
        start()->click();
        bool rollingWhileAsked = true;
        f->boxes.whileShown = [&] { rollingWhileAsked = rollingWhileAsked && rolling(); };
        f->boxes.answers = answers;
        QCloseEvent request;
        if (path == QLatin1String("Exit button"))
            QTest::mouseClick(f->button("Cmd_Exit"), Qt::LeftButton);
        else if (path == QLatin1String("Alt+X")) // clicks through animateClick, a moment later
            QTest::keyClick(f->window.get(), Qt::Key_X, Qt::AltModifier);
        else // the close box, Alt+F4 or the window manager
            QCoreApplication::sendEvent(f->window->windowHandle(), &request);
        QTRY_COMPARE(f->boxes.shown.size(), answers.size());
        QStringList asked;
        for (const RecordedBox &box : f->boxes.shown)
            asked.append(box.caption + QLatin1Char('|') + box.text + (box.question ? "" : " (OK only)"));
        QCOMPARE(asked, QStringList({QStringLiteral("退出|确定要关闭摇号软件吗?"), QStringLiteral("确认退出|请再次确认关闭吗?")}).mid(0, answers.size()));
        QVERIFY(rollingWhileAsked);
        const bool closed = answers == QList<bool>{true, true};
        QCOMPARE(f->window->isVisible(), !closed);
        if (!closed) {
            QCOMPARE(f->session().roundState(), State::Rolling);
            const QString shown = rollLabel()->text();
            QTRY_VERIFY(rollLabel()->text() != shown);
        }
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
