// The main window driven as a person drives it: keys, clicks, real timers and boxes, files, layout, a soak.

#include "main_window_fixture.h"

#include "draw/draw_messages.h"
#include "draw/draw_replay.h"
#include "draw/seeded_randomiser.h"
#include "output/recovery_file.h"
#include "output/draw_files.h"
#include "output/text_pages.h"
#include "ui/fitting_text.h"
#include "ui/form_layout.h"
#include "ui/twips.h"
#include "ui/window_sizing.h"

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCryptographicHash>
#include <QGroupBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

using State = taviro::DrawSession::RoundState;
Q_DECLARE_METATYPE(State)
using namespace taviro;
using namespace taviro::msg;

namespace {

const QStringList palette{"#000000", "#000080", "#008000", "#008080", "#800000", "#800080", "#808000", "#c0c0c0",
                          "#808080", "#0000ff", "#00ff00", "#00ffff", "#ff0000", "#ff00ff", "#ffff00", "#ffffff"};
QRect inTwips(const QRect &r) { return QRect(r.topLeft() * kTwipsPerPixel, r.size() * kTwipsPerPixel); }

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    ulong instant = 1000;

    QWidget *w(const QString &name) const { return f->control(name); }
    QPushButton *start() const { return f->button("Cmd_Start"); }
    QLabel *roll() const { return f->control<QLabel>("Lbl_Roll"); }
    QLineEdit *num() const { return f->control<QLineEdit>("Txt_Num"); }
    QPlainTextEdit *results() const { return f->control<QPlainTextEdit>("Txt_Results"); }
    bool rolling() const { return f->window->findChild<QTimer *>("Timer1")->isActive(); }
    void click(const QString &name, QPoint at = QPoint(4, 4)) { QTest::mouseClick(w(name), Qt::LeftButton, {}, at); }
    QStringList copies() const { return QDir(f->folder.path()).entryList({QStringLiteral("摇号结果_自动保存_*.txt")}); }
    QString log() const { return f->session().log().text(); }
    QByteArray saveBytes() { return encodeResults(log(), f->session().listEncoding()); }
    auto drawState() const // what Save, Print, or a key under a modal box must leave as it was
    {
        const DrawSession &s = f->session();
        return std::make_tuple(s.roundState(), s.remainingCount(), s.roundPicks(), s.log().text(),
                               results()->toPlainText(), start()->text(), start()->isEnabled(), rolling());
    }
    void round(int count)
    {
        num()->setText(QString::number(count));
        start()->click();
        start()->click();
        f->waitForReveal();
        QCOMPARE(roll()->text(), f->session().rounds().constLast().winners.constLast()); // the last winner logged
    }
    // "[ctrl+|alt+]enter|space|kpenter", "*" a marked repeat, "~" a repeat told by a same-instant release; or a letter.
    void send(const QString &key)
    {
        QWidget *focus = QApplication::focusWidget();
        const Qt::KeyboardModifiers modifiers =
            key.startsWith("alt+") ? Qt::AltModifier : (key.startsWith("ctrl+") ? Qt::ControlModifier : Qt::NoModifier);
        const QString base = key.section('+', -1);
        if (base.size() == 1)
            return QTest::keyClick(focus, base[0].toLatin1(), modifiers);
        const bool space = base.startsWith("space"), unmarked = base.endsWith('~');
        const bool repeat = unmarked || base.endsWith('*');
        const Qt::Key code = space ? Qt::Key_Space : base.startsWith("kp") ? Qt::Key_Enter : Qt::Key_Return;
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
    void initTestCase()
    {
        const QDir rare(qEnvironmentVariable("TAVIRO_RARE_FONTS")); // under Wine: a font of the rare characters
        for (const QString &file : rare.entryList({"*.ttf"}))
            QVERIFY(QFontDatabase::addApplicationFont(rare.filePath(file)) >= 0);
    }
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    // The window as it opens, and a few facts a wrong twips conversion or parent would break.
    void startUpAndLayout()
    {
        QCOMPARE(f->window->windowTitle(), QStringLiteral("Taviro V" TAVIRO_VERSION "     -  最简单摇号软件"));
        for (auto [name, red] : {std::pair{"FrmMain", true}, {"Frame_Oper", true}, {"Frame_Settings", false}})
            QCOMPARE(w(name)->palette().color(QPalette::Window) == Qt::red, red);
        QVERIFY(!start()->isEnabled() && QApplication::focusWidget() == results());
        for (const char *name : {"List_Fonts_Roll", "List_Fonts_Results"})
            QCOMPARE(f->control<QListWidget>(name)->count(), QFontDatabase::families().size());
        QCOMPARE(inTwips(f->window->rect()), QRect(0, 0, 7140, 5505));
        for (auto [name, parent, twips] : {std::tuple{"Cmd_Start", "Frame_Oper", QRect(1440, 240, 855, 615)},
                                           {"Lbl_Roll", "Pic_Roll", QRect(-1440, 0, 9735, 855)}}) {
            QCOMPARE(w(name)->parentWidget()->objectName(), QString(parent));
            QCOMPARE(inTwips(w(name)->geometry()), twips);
        }
        QCOMPARE(inTwips(roll()->visibleRegion().boundingRect()), QRect(1440, 0, 6735, 855));
        QCOMPARE(f->window->childAt(w("Cmd_Size_V")->geometry().center()), w("Cmd_Size_V")); // over the results box
        for (const char *name : {"Label7", "Label8"}) { // stacked at the font's line height, nothing over them
            QWidget *label = w(name);
            QVERIFY(label->height()
                    >= (label->property("text").toString().count('\n') + 1) * label->fontMetrics().height());
            for (QWidget *other : label->parentWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(other == label || !other->geometry().intersects(label->geometry()),
                         qPrintable(other->objectName()));
        }
    }

    // Enter or Space toggles the round once wherever the focus is, nothing else; Alt+letter clicks, never types.
    void keys_data()
    {
        QTest::addColumn<bool>("initialised"); // before the keys
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("count"); // the count box afterwards
        QTest::addColumn<QStringList>("boxes");
        const QString results = "Txt_Results", box = "Txt_Num";
        const bool off = false, on = true;
        const QStringList none;
        QTest::newRow("Enter before Initialise")
            << off << results << "enter" << State::NotInitialised << "" << QStringList{exhausted()};
        QTest::newRow("refused count") << on << box << "9 enter" << State::Ready << "9" << QStringList{countTooLarge()};
        QTest::newRow("Enter between stop and reveal")
            << on << results << "enter enter enter" << State::RevealPending << "1" << none;
        QTest::newRow("Ctrl+Enter, Alt+Space") << on << results << "ctrl+enter alt+space" << State::Ready << "" << none;
        for (const QString row :
             {"Cmd_Start space", "Cmd_Print enter", "CmdAbout space", "Opt_Align_0 space", "Check_Title space",
              "List_FontSize_Roll enter", "Txt_Results kpenter", "Txt_Num space"})
            QTest::newRow(qPrintable(row)) << on << row.section(' ', 0, 0) << row.section(' ', 1) << State::Rolling
                                           << (row.startsWith(box) ? "1 " : "1") << none; // a space typed in the box
        QTest::newRow("Alt+I, Enter at once") << off << box << "alt+i enter" << State::Rolling << "1" << none;
        QTest::newRow("Alt+G before Initialise") << off << box << "alt+g" << State::NotInitialised << "" << none;
        QTest::newRow("3, Alt+I after it") << on << box << "3 alt+i" << State::Ready << "3" << none;
        QTest::newRow("Alt+Q, nobody's") << on << box << "alt+q" << State::Ready << "" << none;
        QTest::newRow("held Enter") << on << box << "enter enter* enter*" << State::Rolling << "1" << none;
        QTest::newRow("held Space") << on << box << "space space* space*" << State::Rolling << "1   " << none;
        QTest::newRow("repeats alone") << on << box << "enter* space*" << State::Ready << " " << none;
        QTest::newRow("held Enter, unmarked") << on << box << "enter enter~ enter~" << State::Rolling << "1" << none;
    }
    void keys()
    {
        QFETCH(bool, initialised);
        QFETCH(QString, focus);
        QFETCH(QString, keys);
        QFETCH(State, state);
        f->writeBonus(numberedNames(8));
        if (initialised)
            f->initialise(numberedNames(8));
        QSignalSpy about(f->window.get(), &FrmMain::aboutRequested);
        auto *list = f->control<QListWidget>("List_FontSize_Roll");
        list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        w(focus)->setFocus();
        for (const QString &key : keys.split(' '))
            send(key);
        QCOMPARE(f->session().roundState(), state);
        QTEST(num()->text(), "count");
        QTEST(f->boxes.shown, "boxes");
        QTest::qWait(150); // longer than a button's animated click
        QVERIFY(about.isEmpty() && f->printer.handed.isEmpty() && list->selectedItems().isEmpty());
        QVERIFY(!f->control<QAbstractButton>("Opt_Align_0")->isChecked());
        QCOMPARE(f->control<QCheckBox>("Check_Title")->checkState(), Qt::PartiallyChecked);
        QWidget *focused = w(keys.startsWith("alt+i") ? QStringLiteral("Cmd_Start") : focus); // as Initialise left it
        QCOMPARE(QApplication::focusWidget(), focused);
        if (state == State::Rolling)
            send(QStringLiteral("enter")); // and the next press stops it, once
        if (state == State::Rolling || state == State::RevealPending) {
            f->waitForReveal();
            QCOMPARE(QApplication::focusWidget(), focused);
            QCOMPARE(f->session().remainingCount(), 7); // one revealed, once
        }
    }

    // Real boxes: keys typed under one never reach the draw; every close path asks twice; a refusal keeps the roll.
    void modalBoxes_data()
    {
        QTest::addColumn<QString>("path"); // how the close is asked for while a round rolls; "": a refused count
        QTest::addColumn<QList<int>>("keys"); // one for each box in turn; 0: its close box
        QTest::addColumn<QStringList>("boxes");
        const QString yesNo = "|否(&N),是(&Y)|是(&Y)|否(&N)", first = "退出|确定要关闭摇号软件吗?" + yesNo;
        const QStringList both = {first, "确认退出|请再次确认关闭吗?" + yesNo};
        QTest::newRow("refused count, Enter is OK")
            << "" << QList<int>{Qt::Key_Return} << QStringList{"Taviro|" + countTooLarge() + "|确定||"};
        QTest::newRow("Alt+X, Enter is Yes, Escape is No")
            << "Alt+X" << QList<int>{Qt::Key_Return, Qt::Key_Escape} << both;
        QTest::newRow("Alt+X, Yes, Yes") << "Alt+X" << QList<int>{Qt::Key_Return, Qt::Key_Return} << both;
        QTest::newRow("Exit button, Yes, Yes") << "Cmd_Exit" << QList<int>{Qt::Key_Y, Qt::Key_Y} << both;
        QTest::newRow("window system, the close box is No") << "system" << QList<int>{0} << QStringList{first};
        QTest::newRow("window system, Yes, No") << "system" << QList<int>{Qt::Key_Return, Qt::Key_N} << both;
    }
    void modalBoxes()
    {
        QFETCH(QString, path);
        QFETCH(QList<int>, keys);
        QFETCH(QStringList, boxes);
        f = std::make_unique<MainWindowFixture>(nullptr, &standardMessageBoxes());
        f->initialise(numberedNames(9));
        const bool close = !path.isEmpty();
        num()->setText(close ? "1" : "10");
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
                                box->defaultButton() ? box->defaultButton()->text() : "",
                                box->escapeButton() && close ? box->escapeButton()->text() : QString()}
                        .join('|');
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
        path == "Alt+X"          ? QTest::keyClick(f->window.get(), Qt::Key_X, Qt::AltModifier)
            : path == "Cmd_Exit" ? QTest::mouseClick(f->button("Cmd_Exit"), Qt::LeftButton)
            : close              ? void(QCoreApplication::sendEvent(f->window->windowHandle(), &request))
                                 : start()->click();
        QTRY_COMPARE(seen, boxes);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        const bool closed = keys.size() == 2 && keys[1] != Qt::Key_Escape && keys[1] != Qt::Key_N;
        QCOMPARE(f->window->isVisible(), !closed);
        QVERIFY(closed || drawState() == before);
    }

    // Save and Print during a roll: the bytes complete before the box or the printer, the copy gone, the draw as was.
    // A workbook that cannot be written is told, after the text is saved and printed.
    void saveAndPrint_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("blockedFile"); // as root, permission bits would not stop the write, a folder does
        QTest::newRow("Save") << "Cmd_Save" << QString();
        QTest::newRow("Print") << "Cmd_Print" << QString();
        QTest::newRow("Save blocked") << "Cmd_Save"
                                      << QString("摇号结果.txt"); // a failure box, nothing printed, the copy kept
        QTest::newRow("Print blocked") << "Cmd_Print" << QString("摇号结果.txt");
        QTest::newRow("Print, the workbook blocked") << "Cmd_Print" << QString("摇号结果.xlsx");
    }
    void saveAndPrint()
    {
        QFETCH(QString, button);
        QFETCH(QString, blockedFile);
        f->initialise(numberedNames(8));
        round(3);
        const QByteArray bytes = saveBytes();
        start()->click(); // and the roll goes on
        const QString path = resultsFilePath(f->folder.path()), workbook = f->folder.filePath("摇号结果.xlsx");
        const bool save = button == "Cmd_Save", blocked = blockedFile == "摇号结果.txt";
        QVERIFY(blockedFile.isEmpty() || QDir().mkdir(f->folder.filePath(blockedFile)));
        const auto before = drawState();
        QByteArray atBox;
        f->boxes.whileShown = [&] { atBox = readAll(path); };
        click(button);
        QVERIFY(drawState() == before);
        QCOMPARE(f->printer.handed, !save && !blocked ? QList<QByteArray>{bytes} : QList<QByteArray>());
        QCOMPARE(copies().size(), int(blocked));
        const QString told = blocked
            ? saveFailedMessage(DrawFiles(f->folder.path()).save(log(), ListEncoding::Gbk, nullptr))
            : blockedFile.isEmpty() ? QStringLiteral("已经保存到摇号软件目录下！文件名叫摇号结果.txt")
                                    : workbookFailedMessage({false, workbook, "那里有一个同名的文件夹"});
        QCOMPARE(f->boxes.shown, save || !blockedFile.isEmpty() ? QStringList{told} : QStringList());
        if (!blocked) {
            QCOMPARE(atBox, save || !blockedFile.isEmpty() ? bytes : QByteArray());
            QCOMPARE(readAll(path), bytes);
        }
    }

    // A UTF-8 list with LF line ends, as today's editors write it: names beyond GBK (CJK Extension A and B) are
    // drawn with real glyphs, never a box or half a surrogate pair, on screen and in print (e2e saves such a list).
    void unicodeList()
    {
        const QStringList names{"刘䶮", "𠮷田", "𪚥"};
        QVERIFY(writeAll(f->folder.filePath("bonus.txt"), names.join('\n').toUtf8() + '\n'));
        click("Cmd_Init");
        QCOMPARE(roll()->text(), "共3条数据！");
        round(3); // the scripted reveal reverses the round
        QCOMPARE(results()->toPlainText(), "摇号结果\n\n[1]:\t𪚥\n[2]:\t𠮷田\n[3]:\t刘䶮");
#ifdef Q_OS_WIN // Wine's offscreen fonts are this machine's common ones; Windows has SimSun-ExtB
        if (!qEnvironmentVariableIsSet("TAVIRO_RARE_FONTS"))
            QSKIP("the glyphs are checked by ui_rare_characters, with a font of the rare characters added");
#endif
        for (const QFont &font : {roll()->font(), results()->font(), resultsPrintFont()}) {
            QTextLayout layout(names.join(""), font);
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            int glyphs = 0;
            for (const QGlyphRun &run : layout.glyphRuns())
                for (quint32 glyph : run.glyphIndexes())
                    glyphs += glyph != 0 ? 1 : -100; // glyph 0 is the font's box for a missing character
            QVERIFY2(glyphs == 5, qPrintable(font.family())); // one per character, a pair being one
        }
    }

    // A CSV list with a heading row and blank lines: Initialise asks whether the first row is a heading (是 by
    // default) and whether the blank lines take part (否 by default); the answers decide who is drawn, and the record
    // saved repeats the draw with them.
    void listQuestions_data()
    {
        QTest::addColumn<QList<bool>>("replies");
        QTest::addColumn<int>("candidates");
        QTest::newRow("是, 否: both left out") << QList<bool>{true, false} << 4;
        QTest::newRow("否, 是: both take part") << QList<bool>{false, true} << 8;
    }
    void listQuestions()
    {
        QFETCH(QList<bool>, replies);
        QFETCH(int, candidates);
        SeededRandomiser seeded;
        f = std::make_unique<MainWindowFixture>(&seeded);
        const QString list = f->folder.filePath("bonus.csv");
        QVERIFY(writeAll(list,
                         "工号,姓名,部门,入职日期\r\n0012,张三,研发部,2020/1/2\r\n,,,\r\n13,李四,,2021/3/4\r\n "
                         "\r\n15,王五,市场部,2022/5/6\r\n\r\n16,赵六,,\r\n"));
        f->boxes.replies = replies;
        click("Cmd_Init");
        QCOMPARE(
            f->boxes.shown,
            (QStringList{"第1行“工号 姓名 部门 入职日期”是表头吗？", "第3、5、7行是空行，要让这些空行也参加抽奖吗？"}));
        QCOMPARE(f->boxes.defaults,
                 (QList<MessageBoxes::Default>{MessageBoxes::Default::Yes, MessageBoxes::Default::No}));
        QCOMPARE(roll()->text(), QStringLiteral("共%1条数据！").arg(candidates));
        round(2);
        click("Cmd_Save");
        const DrawRecord record = parseRecord(readAll(f->folder.filePath("摇号记录.txt"))).record;
        const Replay replay = replayDraw(list, record.seed, {}, record.rounds, record.list.choices);
        QCOMPARE(replay.firstDifference, -1);
        QCOMPARE(replay.log, log());
    }

    // The operations bar's caption, shown whole within the frame (drawn smaller when it must): before Initialise only
    // a public seed, given at the start or through the window's right-click menu; then the next prize and its count,
    // the list's fingerprint and the seed (or a system seed's commitment) for a photo.
    void operationsCaption_data()
    {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("seed"); // public (typed in the menu's box after "menu:"); empty: a system seed
        QTest::addColumn<bool>("initialise");
        const QString seed = "2026年12月7日福彩3D第335期 0 7 2 与体彩排列五第335期 8 8 1 0 6 及现场观众报出的 31 415";
        QTest::newRow("system seed, a prize") << "二等奖 5" << QString() << true;
        QTest::newRow("long prize name") << "公司成立二十周年特别纪念大奖（现场抽取） 12" << QString() << true;
        QTest::newRow("long public seed") << "" << seed << true;
        QTest::newRow("long public seed, before Initialise") << "" << seed << false;
        QTest::newRow("public seed from the menu") << ""
                                                   << "menu:  8 3 1 5 " << true;
        QTest::newRow("public seed from the menu, before Initialise") << ""
                                                                      << "menu:  8 3 1 5 " << false;
    }
    void operationsCaption()
    {
        QFETCH(QString, plan);
        QFETCH(QString, seed);
        QFETCH(bool, initialise);
        const bool menu = seed.startsWith("menu:");
        f->window = std::make_unique<FrmMain>(FrmMainServices{&f->boxes,
                                                              &f->printer,
                                                              &f->randomiser,
                                                              f->folder.path(),
                                                              {},
                                                              DrawSeed::publicText(menu ? QString() : seed)});
        QVERIFY(plan.isEmpty() || writeAll(f->folder.filePath("奖项.txt"), plan.toUtf8()));
        auto *frame = dynamic_cast<FrameBox *>(w("Frame_Oper"));
        if (menu) {
            QCOMPARE(frame->title(), QString());
            f->boxes.answers = {seed.mid(5)};
            QTimer::singleShot(0, [] { // the menu's one entry, chosen by keys
                if (QWidget *popup = QApplication::activePopupWidget())
                    QTest::keyClick(popup, Qt::Key_Down), QTest::keyClick(popup, Qt::Key_Return);
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), f->window->mapToGlobal(QPoint(4, 4)));
            QApplication::sendEvent(f->window.get(), &event);
        }
        const QString shown = menu ? seed.mid(5).trimmed() : seed;
        QString title = shown.isEmpty() ? QString() : "公开种子 " + shown + "（初始化时使用）";
        if (initialise) {
            f->initialise(numberedNames(12));
            const QByteArray list = readAll(f->folder.filePath("bonus.txt"));
            title = (plan.isEmpty() ? "" : plan.section(' ', 0, 0) + " 还需" + plan.section(' ', 1) + "名  ") + "指纹 "
                + listFingerprint(QCryptographicHash::hash(list, QCryptographicHash::Sha256))
                + (shown.isEmpty() ? "  种子 " + shortHash(f->session().seed().commitment()) : "  公开种子 " + shown);
        }
        QCOMPARE(frame->title(), title);
        QVERIFY2(frame->rect().contains(frame->captionRect()), qPrintable(frame->captionFont().toString()));
        QVERIFY(lineWidth(frame->captionFont(), frame->title()) < frame->width() - frame->captionRect().left());
    }

    // The count box shows up to five digits whole, typed, pasted or set, in a smaller font only when it must.
    void countBox_data()
    {
        QTest::addColumn<QString>("count");
        for (const char *row : {"1 typed", "100 pasted", "5000 set", "99999 typed"})
            QTest::newRow(row) << QString(row).section(' ', 0, 0);
    }
    void countBox()
    {
        QFETCH(QString, count);
        const QString how = QString(QTest::currentDataTag()).section(' ', 1);
        const auto caret = [&] { return num()->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(); };
        const int start = caret(); // where the text starts
        how == "typed"     ? QTest::keyClicks(num(), count)
            : how == "set" ? num()->setText(count)
                           : (QGuiApplication::clipboard()->setText(count), num()->paste());
        num()->grab(); // a paint decides how far the box scrolls
        // Nothing scrolled away: the caret stands after the whole text in its drawn font, within the text area.
        QVERIFY2(qAbs(caret() - start - lineWidth(num()->font(), count)) <= 1, qPrintable(QString::number(caret())));
        QVERIFY(caret() < num()->width() - start && num()->text() == count);
        QCOMPARE(num()->font() == f->window->font(), count == "1"); // as laid out: the window's
    }

    // The roll label draws a workbook row whole within the part of it that shows, at either zoom and alignment; a
    // short name keeps the chosen font.
    void rollLabel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("zoom"); // Opt_Size: 0 one width, 1 double
        QTest::addColumn<int>("align"); // Opt_Align: 0 left, 2 centred
        for (const char *text : {"蔡明", "003749\t蔡明\t行政部\t2010/1/2",
                                 "20231587\t欧阳娜娜\t市场营销与品牌推广部\t华东大区上海分公司\t2019/10/23"})
            for (int zoom : {0, 1})
                for (int align : {0, 2})
                    QTest::addRow("%s, %d, %d", qPrintable(oneLine(text)), zoom, align) << text << zoom << align;
    }
    void rollLabel()
    {
        QFETCH(QString, text);
        QFETCH(int, zoom);
        QFETCH(int, align);
        click(QStringLiteral("Opt_Size_%1").arg(zoom));
        click(QStringLiteral("Opt_Align_%1").arg(align));
        roll()->setText(text);
        const auto *label = dynamic_cast<FittingLabel *>(roll());
        const QRect shown = label->shownRect(), drawn = label->drawnRect(); // across: a line is taller than the label
        QVERIFY2(drawn.left() >= shown.left() && drawn.right() <= shown.right(),
                 qPrintable(QString::number(drawn.x())));
        QVERIFY(text.contains('\t') || label->drawnFont() == label->font());
    }

    // The last group of 4500 names shows whole in a box within the screen, 确定 on it and the default, closed by Enter
    // or Escape; a short text keeps the message box.
    void longMessage_data()
    {
        QTest::addColumn<int>("names");
        QTest::addColumn<int>("key");
        QTest::newRow("4500 names, Enter") << 4500 << int(Qt::Key_Return);
        QTest::newRow("4500 names, Escape") << 4500 << int(Qt::Key_Escape);
        QTest::newRow("3 names, a message box") << 3 << int(Qt::Key_Return);
    }
    void longMessage()
    {
        QFETCH(int, names);
        QFETCH(int, key);
        const QString text = lastGroup("|" + numberedNames(names).join('|'));
        QList<bool> seen; // on the screen, 确定 on it and the default, the whole text, the kind of box, closed
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            auto *view = box->findChild<QPlainTextEdit *>();
            auto *ok = box->findChild<QPushButton *>();
            const QRect screen = box->screen()->availableGeometry();
            seen << screen.contains(box->frameGeometry())
                 << (screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())) && ok->isVisible()
                     && ok->isDefault() && ok->text() == "确定")
                 << ((view ? view->toPlainText() : qobject_cast<QMessageBox *>(box)->text()) == text)
                 << (view ? view->isReadOnly() && names > 10 : names < 10);
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key(key));
            seen << !box->isVisible();
            box->close();
        });
        standardMessageBoxes().inform(f->window.get(), text, "Taviro");
        QCOMPARE(seen, QList<bool>(5, true));
    }

    // Initialise tells of a folder refusing Save's file and goes on. The copy, named for the local time, holds
    // Save's bytes before new entries or a box show; a refusal is told; a Save removes even a copy behind the log.
    // 弃奖 by Delete and through the results box's menu: the question names the winner, 否 its default; the line is
    // marked in the box and the recovery copy, the prize asks for one more and the next round draws it under its
    // heading; taken back before that. A start after the plan asks first (否 by default), then draws under 奖项外.
    void forfeitAndThePlansEnd()
    {
        QVERIFY(writeAll(f->folder.filePath("奖项.txt"), "三等奖 2\r\n一等奖 1\r\n"));
        f->initialise(numberedNames(6));
        round(2); // [1] 候选人02, [2] 候选人01 under 三等奖, on lines 3 and 4
        const auto onLine = [this](int line) { return results()->document()->findBlockByNumber(line); };
        results()->setTextCursor(QTextCursor(onLine(3)));
        f->boxes.replies = {true};
        QTest::keyClick(results(), Qt::Key_Delete);
        QCOMPARE(f->boxes.shown.last(),
                 "[1] 候选人02 不在场，确定弃奖吗？\n弃奖后此人不会再被抽中，下一次开始将为“三等奖”补抽1名。");
        QCOMPARE(f->boxes.defaults.last(), MessageBoxes::Default::No);
        QCOMPARE(onLine(3).text(), "[1]:\t候选人02\t（弃奖）");
        QCOMPARE(num()->text(), "1");
        QVERIFY(readAll(f->folder.filePath(copies().value(0))).contains(encodeLegacyText("候选人02\t（弃奖）\r\n")));
        QTimer::singleShot(0, this, [] { // the menu on the marked line offers to take it back
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu && menu->actions().last()->text() == "撤销弃奖");
            menu->actions().last()->trigger();
            menu->close();
        });
        const QPoint at = results()->cursorRect(QTextCursor(onLine(3))).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, results()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(results()->viewport(), &click);
        QCOMPARE(onLine(3).text(), "[1]:\t候选人02");
        QCOMPARE(f->session().nextPrize().name, "一等奖");
        f->window->activateWindow(); // offscreen, a closed menu leaves no window active
        QVERIFY(QTest::qWaitForWindowActive(f->window.get()));
        f->boxes.replies = {true};
        QTest::keyClick(results(), Qt::Key_Delete);
        round(1); // the replacement, [3], still under 三等奖
        round(1); // 一等奖
        QVERIFY(f->control<QGroupBox>("Frame_Oper")->title().startsWith("奖项已全部抽完  指纹 "));
        start()->click(); // answered 否
        QCOMPARE(f->boxes.defaults.last(), MessageBoxes::Default::No);
        QCOMPARE(f->session().roundState(), State::Ready);
        f->boxes.replies = {true};
        round(1);
        QCOMPARE(log().section("\r\n", 2),
                 "三等奖\r\n[1]:\t候选人02\t（弃奖）\r\n[2]:\t候选人01\r\n[3]:\t候选人03\r\n"
                 "一等奖\r\n[4]:\t候选人04\r\n奖项外\r\n[5]:\t候选人05");
    }

    void recoveryCopy()
    {
        const QString saved = resultsFilePath(f->folder.path());
        QVERIFY(QDir().mkdir(saved)); // as root, permission bits would not stop the write, a folder does
        f->initialise(numberedNames(4));
        QVERIFY(f->boxes.shown.value(0).startsWith("摇号结果无法保存在这个文件夹里！\n无法写入文件："
                                                   + QDir::toNativeSeparators(saved)
                                                   + "\n原因：那里有一个同名的文件夹\n"));
        QVERIFY(start()->isEnabled() && QDir().rmdir(saved));
        const auto ours = [&] {
            return copies().size() == 1 ? f->folder.filePath(copies()[0]) : QStringLiteral("<not one copy>");
        };
        QByteArray whenShown;
        connect(results(), &QPlainTextEdit::textChanged, [&] { whenShown = readAll(ours()); });
        f->boxes.whileShown = [&] { whenShown = readAll(ours()); };
        round(1);
        QCOMPARE(whenShown, saveBytes());
        const QDateTime named = QDateTime::fromString(ours().right(19).left(15), "yyyyMMdd-HHmmss");
        QVERIFY(qAbs(named.secsTo(QDateTime::currentDateTime())) < 3);
        const QString away = f->folder.path() + "-away", copy = ours();
        QVERIFY(QDir().rename(f->folder.path(), away));
        const QString failure = recoveryFailedMessage(writeFileAtomically(copy, "x"));
        const auto restore = qScopeGuard([&] { QDir().rename(away, f->folder.path()); });
        round(1);
        QCOMPARE(f->boxes.shown.value(1), failure);
        QVERIFY(QDir().rename(away, f->folder.path()));
        click("Cmd_Save");
        QCOMPARE(copies(), QStringList());
        round(1);
        QCOMPARE(whenShown, saveBytes());
        start()->click(); // one left, not more than the last round drew: the last group
        QCOMPARE(f->boxes.shown.value(3), lastGroup(QStringLiteral("|候选人04")));
        QCOMPARE(whenShown, saveBytes());
    }

    // Each bar's values as the colours painted on its own target, from the 16 of the old palette.
    void colourBars_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QString>("target");
        QTest::newRow("roll back") << "HScroll_Color_Roll_Back" << QList<int>{1, 0, 3} << "Lbl_Roll";
        QTest::newRow("roll text") << "HScroll_Color_Roll" << QList<int>{4, 15} << "Lbl_Roll";
        QTest::newRow("results text") << "HScroll_Color_Results" << QList<int>{2, 6, 7} << "Txt_Results";
        QTest::newRow("results back") << "HScroll_Color_Results_Back" << QList<int>{11, 8, 9} << "Txt_Results";
        QTest::newRow("window back") << "VScroll_Color_Frame" << QList<int>{13, 5, 14, 10} << "FrmMain";
    }
    void colourBars()
    {
        QFETCH(QString, bar);
        QFETCH(QString, target);
        QFETCH(QList<int>, values);
        results()->setPlainText(QStringLiteral("摇号结果\n[1]:\t李四"));
        QWidget *painted = target == "Txt_Results" ? results()->viewport() : w(target);
        const bool back = QString(QTest::currentDataTag()).endsWith("back");
        const auto shows = [&](QWidget *where, const QString &colour) { // text covers a little, the back most
            const QImage image = where->grab().toImage();
            qint64 hits = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    hits += image.pixelColor(x, y) == QColor(colour);
            const double share = double(hits) / (image.width() * image.height());
            return back ? share > 0.2 : share > 0.005 && share < 0.2;
        };
        auto *scrollBar = f->control<QScrollBar>(bar);
        for (int value : values) {
            scrollBar->setValue(value);
            QVERIFY2(shows(painted, palette[value]), qPrintable(palette[value]));
            QVERIFY(target != "FrmMain" || shows(w("Frame_Oper"), palette[value])); // the bar takes the window's colour
        }
    }

    // An entry clicked in each list changes its own target's family or size, nothing else.
    void fontLists()
    {
        for (auto [name, target, other] : {std::tuple{"List_Fonts_Roll", "Lbl_Roll", "Txt_Results"},
                                           {"List_FontSize_Results", "Txt_Results", "Lbl_Roll"}}) {
            auto *list = f->control<QListWidget>(name);
            const QFont before = w(target)->font(), otherBefore = w(other)->font();
            QListWidgetItem *item = list->item(list->count() - 1);
            list->scrollToItem(item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
            const bool sizes = QString(name).contains("Size");
            QCOMPARE(w(target)->font().family(), sizes ? before.family() : item->text());
            QCOMPARE(w(target)->font().pointSizeF(), sizes ? item->text().toDouble() : before.pointSizeF());
            QCOMPARE(w(other)->font(), otherBefore);
        }
    }

    // The H and V toggles from their thresholds, the roll zoom, the title bar.
    void geometry()
    {
        for (auto [button, from, outer] : {std::tuple{"Cmd_Size_H", QSize(7230, 5985), QSize(9915, 5985)},
                                           {"Cmd_Size_H", QSize(9000, 5985), QSize(7230, 5985)},
                                           {"Cmd_Size_V", QSize(7230, 5985), QSize(7230, 4810)},
                                           {"Cmd_Size_V", QSize(7230, 5000), QSize(7230, 4810)},
                                           {"Cmd_Size_V", QSize(7230, 4995), QSize(7230, 6000)}}) {
            f->window->sizing().setOuterSize(from);
            click(QString(button));
            QCOMPARE(f->window->sizing().outerSize(), outer); // and the client area, less border and caption
            QCOMPARE(f->window->size(), QSize(twipsToPixels(outer.width() - 90), twipsToPixels(outer.height() - 480)));
        }
        click("Opt_Size_0");
        QCOMPARE(inTwips(roll()->geometry()), QRect(0, 0, 6735, 855));
        click("Opt_Size_1");
        QCOMPARE(inTwips(roll()->geometry()), QRect(-3360, 0, 13470, 855)); // -3367.5 rounded up
        for (auto [index, alignment] : {std::pair{0, Qt::AlignLeft}, {1, Qt::AlignRight}, {2, Qt::AlignHCenter}}) {
            click(QStringLiteral("Opt_Align_%1").arg(index));
            QCOMPARE(roll()->alignment() & Qt::AlignHorizontal_Mask, alignment);
        }
        // Double-clicks on 字体 open a font list upwards and close it; on the roll list itself they shrink it.
        for (auto [clicked, list, twips] :
             {std::tuple{"Lbl_Font_Roll", "List_Fonts_Roll", QRect(480, 1800, 1335, 1200)},
              {"Lbl_Font_Roll", "List_Fonts_Roll", QRect(480, 3000, 1335, 240)},
              {"List_Fonts_Roll", "List_Fonts_Roll", QRect(480, 3000, 1335, 15)},
              {"Lbl_Font_Results", "List_Fonts_Results", QRect(480, 0, 1335, 1200)}}) {
            QTest::mouseDClick(w(QString(clicked)), Qt::LeftButton, {}, QPoint(4, 4));
            QCOMPARE(inTwips(w(QString(list))->geometry()), twips); // 20 twips high: one pixel
        }
        const QSize client = f->window->size(); // Check_Title from its indeterminate start: each value, at once
        for (auto [state, style] : {std::pair{Qt::Checked, 1}, {Qt::Unchecked, 0}, {Qt::PartiallyChecked, 2}}) {
            click("Check_Title");
            QCOMPARE(f->control<QCheckBox>("Check_Title")->checkState(), state);
            QCOMPARE(int(f->window->sizing().borderStyle()), style);
            QCOMPARE(bool(f->window->windowHandle()->flags() & Qt::FramelessWindowHint), style == 0);
            QCOMPARE(f->window->size(), client);
            QCOMPARE(f->window->sizing().outerSize(), style ? QSize(7230, 6000) : QSize(7140, 5520)); // no frame, none
        }
    }

    // 10000 candidates drawn by Enter in the count box with the seeded generator, then Save: the file read back,
    // and the record beside it replays to the same rounds.
    void soakByKeyboard()
    {
        const int counts[] = {1, 7, 250, 33, 2, 120, 64, 400, 18, 97}; // about a hundred rounds in all
        SeededRandomiser seeded;
        f = std::make_unique<MainWindowFixture>(&seeded);
        f->initialise(numberedNames(10000));
        int remaining = 10000, previous = 1, rounds = 0; // the last group comes from the previous round's count
        for (; remaining > previous; ++rounds) {
            num()->setFocus();
            num()->selectAll();
            QTest::keyClicks(num(), QString::number(qMin(counts[rounds % 10], remaining - 1)));
            f->press(Qt::Key_Return);
            QVERIFY(QTest::qWaitFor([&] { return roll()->text() != rollPlaceholder(); }));
            QVERIFY2(f->session().rollNames().contains(roll()->text()), qPrintable(roll()->text()));
            f->press(Qt::Key_Return);
            QVERIFY(f->session().roundPicks().contains(roll()->text())); // a winner shows at the stop
            f->waitForReveal();
            QCOMPARE(f->session().remainingCount(), remaining -= previous = num()->text().toInt());
        }
        f->press(Qt::Key_Return); // the last group
        f->press(Qt::Key_Return); // nobody left
        click("Cmd_Save");
        QCOMPARE(f->boxes.shown.value(0).count('|'), remaining);
        QCOMPARE(f->boxes.shown.mid(1), (QStringList{exhausted(), savedMessage()}));
        QCOMPARE(results()->toPlainText(), QString(log()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QVERIFY(results()->textCursor().atEnd());
        QCOMPARE(log().split(QStringLiteral("\r\n")).size(), 10002); // a heading, a blank, 10000 entries
        QCOMPARE(readAll(resultsFilePath(f->folder.path())), saveBytes());
        const ParsedRecord record = parseRecord(readAll(f->folder.filePath("摇号记录.txt")));
        QVERIFY2(record.ok && record.record.seed.kind == DrawSeed::Kind::System, qPrintable(record.error));
        QCOMPARE(record.record.rounds.size(), rounds + 1);
        const Replay replay = replayDraw(f->folder.filePath("bonus.txt"), record.record.seed, {}, record.record.rounds);
        QCOMPARE(replay.firstDifference, -1);
        QCOMPARE(replay.log, log());
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
