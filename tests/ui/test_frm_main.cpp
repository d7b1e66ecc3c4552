// The main window driven as a person drives it: keys, clicks and real timers,
// real message boxes, Save and Print, the recovery copy, bonus.txt going wrong,
// the layout and the settings panel as shown, and a 10000-candidate soak.

#include "support.h"

#include "draw/draw_messages.h"
#include "draw/draw_random.h"
#include "output/recovery_file.h"
#include "output/results_file.h"
#include "ui/twips.h"
#include "ui/window_sizing.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

#include <sys/stat.h>

using State = taviro::DrawSession::RoundState;
Q_DECLARE_METATYPE(State)
using namespace taviro::msg;
using taviro::twipsToPixels;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// The names of a results text's entries "[1]:\tname", ..., sorted; one out of number is marked "!".
QStringList sortedWinners(const QString &resultsText)
{
    QStringList names = resultsText.split(QStringLiteral("\r\n")).mid(2);
    for (int i = 0; i < names.size(); ++i) {
        const QString number = QStringLiteral("[%1]:\t").arg(i + 1);
        names[i] = names[i].startsWith(number) ? names[i].mid(number.size()) : QLatin1Char('!') + names[i];
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The share of a control's painted pixels that have exactly this colour.
double paintedShare(QWidget *w, const QColor &colour)
{
    const QImage image = w->grab().toImage();
    qint64 hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            hits += image.pixelColor(x, y) == colour;
    return double(hits) / (image.width() * image.height());
}

QRect inTwips(const QRect &r) { return QRect(r.topLeft() * taviro::kTwipsPerPixel, r.size() * taviro::kTwipsPerPixel); }

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    ulong instant = 1000;

    QWidget *w(const QString &name) const { return f->control(name); }
    QPushButton *start() const { return f->button("Cmd_Start"); }
    QLabel *roll() const { return f->control<QLabel>(QStringLiteral("Lbl_Roll")); }
    QLineEdit *num() const { return f->control<QLineEdit>(QStringLiteral("Txt_Num")); }
    QPlainTextEdit *results() const { return f->control<QPlainTextEdit>(QStringLiteral("Txt_Results")); }
    bool rolling() const { return f->window->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive(); }
    QString inFolder(const QString &name) const { return QDir(f->folder.path()).filePath(name); }
    void click(const QString &name, QPoint at = QPoint(4, 4)) { QTest::mouseClick(w(name), Qt::LeftButton, {}, at); }
    QStringList copies() const { return QDir(f->folder.path()).entryList({QStringLiteral("摇号结果_自动保存_*.txt")}); }
    QByteArray saveBytes() { return taviro::encodeResults(f->session().log().text()); }
    // Everything Save, Print, or a key while a modal window is open must leave as it was.
    auto drawState() const
    {
        const taviro::DrawSession &s = f->session();
        return std::make_tuple(s.roundState(), s.remainingCount(), s.roundNumber(), s.roundPicks(), s.log().text(),
                               results()->toPlainText(), start()->text(), start()->isEnabled(), rolling(),
                               f->window->findChild<QTimer *>(QStringLiteral("Timer2"))->isActive());
    }
    void round(int count)
    {
        num()->setText(QString::number(count));
        start()->click();
        start()->click();
        f->waitForReveal();
    }
    // "enter", "space" or "kpenter", after "ctrl+" or "alt+", fresh or repeated: "*" marked, "~" told only by
    // a release at the same instant (X11); or a letter or digit.
    void send(const QString &key)
    {
        QWidget *focus = QApplication::focusWidget();
        const Qt::KeyboardModifiers modifiers = key.startsWith(QLatin1String("alt+"))    ? Qt::AltModifier
                                                : key.startsWith(QLatin1String("ctrl+")) ? Qt::ControlModifier
                                                                                         : Qt::NoModifier;
        const QString base = key.section(QLatin1Char('+'), -1);
        if (base.size() == 1)
            return QTest::keyClick(focus, base[0].toLatin1(), modifiers);
        const bool space = base.startsWith(QLatin1String("space")), unmarked = base.endsWith(QLatin1Char('~'));
        const bool repeat = unmarked || base.endsWith(QLatin1Char('*'));
        const Qt::Key code = space ? Qt::Key_Space : base.startsWith(QLatin1String("kp")) ? Qt::Key_Enter : Qt::Key_Return;
        QKeyEvent release(QEvent::KeyRelease, code, modifiers, space ? QStringLiteral(" ") : QStringLiteral("\r"));
        QKeyEvent press(QEvent::KeyPress, code, modifiers, release.text(), repeat && !unmarked);
        release.setTimestamp(++instant);
        press.setTimestamp(unmarked ? instant : ++instant);
        if (unmarked)
            QApplication::sendEvent(focus, &release);
        QApplication::sendEvent(focus, &press);
        release.setTimestamp(++instant);
        if (!repeat) // a fresh press is let go
            QApplication::sendEvent(focus, &release);
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    // The window as it opens, and a few facts a wrong twips conversion or parent would break.
    void startUpAndLayout()
    {
        QCOMPARE(f->window->windowTitle(), QStringLiteral("Taviro V1.0.2     -  最简单摇号软件"));
        for (auto [name, red] : {std::pair{"FrmMain", true}, {"Frame_Oper", true}, {"Frame_Settings", false}})
            QCOMPARE(w(name)->palette().color(QPalette::Window) == Qt::red, red);
        QVERIFY(!start()->isEnabled() && QApplication::focusWidget() == results());
        for (const char *name : {"List_Fonts_Roll", "List_Fonts_Results"})
            QCOMPARE(f->control<QListWidget>(name)->count(), QFontDatabase::families().size());
        QCOMPARE(inTwips(f->window->rect()), QRect(0, 0, 7140, 5505));
        for (auto [name, parent, twips] : {std::tuple{"Cmd_Start", "Frame_Oper", QRect(1440, 240, 855, 615)},
                                           {"Lbl_Roll", "Pic_Roll", QRect(-1440, 0, 9735, 855)},
                                           {"CmdAbout", "Frame_Settings", QRect(2160, 4440, 255, 735)}}) {
            QCOMPARE(w(name)->parentWidget()->objectName(), QString(parent));
            QCOMPARE(inTwips(w(name)->geometry()), twips);
        }
        QCOMPARE(inTwips(roll()->visibleRegion().boundingRect()), QRect(1440, 0, 6735, 855));
        QCOMPARE(f->window->childAt(w("Cmd_Size_V")->geometry().center()), w("Cmd_Size_V")); // over the results box
        for (const char *name : {"Label7", "Label8"}) { // stacked at the font's line height, nothing over them
            QWidget *label = w(name);
            QVERIFY(label->height() >= (label->property("text").toString().count('\n') + 1) * label->fontMetrics().height());
            for (QWidget *other : label->parentWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(other == label || !other->geometry().intersects(label->geometry()), qPrintable(other->objectName()));
        }
        const QImage image = f->window->grab().toImage(); // Shape1's blue band round Pic_Roll
        const QRect pic = w("Pic_Roll")->geometry();
        QCOMPARE(image.pixelColor(pic.left() - 8, pic.center().y()), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(pic.left() - 9, pic.center().y()), QColor(Qt::red));
        click("Cmd_Init"); // no bonus.txt yet
        QCOMPARE(f->boxes.shown.value(0).text, missingFile());
    }

    // Keys act in the order typed and once: Enter or Space toggles the round wherever the focus is, and the
    // control is not also pressed, ticked or chosen (the count box gets its Space); an access key clicks at
    // once; Alt+letter never types; a held key's repeats never toggle.
    void keys_data()
    {
        QTest::addColumn<QString>("before"); // "uninitialised", "count 10", "stopped"; otherwise ready
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("count"); // the count box afterwards
        QTest::addColumn<QString>("message");
        const QString off = "uninitialised", results = "Txt_Results", box = "Txt_Num";
        QTest::newRow("Enter before Initialise") << off << results << "enter" << State::NotInitialised << "" << exhausted();
        QTest::newRow("refused count") << "count 10" << results << "enter" << State::Ready << "10" << countTooLarge();
        QTest::newRow("Enter between stop and reveal") << "stopped" << results << "enter" << State::RevealPending << "1" << "";
        QTest::newRow("Ctrl+Enter, Alt+Space") << "" << results << "ctrl+enter alt+space" << State::Ready << "" << "";
        for (auto [control, key] : {std::pair{"Cmd_Start", "space"}, {"Cmd_Print", "enter"}, {"CmdAbout", "space"},
                                    {"Opt_Align_0", "space"}, {"Check_Title", "space"}, {"List_FontSize_Roll", "enter"},
                                    {"Txt_Results", "kpenter"}, {"Txt_Num", "space"}})
            QTest::addRow("%s %s", control, key) << "" << control << key << State::Rolling << (control == box ? "1 " : "1") << "";
        QTest::newRow("Alt+I, Enter at once") << off << box << "alt+i enter" << State::Rolling << "1" << "";
        QTest::newRow("Alt+G before Initialise") << off << box << "alt+g" << State::NotInitialised << "" << "";
        QTest::newRow("3, Alt+I after it") << "" << box << "3 alt+i" << State::Ready << "3" << "";
        QTest::newRow("Alt+Q, nobody's") << "" << box << "alt+q" << State::Ready << "" << "";
        QTest::newRow("held Enter") << "" << box << "enter enter* enter*" << State::Rolling << "1" << "";
        QTest::newRow("held Space") << "" << box << "space space* space*" << State::Rolling << "1   " << "";
        QTest::newRow("repeats alone") << "" << box << "enter* space*" << State::Ready << " " << "";
        QTest::newRow("held Enter, unmarked") << "" << box << "enter enter~ enter~" << State::Rolling << "1" << "";
    }
    void keys()
    {
        QFETCH(QString, before); QFETCH(QString, focus); QFETCH(QString, keys); QFETCH(State, state);
        QFETCH(QString, count); QFETCH(QString, message);
        f->writeBonus(numberedNames(8));
        if (before != QLatin1String("uninitialised"))
            f->initialise(numberedNames(8));
        if (before == QLatin1String("count 10"))
            num()->setText(QStringLiteral("10"));
        if (before == QLatin1String("stopped")) {
            start()->click();
            start()->click(); // and the reveal timer has not fired yet
        }
        QSignalSpy about(f->window.get(), &taviro::FrmMain::aboutRequested);
        auto *list = f->control<QListWidget>(QStringLiteral("List_FontSize_Roll"));
        list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        w(focus)->setFocus();
        for (const QString &key : keys.split(QLatin1Char(' ')))
            send(key);
        QCOMPARE(f->session().roundState(), state);
        QCOMPARE(num()->text(), count);
        QCOMPARE(f->boxes.shown.size(), int(!message.isEmpty()));
        QCOMPARE(f->boxes.shown.value(0).text, message);
        QTest::qWait(150); // longer than a button's animated click
        QVERIFY(about.isEmpty() && f->printer.printed.isEmpty() && list->selectedItems().isEmpty());
        QVERIFY(!f->control<QAbstractButton>(QStringLiteral("Opt_Align_0"))->isChecked());
        QCOMPARE(f->control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), Qt::PartiallyChecked);
        QWidget *focused = w(keys.startsWith(QLatin1String("alt+i")) ? QStringLiteral("Cmd_Start") : focus); // as Initialise left it
        QCOMPARE(QApplication::focusWidget(), focused);
        if (state == State::Rolling)
            send(QStringLiteral("enter")); // and the next press stops it, once
        if (state == State::Rolling || state == State::RevealPending) {
            f->waitForReveal();
            QCOMPARE(QApplication::focusWidget(), focused);
            QCOMPARE(f->session().remainingCount(), 7); // one revealed, once
        }
    }

    // Real message boxes over the window: no icon, plain text, Chinese buttons, Yes the default. Enter and Space
    // typed while one is open are the box's, never the draw's. Every close path asks twice, and a refusal
    // changes nothing, not even a running roll.
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
            QApplication::setActiveWindow(f->window.get()); // as a window manager may, with the box still open
            results()->setFocus();
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

    // Save and Print of the worked example: the bytes complete when the box shows or the printer is asked, a box
    // for Save only, the recovery copy (the same bytes) gone, the draw untouched; with a folder in the file's
    // place, a failure box, nothing printed and the copy kept.
    void saveAndPrint_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("rolling"); // a round left rolling after the worked example
        QTest::addColumn<bool>("blocked"); // as root, permission bits would not stop the write, a folder does
        for (const char *button : {"Cmd_Save", "Cmd_Print"}) {
            QTest::addRow("%s", button) << button << false << false;
            QTest::addRow("%s while a roll runs", button) << button << true << false;
            QTest::addRow("%s blocked", button) << button << false << true;
        }
    }
    void saveAndPrint()
    {
        QFETCH(QString, button); QFETCH(bool, rolling); QFETCH(bool, blocked);
        f->initialise(QStringList{"张三", "李四", "王五"} + numberedNames(5));
        round(2);
        round(1);
        const QByteArray bytes = QByteArray::fromHex("d2a1bac5bde1b9fb") // GBK, from the code page's table
            + "\r\n\r\n[1]:\t\xc0\xee\xcb\xc4\r\n[2]:\t\xd5\xc5\xc8\xfd\r\n[3]:\t\xcd\xf5\xce\xe5\r\n";
        QCOMPARE(readAll(inFolder(copies().value(0))).toHex(' '), bytes.toHex(' '));
        if (rolling)
            start()->click();
        const QString path = taviro::resultsFilePath(f->folder.path());
        const bool save = button == QLatin1String("Cmd_Save");
        QVERIFY(!blocked || QDir().mkdir(path));
        const auto before = drawState();
        QByteArray atBox;
        f->boxes.whileShown = [&] { atBox = readAll(path); };
        click(button);
        QVERIFY(drawState() == before);
        QCOMPARE(f->boxes.shown.size(), int(save || blocked));
        QCOMPARE(f->boxes.shown.value(0).caption, save || blocked ? QStringLiteral("Taviro") : QString());
        QCOMPARE(f->printer.printed, !save && !blocked ? QStringList{path} : QStringList());
        QCOMPARE(f->printer.handed, !save && !blocked ? QList<QByteArray>{bytes} : QList<QByteArray>());
        QCOMPARE(copies().size(), int(blocked));
        if (blocked) {
            QCOMPARE(f->boxes.shown[0].text, taviro::saveFailedMessage(taviro::saveResults(f->session().log().text(), f->folder.path())));
            QVERIFY(f->boxes.shown[0].text.contains(QDir::toNativeSeparators(path)) && QDir(path).isEmpty());
            return;
        }
        QCOMPARE(f->boxes.shown.value(0).text, save ? QStringLiteral("已经保存到摇号软件目录下！文件名叫摇号结果.txt") : QString());
        QCOMPARE(atBox, save ? bytes : QByteArray());
        QCOMPARE(readAll(path), bytes);
        const QString shown = roll()->text(); // a running roll goes on
        QVERIFY(!rolling || QTest::qWaitFor([&] { return roll()->text() != shown; }));
    }

    // bonus.txt replaced by a folder or a named pipe, emptied, shortened, lengthened or removed after
    // Initialise: eight candidates in rounds of three and a last group of two, each name as read drawn once.
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
        const QString bonus = inFolder(QStringLiteral("bonus.txt"));
        QFile writer(bonus); // keeps a named pipe open for writing: the data never ends
        const auto applyFault = [&] {
            QVERIFY(QFile::remove(bonus));
            if (fault == QLatin1String("folder"))
                QVERIFY(QDir().mkdir(bonus));
            else if (fault.startsWith(QLatin1String("named pipe")))
                QVERIFY(::mkfifo(QFile::encodeName(bonus).constData(), 0600) == 0
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
            QTRY_VERIFY(f->session().rollNames().contains(roll()->text()));
            start()->click();
            QCOMPARE(roll()->text(), names[3 * round - 3]);
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

    // The recovery copy holds Save's bytes after every reveal and the last group before they show, comes back
    // after Save removed it and never replaces another run's; a refusing folder is reported once a spell.
    void recoveryCopy()
    {
        f->writeBonus(numberedNames(10));
        const QDateTime now = QDateTime::currentDateTime();
        QStringList others; // left by another run, named for the seconds around this Initialise
        for (int s = 0; s < 3; ++s) {
            others.append(taviro::recoveryBaseName(now.addSecs(s)) + ".txt");
            QFile other(inFolder(others.last()));
            QVERIFY(other.open(QIODevice::WriteOnly) && other.write("another run") == 11);
        }
        click(QStringLiteral("Cmd_Init"));
        const auto ours = [&] {
            QStringList mine = copies();
            mine.removeIf([&](const QString &name) { return others.contains(name); });
            return mine.size() == 1 ? inFolder(mine[0]) : QStringLiteral("<%1 copies>").arg(mine.size());
        };
        QByteArray whenShown; // the copy as the new entries reach the screen or a box comes up
        connect(results(), &QPlainTextEdit::textChanged, [&] { whenShown = readAll(ours()); });
        f->boxes.whileShown = [&] { whenShown = readAll(ours()); };
        const QString away = f->folder.path() + "-away";
        const auto restore = qScopeGuard([&] { QDir().rename(away, f->folder.path()); });
        QString failure;
        for (QChar step : QStringLiteral("s.xxx.xx.")) { // rounds of one: then Save, or with the folder away
            const bool refused = step == QLatin1Char('x');
            const QString copy = ours();
            if (refused != QFileInfo::exists(away)) // as root, permission bits would not stop the write
                QVERIFY(refused ? QDir().rename(f->folder.path(), away) : QDir().rename(away, f->folder.path()));
            if (refused && failure.isEmpty())
                failure = taviro::recoveryFailedMessage(taviro::writeFileAtomically(copy, "x"));
            round(1);
            QCOMPARE(whenShown, refused ? QByteArray("<no file>") : saveBytes());
            QCOMPARE(readAll(ours()), refused ? QByteArray("<no file>") : saveBytes());
            if (step == QLatin1Char('s')) {
                QVERIFY(!QFile::exists(taviro::resultsFilePath(f->folder.path()))); // a round never writes it
                click(QStringLiteral("Cmd_Save"));
                QCOMPARE(copies(), others);
            }
        }
        QCOMPARE(f->boxes.shown.size(), 3); // saved, and one failure for each spell
        QCOMPARE(f->boxes.shown[1].caption, QStringLiteral("Taviro"));
        QCOMPARE(f->boxes.shown[1].text, failure);
        QCOMPARE(f->boxes.shown[2].text, failure);
        start()->click(); // one left, not more than the last round drew: the last group
        QCOMPARE(f->boxes.shown.value(3).text, lastGroup(QStringLiteral("|候选人10")));
        QCOMPARE(whenShown, saveBytes());
        QCOMPARE(readAll(ours()), saveBytes());
        for (const QString &other : others)
            QCOMPARE(readAll(inFolder(other)), QByteArray("another run"));
    }

    // Each bar's first value by dragging the thumb (nothing changes until it is let go), the others set; -1 is
    // one step by the arrow key. Each colour is checked as painted on the screen.
    void colourBars_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QStringList>("colours");
        QTest::newRow("roll back") << "HScroll_Color_Roll_Back" << "Lbl_Roll" << QList<int>{1, 0, -1} << QStringList{"#000080", "#000000", "#000080"};
        QTest::newRow("roll text") << "HScroll_Color_Roll" << "Lbl_Roll" << QList<int>{4, 15, -1} << QStringList{"#800000", "#ffffff", "#ffffff"};
        QTest::newRow("results text") << "HScroll_Color_Results" << "Txt_Results" << QList<int>{2, 6, -1} << QStringList{"#008000", "#808000", "#c0c0c0"};
        QTest::newRow("results back") << "HScroll_Color_Results_Back" << "Txt_Results" << QList<int>{11, 8, -1} << QStringList{"#00ffff", "#808080", "#0000ff"};
        QTest::newRow("window back") << "VScroll_Color_Frame" << "FrmMain" << QList<int>{13, 5, 14, 9, -1}
                                     << QStringList{"#ff00ff", "#800080", "#ffff00", "#0000ff", "#00ff00"};
    }
    void colourBars()
    {
        QFETCH(QString, bar); QFETCH(QString, target); QFETCH(QList<int>, values); QFETCH(QStringList, colours);
        results()->setPlainText(QStringLiteral("摇号结果\n[1]:\t李四"));
        QWidget *painted = target == QLatin1String("Txt_Results") ? results()->viewport() : w(target);
        const bool back = QString(QTest::currentDataTag()).endsWith(QLatin1String("back"));
        const auto shows = [&](QWidget *where, const QString &colour) { // text covers a little, the back most
            const double share = paintedShare(where, QColor(colour));
            return back ? share > 0.2 : share > 0.005 && share < 0.2;
        };
        auto *scrollBar = f->control<QScrollBar>(bar);
        scrollBar->setSliderDown(true);
        scrollBar->setSliderPosition(values[0]);
        QVERIFY(!shows(painted, colours[0]));
        scrollBar->setSliderDown(false);
        for (int i = 0; i < values.size(); ++i) {
            if (i > 0 && values[i] < 0) {
                scrollBar->setFocus();
                QTest::keyClick(scrollBar, scrollBar->orientation() == Qt::Horizontal ? Qt::Key_Right : Qt::Key_Down);
            } else if (i > 0) {
                scrollBar->setValue(values[i]);
            }
            QVERIFY2(shows(painted, colours[i]), qPrintable(colours[i]));
            QVERIFY(target != QLatin1String("FrmMain") || shows(w("Frame_Oper"), colours[i])); // the bar takes the window's colour
        }
    }

    // A size stepped to by the list's arrows, then clicked; a family clicked. Only the target's font changes.
    void fontLists_data()
    {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("entry"); // empty: the last family
        QTest::newRow("roll size 38") << "List_FontSize_Roll" << "Lbl_Roll" << "38";
        QTest::newRow("results family") << "List_Fonts_Results" << "Txt_Results" << "";
    }
    void fontLists()
    {
        QFETCH(QString, listName); QFETCH(QString, target); QFETCH(QString, entry);
        auto *list = f->control<QListWidget>(listName);
        QWidget *other = target == QLatin1String("Lbl_Roll") ? static_cast<QWidget *>(results()) : roll();
        const QFont before = w(target)->font(), otherBefore = other->font();
        const int row = entry.isEmpty() ? list->count() - 1 : list->row(list->findItems(entry, Qt::MatchExactly).value(0));
        QVERIFY(row > 0 && list->item(row)->text() != before.family());
        QScrollBar *arrows = list->verticalScrollBar();
        for (int i = 0; i < row && !entry.isEmpty(); ++i) // the down arrow, at the bar's lower end
            QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, arrows->height() - 2));
        QVERIFY(list->selectedItems().isEmpty() && w(target)->font() == before);
        list->scrollToItem(list->item(row), QAbstractItemView::PositionAtTop);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        QCOMPARE(w(target)->font().family(), entry.isEmpty() ? list->item(row)->text() : before.family());
        QCOMPARE(w(target)->font().pointSizeF(), entry.isEmpty() ? before.pointSizeF() : entry.toDouble());
        QCOMPARE(w(target)->font().bold(), before.bold());
        QCOMPARE(other->font(), otherBefore);
    }

    // Steps, each followed by where the watched control lies in its container, in twips of whole pixels
    // ("left top width height"; 15 twips make a pixel, halves round up), or the
    // window's outer size ("width height"): the font lists' expanding on double-clicks (on the 字体 label, an
    // entry, the list's frame), the H and V toggles from their thresholds, the roll zoom. Nothing else moves.
    void geometry_data()
    {
        QTest::addColumn<QString>("watched");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("seen");
        const QString results = "List_Fonts_Results", roll = "List_Fonts_Roll", label = "dclick Lbl_Font_Roll";
        QTest::newRow("results label twice") << results << QStringList{"dclick Lbl_Font_Results", "dclick Lbl_Font_Results"}
                                             << QStringList{"480 0 1335 1200", "480 1200 1335 240"};
        QTest::newRow("roll entry when expanded, then label") << roll << QStringList{label, "dentry", label}
                                                              << QStringList{"480 1800 1335 1200", "480 1800 1335 15", "480 600 1335 1200"};
        QTest::newRow("roll at 300, then label") << roll << QStringList{"dentry", "dframe", label}
                                                 << QStringList{"480 3000 1335 15", "480 3000 1335 300", "480 4200 1335 240"};
        QTest::newRow("results list has no double-click") << results << QStringList{"dentry"} << QStringList{"480 1200 1335 240"};
        QTest::newRow("label, 255 is not over 260") << results << QStringList{"height 255", "dclick Lbl_Font_Results"} << QStringList{"", "480 0 1335 1200"};
        QTest::newRow("label, 270 is") << results << QStringList{"height 270", "dclick Lbl_Font_Results"} << QStringList{"", "480 2400 1335 240"};
        QTest::newRow("itself, 195 is not over 200") << roll << QStringList{"height 195", "dframe"} << QStringList{"", "480 3000 1335 300"};
        QTest::newRow("itself, 210 is") << roll << QStringList{"height 210", "dframe"} << QStringList{"", "480 3000 1335 15"};
        const QString h = "click Cmd_Size_H", v = "click Cmd_Size_V";
        QTest::newRow("H as laid out") << "outer" << QStringList{h, h, h} << QStringList{"9915 5985", "7230 5985", "9915 5985"};
        QTest::newRow("V as laid out") << "outer" << QStringList{v, v, v} << QStringList{"7230 4810", "7230 6000", "7230 4810"};
        QTest::newRow("H from exactly 9000") << "outer" << QStringList{"outer 9000 5985", h} << QStringList{"9000 5985", "7230 5985"};
        QTest::newRow("V from exactly 5000") << "outer" << QStringList{"outer 7230 5000", v, v} << QStringList{"7230 5000", "7230 4810", "7230 6000"};
        QTest::newRow("V from a pixel less") << "outer" << QStringList{"outer 7230 4995", v} << QStringList{"7230 4995", "7230 6000"};
        QTest::newRow("H from a border dragged to 9000") << "outer" << QStringList{"sizable 594 367", h} << QStringList{"9000 5985", "7230 5985"};
        QTest::newRow("roll zoom as laid out") << "Lbl_Roll" << QStringList{"click Cmd_Size_H"} << QStringList{"-1440 0 9735 855"};
        QTest::newRow("roll zoom single, double") << "Lbl_Roll" << QStringList{"click Opt_Size_0", "click Opt_Size_1"}
                                                  << QStringList{"0 0 6735 855", "-3360 0 13470 855"}; // -3367.5 rounded up
    }
    void geometry()
    {
        QFETCH(QString, watched); QFETCH(QStringList, steps); QFETCH(QStringList, seen);
        const QSize frame(90, 480); // the layout's border and caption, whatever the window manager draws
        const QRect panel = w("Frame_Settings")->geometry();
        auto *list = f->control<QListWidget>(watched);
        for (int i = 0; i < steps.size(); ++i) {
            const QStringList step = steps[i].split(QLatin1Char(' '));
            const QSize size(step.value(1).toInt(), step.value(2).toInt());
            if (step[0] == QLatin1String("click")) {
                click(step[1]);
            } else if (step[0] == QLatin1String("dclick")) {
                QTest::mouseDClick(w(step[1]), Qt::LeftButton);
            } else if (step[0] == QLatin1String("dframe")) {
                QTest::mouseDClick(list, Qt::LeftButton, {}, QPoint(list->width() / 4, 0));
            } else if (step[0] == QLatin1String("dentry")) { // another family, applied
                QWidget *target = watched == QLatin1String("List_Fonts_Roll") ? static_cast<QWidget *>(roll()) : results();
                const int row = list->item(0)->text() == target->font().family() ? list->count() - 1 : 0;
                list->scrollToItem(list->item(row));
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
                QCOMPARE(target->font().family(), list->item(row)->text());
            } else if (step[0] == QLatin1String("height")) {
                list->resize(list->width(), twipsToPixels(step[1].toInt()));
            } else if (step[0] == QLatin1String("outer")) {
                f->window->sizing().setOuterSize(size);
            } else {
                f->window->sizing().setBorderStyle(taviro::BorderStyle::Sizable);
                f->window->resize(size);
            }
            QList<double> t;
            for (const QString &number : seen[i].split(QLatin1Char(' '), Qt::SkipEmptyParts))
                t.append(number.toDouble());
            if (t.size() == 2) {
                QCOMPARE(f->window->sizing().outerSize(), QSize(t[0], t[1]));
                QCOMPARE(f->window->size(), QSize(twipsToPixels(t[0] - frame.width()), twipsToPixels(t[1] - frame.height())));
            } else if (t.size() == 4) {
                QCOMPARE(inTwips(w(watched)->geometry()), QRect(t[0], t[1], t[2], t[3]));
                const QWidget *hit = list ? list->parentWidget()->childAt(list->geometry().center()) : nullptr; // expanded, on top
                QVERIFY(t[3] != 1200 || hit == list || list->isAncestorOf(hit));
            }
        }
        QCOMPARE(w("Frame_Settings")->geometry(), panel);
    }

    // Check_Title from its indeterminate start: each click's value is the border style, applied at once; the
    // caption and the client area stay, and the window still sees the keys first.
    void titleBar()
    {
        click(QStringLiteral("Cmd_Size_H")); // the panel shows the box
        const QSize client = f->window->size();
        for (auto [state, style] : {std::pair{Qt::Checked, 1}, {Qt::Unchecked, 0}, {Qt::PartiallyChecked, 2}, {Qt::Checked, 1}}) {
            click(QStringLiteral("Check_Title"));
            QCOMPARE(f->control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), state);
            QCOMPARE(int(f->window->sizing().borderStyle()), style);
            const Qt::WindowFlags flags = f->window->windowHandle()->flags();
            QCOMPARE(bool(flags & Qt::FramelessWindowHint), style == 0);
            QCOMPARE(bool(flags & Qt::WindowTitleHint), style != 0);
            QCOMPARE(f->window->minimumSize() == f->window->maximumSize(), style != 2);
            QCOMPARE(f->window->windowTitle(), QStringLiteral("Taviro V1.0.2     -  最简单摇号软件"));
            QCOMPARE(f->window->size(), client);
        }
        QCOMPARE(QApplication::activeWindow(), f->window.get());
        results()->setFocus();
        f->press(Qt::Key_Return);
        QCOMPARE(f->boxes.shown.value(0).text, exhausted());
    }

    // 10000 candidates drawn by keys alone with the clock generator and the real timers: counts typed into the
    // count box, rounds started and stopped by Enter there, Space in the results box or Enter on Start, the last
    // group, nobody left, then Save and the file read back. Names show as plain text.
    void soakByKeyboard()
    {
        const int counts[] = {1, 7, 250, 33, 2, 120, 64, 400, 18, 97}; // about a hundred rounds in all
        const QString forms[] = {"候选人%1", " 张 三%1 ", "\t李四·%1", "<b>Wang</b> Wu %1", "赵六（%1）部门"};
        QStringList names;
        for (int i = 1; i <= 10000; ++i)
            names.append(forms[i % 5].arg(i));
        taviro::ClockRandomiser clock(taviro::ClockRandom::shared());
        f = std::make_unique<MainWindowFixture>(&clock);
        f->initialise(names);
        QCOMPARE(roll()->text(), QStringLiteral("共10000条数据！"));
        QCOMPARE(f->window->focusWidget(), start()); // passed on from Cmd_Init, not into the hidden panel
        const auto press = [&](int how) {
            w(how == 0 ? "Txt_Num" : how == 1 ? "Txt_Results" : "Cmd_Start")->setFocus();
            f->press(how == 1 ? Qt::Key_Space : Qt::Key_Return);
        };
        int remaining = 10000, previous = 1, rounds = 0; // the last group comes from the previous round's count
        for (; remaining > previous; ++rounds) {
            num()->setFocus();
            num()->selectAll();
            QTest::keyClicks(num(), QString::number(qMin(counts[rounds % 10], remaining - 1)));
            press(rounds % 3);
            QVERIFY(QTest::qWaitFor([&] { return roll()->text() != rollPlaceholder(); }));
            QVERIFY2(f->session().rollNames().contains(roll()->text()), qPrintable(roll()->text()));
            QCOMPARE(roll()->textFormat(), Qt::PlainText);
            press((rounds + 1) % 3);
            QVERIFY(f->session().roundPicks().contains(roll()->text())); // a winner shows at the stop
            f->waitForReveal();
            QCOMPARE(f->session().remainingCount(), remaining -= previous = num()->text().toInt());
        }
        press(0); // the last group
        press(1); // nobody left
        click(QStringLiteral("Cmd_Save"));
        QCOMPARE(f->boxes.shown.size(), 3);
        QCOMPARE(f->boxes.shown[0].text.count('|'), remaining);
        QCOMPARE(f->boxes.shown[1].text, exhausted());
        QCOMPARE(f->boxes.shown[2].text, taviro::savedMessage());
        QCOMPARE(results()->toPlainText(), QString(f->session().log().text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QVERIFY(results()->textCursor().atEnd());
        QStringDecoder gbk("GBK");
        const QString text = gbk.decode(readAll(taviro::resultsFilePath(f->folder.path())));
        QVERIFY(!gbk.hasError() && text.startsWith("摇号结果\r\n\r\n") && text.endsWith("\r\n"));
        std::sort(names.begin(), names.end());
        QCOMPARE(sortedWinners(text.chopped(2)), names); // numbered 1..10000 in order, each candidate once
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
