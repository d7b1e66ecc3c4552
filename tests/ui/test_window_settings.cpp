// The layout as Qt shows it, and the settings panel and the window's sizes
// driven by hand: the colour bars as painted, the font and size lists, the
// alignment, the font lists' expanding, the H and V buttons, the roll zoom
// and the title bar.

#include "support.h"

#include "ui/twips.h"
#include "ui/version.h"
#include "ui/window_sizing.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

using taviro::pixelsToTwips;
using taviro::twipsToPixels;

namespace {

const QSize kFrame(taviro::mainFormSpec().frameLeft + taviro::mainFormSpec().frameRight,
                   taviro::mainFormSpec().frameTop + taviro::mainFormSpec().frameBottom);

QRect inTwips(const QRect &r) { return QRect(r.topLeft() * taviro::kTwipsPerPixel, r.size() * taviro::kTwipsPerPixel); }

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

// The last row of a font list whose family is not `family`.
int otherFamilyRow(QListWidget *list, const QString &family)
{
    int row = list->count() - 1;
    while (row > 0 && list->item(row)->text() == family)
        --row;
    return row;
}

} // namespace

class TestWindowSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

    QWidget *w(const QString &name) const { return f->control(name); }
    void click(const QString &name, QPoint at = QPoint(4, 4)) { QTest::mouseClick(w(name), Qt::LeftButton, {}, at); }
    QRect inWindow(const QString &name) const { return QRect(w(name)->mapTo(f->window.get(), QPoint()), w(name)->size()); }
    taviro::WindowSizing &sizing() const { return f->window->sizing(); }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    // A sample of controls in twips, in their containers; the client area,
    // what is clipped or beyond it, and Shape1's blue band round Pic_Roll.
    void layout_data()
    {
        QTest::addColumn<QString>("container"); // the row's name is the control's
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Cmd_Start") << "Frame_Oper" << QRect(1440, 240, 855, 615);
        QTest::newRow("Lbl_Roll") << "Pic_Roll" << QRect(-1440, 0, 9735, 855);
        QTest::newRow("CmdAbout") << "Frame_Settings" << QRect(2160, 4440, 255, 735);
        QTest::newRow("Cmd_Size_H") << "FrmMain" << QRect(6960, 4200, 135, 180);
    }
    void layout()
    {
        QFETCH(QString, container); QFETCH(QRect, twips);
        QWidget *control = w(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(control->parentWidget()->objectName(), container);
        QCOMPARE(inTwips(control->geometry()), twips);
        QCOMPARE(inTwips(f->window->rect()), QRect(0, 0, 7140, 5505));
        QVERIFY(w("Frame_Settings")->visibleRegion().isEmpty());
        QCOMPARE(inTwips(w("Lbl_Roll")->visibleRegion().boundingRect()), QRect(1440, 0, 6735, 855));
        QCOMPARE(f->window->childAt(w("Cmd_Size_V")->geometry().center()), w("Cmd_Size_V")); // over the results box
        const QImage image = f->window->grab().toImage();
        const QRect pic = w("Pic_Roll")->geometry();
        QCOMPARE(image.pixelColor(pic.left() - 8, pic.center().y()), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(pic.left() - 9, pic.center().y()), QColor(Qt::red));
    }

    // The first value by dragging the thumb (nothing changes until it is let
    // go), the others set; -1 is one step by the arrow key. Each colour is
    // checked as painted on the screen.
    void colourBars_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("back");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QStringList>("colours");
        QTest::newRow("roll back") << "HScroll_Color_Roll_Back" << "Lbl_Roll" << true << QList<int>{1, 0, -1} << QStringList{"#000080", "#000000", "#000080"};
        QTest::newRow("roll text") << "HScroll_Color_Roll" << "Lbl_Roll" << false << QList<int>{4, 15, -1} << QStringList{"#800000", "#ffffff", "#ffffff"};
        QTest::newRow("results text") << "HScroll_Color_Results" << "Txt_Results" << false << QList<int>{2, 6, -1} << QStringList{"#008000", "#808000", "#c0c0c0"};
        QTest::newRow("results back") << "HScroll_Color_Results_Back" << "Txt_Results" << true << QList<int>{11, 8, -1} << QStringList{"#00ffff", "#808080", "#0000ff"};
        QTest::newRow("window") << "VScroll_Color_Frame" << "FrmMain" << true << QList<int>{13, 5, 14, 9, -1}
                                << QStringList{"#ff00ff", "#800080", "#ffff00", "#0000ff", "#00ff00"};
    }
    void colourBars()
    {
        QFETCH(QString, bar); QFETCH(QString, target); QFETCH(bool, back); QFETCH(QList<int>, values);
        QFETCH(QStringList, colours);
        auto *results = f->control<QPlainTextEdit>(QStringLiteral("Txt_Results"));
        results->setPlainText(QStringLiteral("摇号结果\n[1]:\t李四"));
        QWidget *painted = target == QLatin1String("Txt_Results") ? results->viewport() : w(target);
        const QFont font = w(target)->font();
        auto *scrollBar = f->control<QScrollBar>(bar);
        const auto shows = [&](QWidget *where, const QString &colour) { return paintedShare(where, QColor(colour)) > (back ? 0.1 : 0.005); };
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
            if (target == QLatin1String("FrmMain")) // the operations bar takes the window's colour
                QVERIFY(shows(w("Frame_Oper"), colours[i]));
        }
        QCOMPARE(w(target)->font(), font);
    }

    void fontLists_data()
    {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("entry"); // empty: a family other than the target's
        QTest::addColumn<QString>("how");   // click; Tab in, then keys; or step with the arrows, then click
        QTest::newRow("roll size 38, arrows") << "List_FontSize_Roll" << "Lbl_Roll" << "38" << "arrows";
        QTest::newRow("results family, click") << "List_Fonts_Results" << "Txt_Results" << "" << "click";
        QTest::newRow("roll family, keys") << "List_Fonts_Roll" << "Lbl_Roll" << "" << "keys";
    }
    void fontLists()
    {
        QFETCH(QString, listName); QFETCH(QString, target); QFETCH(QString, entry); QFETCH(QString, how);
        auto *list = f->control<QListWidget>(listName);
        QWidget *other = w(target == QLatin1String("Lbl_Roll") ? QStringLiteral("Txt_Results") : QStringLiteral("Lbl_Roll"));
        const QFont before = w(target)->font(), otherBefore = other->font();
        const int row = entry.isEmpty() ? otherFamilyRow(list, before.family()) : list->row(list->findItems(entry, Qt::MatchExactly).value(0));
        QVERIFY(row > 0);
        const QString chosen = list->item(row)->text();
        if (how == QLatin1String("keys")) {
            w("Opt_Size_1")->setFocus(); // the tab stop before the lists
            for (int i = 0; i < 4 && QApplication::focusWidget() != list; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), list);
            QCOMPARE(list->currentRow(), 0); // entering makes the first entry current and chooses nothing
            QVERIFY(list->selectedItems().isEmpty() && w(target)->font() == before);
            for (int i = 0; i < row; ++i)
                QTest::keyClick(list, Qt::Key_Down);
        } else {
            QScrollBar *arrows = list->verticalScrollBar();
            for (int i = 0; i < row && how == QLatin1String("arrows"); ++i) // the down arrow, at the bar's lower end
                QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, arrows->height() - 2));
            QVERIFY(list->selectedItems().isEmpty() && w(target)->font() == before);
            list->scrollToItem(list->item(row), QAbstractItemView::PositionAtTop);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        }
        QCOMPARE(list->selectedItems().value(0), list->item(row));
        const QFont after = w(target)->font();
        QCOMPARE(after.family(), entry.isEmpty() ? chosen : before.family());
        QCOMPARE(after.pointSizeF(), entry.isEmpty() ? before.pointSizeF() : chosen.toDouble());
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
        const char *results = "List_Fonts_Results", *roll = "List_Fonts_Roll";
        QTest::newRow("results label twice") << results << 0 << "LL" << QStringList{"0/1200", "1200/240"};
        QTest::newRow("roll entry when expanded, then label") << roll << 0 << "LEL" << QStringList{"1800/1200", "1800/20", "600/1200"};
        QTest::newRow("roll at 300, then label") << roll << 0 << "EFL" << QStringList{"3000/20", "3000/300", "4200/240"};
        QTest::newRow("results list has no double-click") << results << 0 << "E" << QStringList{"1200/240"};
        QTest::newRow("label, 255 is not over 260") << results << 255 << "L" << QStringList{"0/1200"};
        QTest::newRow("label, 270 is") << results << 270 << "L" << QStringList{"2400/240"};
        QTest::newRow("itself, 195 is not over 200") << roll << 195 << "F" << QStringList{"3000/300"};
        QTest::newRow("itself, 210 is") << roll << 210 << "F" << QStringList{"3000/20"};
    }
    void expandCollapse()
    {
        QFETCH(QString, listName); QFETCH(int, height); QFETCH(QString, steps); QFETCH(QStringList, expected);
        auto *list = f->control<QListWidget>(listName);
        const bool roll = listName == QLatin1String("List_Fonts_Roll");
        QWidget *target = w(roll ? QStringLiteral("Lbl_Roll") : QStringLiteral("Txt_Results"));
        if (height)
            list->resize(list->width(), twipsToPixels(height));
        const int left = pixelsToTwips(list->x()), width = pixelsToTwips(list->width());
        for (int i = 0; i < steps.size(); ++i) {
            if (steps[i] == QLatin1Char('L')) {
                QTest::mouseDClick(w(roll ? QStringLiteral("Lbl_Font_Roll") : QStringLiteral("Lbl_Font_Results")), Qt::LeftButton);
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
            const QWidget *hit = list->parentWidget()->childAt(list->geometry().center()); // expanded, it lies on top
            QVERIFY(topHeight[1] != QLatin1String("1200") || hit == list || list->isAncestorOf(hit));
        }
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
        QTest::newRow("H from a border dragged to 9000") << true << none << QSize(594, 367) << QList<int>{7230}; // 8910 twips and the frame
    }
    void sizeToggles()
    {
        QFETCH(bool, horizontal); QFETCH(QSize, start); QFETCH(QSize, dragged); QFETCH(QList<int>, sizes);
        if (start.isValid())
            sizing().setOuterSize(start);
        if (dragged.isValid()) {
            sizing().setBorderStyle(taviro::BorderStyle::Sizable);
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
            QCOMPARE(horizontal ? f->window->width() : f->window->height(), twipsToPixels(size - (horizontal ? kFrame.width() : kFrame.height())));
        }
        QCOMPARE(w(QStringLiteral("Frame_Settings"))->geometry(), panel); // no control moves
    }

    // Wide, the settings panel shows whole and About is reachable; short,
    // the operations bar is gone, the keys still draw and V still shows.
    void wideAndShortWindows()
    {
        QSignalSpy about(f->window.get(), &taviro::FrmMain::aboutRequested);
        click(QStringLiteral("Cmd_Size_H"));
        QVERIFY(f->window->rect().contains(inWindow(QStringLiteral("Frame_Settings"))));
        click(QStringLiteral("CmdAbout"));
        QCOMPARE(about.count(), 1);
        f->initialise(numberedNames(4));
        click(QStringLiteral("Cmd_Size_V"));
        QCOMPARE(f->window->height(), twipsToPixels(4330));
        QVERIFY(!f->window->rect().intersects(inWindow(QStringLiteral("Frame_Oper"))));
        const QRect v = inWindow(QStringLiteral("Cmd_Size_V")).intersected(f->window->rect());
        QVERIFY(!v.isEmpty());
        w(QStringLiteral("Txt_Results"))->setFocus();
        f->press(Qt::Key_Return);
        QCOMPARE(f->session().roundState(), taviro::DrawSession::RoundState::Rolling);
        f->press(Qt::Key_Space);
        QTRY_COMPARE(f->session().roundNumber(), 2);
        click(QStringLiteral("Cmd_Size_V"), v.center() - inWindow(QStringLiteral("Cmd_Size_V")).topLeft());
        QVERIFY(f->window->rect().contains(inWindow(QStringLiteral("Frame_Oper"))));
    }

    // Halves round up, so the label keeps its width wherever it starts; the
    // alignment buttons move the text, not the label.
    void rollZoom_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QRect>("pixels"); // left and width
        QTest::newRow("as laid out, double shown selected") << QList<int>{} << QRect(-96, 0, 649, 0);
        QTest::newRow("single, then double") << QList<int>{0, 1} << QRect(-224, 0, 898, 0); // -3367.5 twips, 13470 wide
        QTest::newRow("double, then single") << QList<int>{1, 0} << QRect(0, 0, 449, 0);
    }
    void rollZoom()
    {
        QFETCH(QList<int>, clicks); QFETCH(QRect, pixels);
        auto *roll = f->control<QLabel>(QStringLiteral("Lbl_Roll"));
        const QRect laidOut = roll->geometry();
        const QFont font = roll->font();
        for (int index : clicks)
            click(QStringLiteral("Opt_Size_%1").arg(index));
        QCOMPARE(roll->geometry(), QRect(pixels.x(), laidOut.y(), pixels.width(), laidOut.height()));
        QCOMPARE(roll->font(), font);
        for (const auto &[index, alignment] : {std::pair(0, Qt::AlignLeft), {2, Qt::AlignHCenter}, {1, Qt::AlignRight}}) {
            click(QStringLiteral("Opt_Align_%1").arg(index));
            QCOMPARE(roll->alignment(), alignment | Qt::AlignVCenter); // the vertical centring stays
        }
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
        QFETCH(int, clicks); QFETCH(Qt::CheckState, state); QFETCH(int, style);
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
        const QSize frame = style == 0 ? QSize(0, 0) : kFrame; // without a border the outer size is the client area
        QCOMPARE(sizing().outerSize(), QSize(pixelsToTwips(client.width()), pixelsToTwips(client.height())) + frame);
        click(QStringLiteral("Cmd_Size_H"));
        QCOMPARE(f->window->width(), twipsToPixels(7230 - frame.width()));
        QCOMPARE(QApplication::activeWindow(), f->window.get());
        w(QStringLiteral("Txt_Results"))->setFocus();
        f->press(Qt::Key_Return); // still seen by the window first
        QCOMPARE(f->boxes.shown.value(0).text, QStringLiteral("都抽完了，一个不剩了！！！！！"));
    }
};

QTEST_MAIN(TestWindowSettings)
#include "test_window_settings.moc"
