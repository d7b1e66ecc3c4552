// The settings panel and the window's sizes, driven by hand: the colour bars,
// the font and size lists, the alignment, the font lists' expanding, the H
// and V buttons, the roll zoom and the title bar.

#include "ui_test_support.h"

#include "ui/twips.h"
#include "ui/version.h"
#include "ui/window_sizing.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

using taviro::BorderStyle;
using taviro::pixelsToTwips;
using taviro::twipsToPixels;

namespace {

const taviro::FormSpec &layout() { return taviro::mainFormSpec(); }
const QSize kFrame(layout().frameLeft + layout().frameRight, layout().frameTop + layout().frameBottom);

} // namespace

class TestWindowSettings : public QObject
{
    Q_OBJECT

    MainWindowFixture *f = nullptr;

    QWidget *w(const QString &name) const { return name == QLatin1String("FrmMain") ? f->window.get() : f->control(name); }
    QString colour(const QString &name, QPalette::ColorRole role) const { return w(name)->palette().color(role).name(); }
    void click(const QString &name, QPoint at = QPoint(4, 4)) { QTest::mouseClick(w(name), Qt::LeftButton, {}, at); }
    QRect inWindow(const QString &name) const { return QRect(w(name)->mapTo(f->window.get(), QPoint()), w(name)->size()); }
    taviro::WindowSizing &sizing() const { return f->window->sizing(); }

    // The last row of a font list whose family is not `family`.
    static int otherFamilyRow(QListWidget *list, const QString &family)
    {
        int row = list->count() - 1;
        while (row > 0 && list->item(row)->text() == family)
            --row;
        return row;
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

    // The first value by dragging the thumb (nothing changes until it is let
    // go), the others set; -1 is one step by the arrow key.
    void colourBars_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("role");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QStringList>("colours");
        QTest::newRow("roll back 1, 0") << "HScroll_Color_Roll_Back" << "Lbl_Roll" << int(QPalette::Window)
                                        << QList<int>{1, 0, -1} << QStringList{"#000080", "#000000", "#000080"};
        QTest::newRow("roll text, a step at the end") << "HScroll_Color_Roll" << "Lbl_Roll" << int(QPalette::WindowText)
                                                      << QList<int>{4, 15, -1} << QStringList{"#800000", "#ffffff", "#ffffff"};
        QTest::newRow("results text") << "HScroll_Color_Results" << "Txt_Results" << int(QPalette::Text)
                                      << QList<int>{2, 6, -1} << QStringList{"#008000", "#808000", "#c0c0c0"};
        QTest::newRow("results back") << "HScroll_Color_Results_Back" << "Txt_Results" << int(QPalette::Base)
                                      << QList<int>{11, 8, -1} << QStringList{"#00ffff", "#808080", "#0000ff"};
        QTest::newRow("window 12, 0") << "VScroll_Color_Frame" << "FrmMain" << int(QPalette::Window)
                                      << QList<int>{12, 0, -1} << QStringList{"#ff0000", "#000000", "#000080"};
        QTest::newRow("window, more colours") << "VScroll_Color_Frame" << "FrmMain" << int(QPalette::Window)
                                              << QList<int>{13, 5, 14, 9, -1}
                                              << QStringList{"#ff00ff", "#800080", "#ffff00", "#0000ff", "#00ff00"};
    }

    void colourBars()
    {
        QFETCH(QString, bar);
        QFETCH(QString, target);
        QFETCH(int, role);
        QFETCH(QList<int>, values);
        QFETCH(QStringList, colours);
        const auto r = QPalette::ColorRole(role);
        const bool window = target == QLatin1String("FrmMain");
        const auto otherRole = r == QPalette::Text ? QPalette::Base : r == QPalette::Base ? QPalette::Text
                             : r == QPalette::Window ? QPalette::WindowText : QPalette::Window;
        const QString laidOut = colour(target, r);
        const QString otherColour = colour(target, otherRole);
        const QFont font = w(target)->font();
        auto *scrollBar = f->control<QScrollBar>(bar);

        scrollBar->setSliderDown(true);
        scrollBar->setSliderPosition(values[0]);
        QCOMPARE(colour(target, r), laidOut);
        scrollBar->setSliderDown(false);
        for (int i = 0; i < values.size(); ++i) {
            if (i > 0 && values[i] < 0) {
                scrollBar->setFocus();
                QTest::keyClick(scrollBar, scrollBar->orientation() == Qt::Horizontal ? Qt::Key_Right : Qt::Key_Down);
            } else if (i > 0) {
                scrollBar->setValue(values[i]);
            }
            QCOMPARE(colour(target, r), colours[i]);
            if (window) // the operations bar takes the window's colour
                QCOMPARE(colour(QStringLiteral("Frame_Oper"), QPalette::Window), colours[i]);
        }
        QCOMPARE(colour(target, otherRole), otherColour); // only the one colour changes
        QCOMPARE(w(target)->font(), font);
    }

    void fontLists_data()
    {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("entry"); // empty: a family other than the target's
        QTest::addColumn<QString>("how");   // click; Tab in, then keys; or step with the arrows, then click
        QTest::newRow("results size 300, arrows") << "List_FontSize_Results" << "Txt_Results" << "300" << "arrows";
        QTest::newRow("results size 40, keys") << "List_FontSize_Results" << "Txt_Results" << "40" << "keys";
        QTest::newRow("roll size 22, click") << "List_FontSize_Roll" << "Lbl_Roll" << "22" << "click";
        QTest::newRow("roll size 38, arrows") << "List_FontSize_Roll" << "Lbl_Roll" << "38" << "arrows";
        QTest::newRow("results family, click") << "List_Fonts_Results" << "Txt_Results" << "" << "click";
        QTest::newRow("roll family, keys") << "List_Fonts_Roll" << "Lbl_Roll" << "" << "keys";
    }

    void fontLists()
    {
        QFETCH(QString, listName);
        QFETCH(QString, target);
        QFETCH(QString, entry);
        QFETCH(QString, how);
        auto *list = f->control<QListWidget>(listName);
        QWidget *other = w(target == QLatin1String("Lbl_Roll") ? QStringLiteral("Txt_Results") : QStringLiteral("Lbl_Roll"));
        const QFont before = w(target)->font();
        const QFont otherBefore = other->font();
        const bool family = entry.isEmpty();
        const int row = family ? otherFamilyRow(list, before.family())
                               : list->row(list->findItems(entry, Qt::MatchExactly).value(0));
        QVERIFY(row > 0 || entry == QLatin1String("22"));
        entry = list->item(row)->text();

        if (how == QLatin1String("keys")) {
            f->control(QStringLiteral("Opt_Size_1"))->setFocus(); // the tab stop before the lists
            for (int i = 0; i < 4 && QApplication::focusWidget() != list; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), list);
            QCOMPARE(list->currentRow(), 0); // entering makes the first entry current and chooses nothing
            QVERIFY(list->selectedItems().isEmpty());
            QCOMPARE(w(target)->font(), before);
            for (int i = 0; i < row; ++i)
                QTest::keyClick(list, Qt::Key_Down);
        } else if (how == QLatin1String("arrows")) {
            QScrollBar *arrows = list->verticalScrollBar();
            for (int i = 0; i < row; ++i) // the down arrow, at the bar's lower end
                QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, arrows->height() - 2));
            QCOMPARE(list->indexAt(QPoint(2, 2)).row(), row);
            QVERIFY(list->selectedItems().isEmpty());
            QCOMPARE(w(target)->font(), before);
        }
        if (how != QLatin1String("keys")) {
            list->scrollToItem(list->item(row), QAbstractItemView::PositionAtTop);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        }

        QCOMPARE(list->selectedItems().value(0), list->item(row));
        const QFont after = w(target)->font();
        QCOMPARE(after.family(), family ? entry : before.family());
        QCOMPARE(after.pointSizeF(), family ? before.pointSizeF() : entry.toDouble());
        QCOMPARE(after.bold(), before.bold());
        QCOMPARE(other->font(), otherBefore);
    }

    // Double-clicks in turn: L on the list's 字体 label, E on an entry of the
    // list (which applies it first), F on the list's frame. Each gives the
    // list's top and height in twips.
    void expandCollapse_data()
    {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<int>("height"); // twips to start from; 0: as laid out
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("expected");
        const char *results = "List_Fonts_Results";
        const char *roll = "List_Fonts_Roll";
        QTest::newRow("results label twice") << results << 0 << "LL" << QStringList{"0/1200", "1200/240"};
        QTest::newRow("roll label twice") << roll << 0 << "LL" << QStringList{"1800/1200", "3000/240"};
        QTest::newRow("roll entry when expanded, then label")
            << roll << 0 << "LEL" << QStringList{"1800/1200", "1800/20", "600/1200"};
        QTest::newRow("roll list by itself") << roll << 0 << "EFE" << QStringList{"3000/20", "3000/300", "3000/20"};
        QTest::newRow("roll at 300, then label") << roll << 0 << "EFL" << QStringList{"3000/20", "3000/300", "4200/240"};
        QTest::newRow("results list has no double-click") << results << 0 << "E" << QStringList{"1200/240"};
        QTest::newRow("label, 255 is not over 260") << results << 255 << "L" << QStringList{"0/1200"};
        QTest::newRow("label, 270 is") << results << 270 << "L" << QStringList{"2400/240"};
        QTest::newRow("itself, 195 is not over 200") << roll << 195 << "F" << QStringList{"3000/300"};
        QTest::newRow("itself, 210 is") << roll << 210 << "F" << QStringList{"3000/20"};
    }

    void expandCollapse()
    {
        QFETCH(QString, listName);
        QFETCH(int, height);
        QFETCH(QString, steps);
        QFETCH(QStringList, expected);
        auto *list = f->control<QListWidget>(listName);
        const bool roll = listName == QLatin1String("List_Fonts_Roll");
        QWidget *label = w(roll ? QStringLiteral("Lbl_Font_Roll") : QStringLiteral("Lbl_Font_Results"));
        QWidget *target = w(roll ? QStringLiteral("Lbl_Roll") : QStringLiteral("Txt_Results"));
        if (height)
            list->resize(list->width(), twipsToPixels(height));
        const int left = pixelsToTwips(list->x());
        const int width = pixelsToTwips(list->width());

        for (int i = 0; i < steps.size(); ++i) {
            if (steps[i] == QLatin1Char('L')) {
                QTest::mouseDClick(label, Qt::LeftButton);
            } else if (steps[i] == QLatin1Char('F')) {
                QTest::mouseDClick(list, Qt::LeftButton, {}, QPoint(list->width() / 4, 0));
            } else {
                const int row = otherFamilyRow(list, target->font().family());
                list->scrollToItem(list->item(row));
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
                QCOMPARE(target->font().family(), list->item(row)->text());
            }
            const QStringList topHeight = expected[i].split(QLatin1Char('/'));
            QCOMPARE(list->geometry(), twipsToPixels(left, topHeight[0].toInt(), width, topHeight[1].toInt()));
            // Expanded, it lies over the colour bars or the zoom frame above it.
            const QWidget *hit = list->parentWidget()->childAt(list->geometry().center());
            if (topHeight[1].toInt() == 1200)
                QVERIFY(hit == list || list->isAncestorOf(hit));
        }
    }

    // Restyled during a roll, the names go on rolling in the new style, which
    // outlasts the round.
    void restyleWhileRolling()
    {
        f->writeBonus(candidateBytes(numberedNames(6)));
        click(QStringLiteral("Cmd_Init"));
        click(QStringLiteral("Cmd_Start"));
        auto *roll = f->control<QLabel>(QStringLiteral("Lbl_Roll"));
        f->control<QScrollBar>(QStringLiteral("HScroll_Color_Roll_Back"))->setValue(14);
        auto *sizes = f->control<QListWidget>(QStringLiteral("List_FontSize_Roll"));
        QTest::mouseClick(sizes->viewport(), Qt::LeftButton, {}, QPoint(4, 4)); // "22"
        for (const auto &[index, alignment] : {std::pair(0, Qt::AlignLeft), {2, Qt::AlignHCenter}, {1, Qt::AlignRight}}) {
            click(QStringLiteral("Opt_Align_%1").arg(index));
            QCOMPARE(roll->alignment(), alignment | Qt::AlignVCenter); // the vertical centring stays
        }
        const auto style = [&] {
            return std::make_tuple(colour(QStringLiteral("Lbl_Roll"), QPalette::Window), roll->font().pointSizeF(), roll->alignment());
        };
        const auto restyled = std::make_tuple(QStringLiteral("#ffff00"), 22.0, Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(style(), restyled);

        QVERIFY(f->window->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
        const QString shown = roll->text();
        QTRY_VERIFY(roll->text() != shown);
        click(QStringLiteral("Cmd_Start"));
        QTRY_COMPARE(f->session().roundNumber(), 2);
        QCOMPARE(style(), restyled);
    }

    void sizeToggles_data()
    {
        QTest::addColumn<bool>("horizontal"); // Cmd_Size_H, else Cmd_Size_V
        QTest::addColumn<QSize>("start");     // outer twips; invalid: as laid out
        QTest::addColumn<QSize>("dragged");   // client pixels of a sizable window, if valid
        QTest::addColumn<QList<int>>("sizes"); // the toggled side after each click
        const QSize none;
        QTest::newRow("H as laid out") << true << none << none << QList<int>{9915, 7230, 9915};
        QTest::newRow("V as laid out") << false << none << none << QList<int>{4810, 6000, 4810};
        QTest::newRow("H from exactly 9000") << true << QSize(9000, 5985) << none << QList<int>{7230};
        QTest::newRow("V from exactly 5000") << false << QSize(7230, 5000) << none << QList<int>{4810, 6000};
        QTest::newRow("V from a pixel less") << false << QSize(7230, 4995) << none << QList<int>{6000};
        // 594 pixels are 8910 twips, 9000 with the frame.
        QTest::newRow("H from a border dragged to 9000") << true << none << QSize(594, 367) << QList<int>{7230};
    }

    void sizeToggles()
    {
        QFETCH(bool, horizontal);
        QFETCH(QSize, start);
        QFETCH(QSize, dragged);
        QFETCH(QList<int>, sizes);
        if (start.isValid())
            sizing().setOuterSize(start);
        if (dragged.isValid()) {
            sizing().setBorderStyle(BorderStyle::Sizable);
            f->window->resize(dragged);
            start = QSize(pixelsToTwips(dragged.width()), pixelsToTwips(dragged.height())) + kFrame;
        }
        QSize expected = start.isValid() ? start : QSize(7230, 5985);
        QCOMPARE(sizing().outerSize(), expected);
        const QRect panel = w(QStringLiteral("Frame_Settings"))->geometry();

        for (int size : sizes) {
            click(horizontal ? QStringLiteral("Cmd_Size_H") : QStringLiteral("Cmd_Size_V"));
            (horizontal ? expected.rwidth() : expected.rheight()) = size;
            QCOMPARE(sizing().outerSize(), expected);
            // The client area is the outer size less the layout's frame, whatever the window manager draws.
            QCOMPARE(horizontal ? f->window->width() : f->window->height(),
                     twipsToPixels(size - (horizontal ? kFrame.width() : kFrame.height())));
        }
        QCOMPARE(w(QStringLiteral("Frame_Settings"))->geometry(), panel); // no control moves
    }

    // Wide, the settings panel shows whole and About is reachable; short,
    // the operations bar is gone, the keys still draw and V still shows.
    void wideAndShortWindows()
    {
        QSignalSpy about(f->window.get(), &taviro::FrmMain::aboutRequested);
        QVERIFY(!f->window->rect().intersects(inWindow(QStringLiteral("Frame_Settings"))));
        click(QStringLiteral("Cmd_Size_H"));
        QCOMPARE(f->window->width(), twipsToPixels(9825));
        QVERIFY(f->window->rect().contains(inWindow(QStringLiteral("Frame_Settings"))));
        click(QStringLiteral("CmdAbout"));
        QCOMPARE(about.count(), 1);

        f->writeBonus(candidateBytes(numberedNames(4)));
        click(QStringLiteral("Cmd_Init"));
        click(QStringLiteral("Cmd_Size_V"));
        QCOMPARE(f->window->height(), twipsToPixels(4330));
        QVERIFY(!f->window->rect().intersects(inWindow(QStringLiteral("Frame_Oper"))));
        const QRect v = inWindow(QStringLiteral("Cmd_Size_V")).intersected(f->window->rect());
        QVERIFY(!v.isEmpty());
        f->control(QStringLiteral("Txt_Results"))->setFocus();
        f->press(Qt::Key_Return);
        QCOMPARE(f->session().roundState(), taviro::DrawSession::RoundState::Rolling);
        f->press(Qt::Key_Space);
        QTRY_COMPARE(f->session().roundNumber(), 2);
        click(QStringLiteral("Cmd_Size_V"), v.center() - inWindow(QStringLiteral("Cmd_Size_V")).topLeft());
        QVERIFY(f->window->rect().contains(inWindow(QStringLiteral("Frame_Oper"))));
    }

    void rollZoom_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<double>("left"); // twips
        QTest::addColumn<double>("width");
        QTest::newRow("as laid out, double shown selected") << QList<int>{} << -1440.0 << 9735.0;
        QTest::newRow("single") << QList<int>{0} << 0.0 << 6735.0;
        QTest::newRow("single, then double") << QList<int>{0, 1} << -3367.5 << 13470.0;
        QTest::newRow("the selected double clicked") << QList<int>{1} << -3367.5 << 13470.0;
        QTest::newRow("double, then single") << QList<int>{1, 0} << 0.0 << 6735.0;
    }

    void rollZoom()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(double, left);
        QFETCH(double, width);
        auto *roll = f->control<QLabel>(QStringLiteral("Lbl_Roll"));
        const QRect laidOut = roll->geometry();
        const QFont font = roll->font();
        for (int index : clicks)
            click(QStringLiteral("Opt_Size_%1").arg(index));
        const QRect span = twipsToPixels(left, 0, width, 0);
        QCOMPARE(roll->geometry(), QRect(span.x(), laidOut.y(), span.width(), laidOut.height()));
        QCOMPARE(roll->font(), font);
        QCOMPARE(roll->alignment(), Qt::AlignCenter);
    }

    // Check_Title from its indeterminate start: the value after each click is
    // the border style, applied at once; the caption and the client area stay.
    void titleBar_data()
    {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<Qt::CheckState>("state");
        QTest::addColumn<int>("style");
        QTest::newRow("checked") << 1 << Qt::Checked << 1;
        QTest::newRow("cleared") << 2 << Qt::Unchecked << 0;
        QTest::newRow("grayed") << 3 << Qt::PartiallyChecked << 2;
        QTest::newRow("checked again") << 4 << Qt::Checked << 1;
    }

    void titleBar()
    {
        QFETCH(int, clicks);
        QFETCH(Qt::CheckState, state);
        QFETCH(int, style);
        click(QStringLiteral("Cmd_Size_H")); // the panel shows the box
        const QSize client = f->window->size();
        for (int i = 0; i < clicks; ++i)
            click(QStringLiteral("Check_Title"));

        QCOMPARE(f->control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), state);
        QCOMPARE(int(sizing().borderStyle()), style);
        const Qt::WindowFlags flags = f->window->windowHandle()->flags();
        QCOMPARE(bool(flags & Qt::FramelessWindowHint), style == 0);
        QCOMPARE(bool(flags & Qt::WindowTitleHint), style != 0);
        QCOMPARE(f->window->minimumSize() == f->window->maximumSize(), style != 2);
        QCOMPARE(f->window->windowTitle(), taviro::mainWindowTitle());
        QCOMPARE(f->window->size(), client);
        // Without a border the outer size is the client area.
        const QSize frame = style == 0 ? QSize(0, 0) : kFrame;
        QCOMPARE(sizing().outerSize(), QSize(pixelsToTwips(client.width()), pixelsToTwips(client.height())) + frame);
        click(QStringLiteral("Cmd_Size_H"));
        QCOMPARE(f->window->width(), twipsToPixels(7230 - frame.width()));

        QCOMPARE(QApplication::activeWindow(), f->window.get());
        f->control(QStringLiteral("Txt_Results"))->setFocus();
        f->press(Qt::Key_Return); // still seen by the window first
        QCOMPARE(f->boxes.shown.value(0).text, QStringLiteral("都抽完了，一个不剩了！！！！！"));
    }
};

QTEST_MAIN(TestWindowSettings)
#include "test_window_settings.moc"
