// The main window as laid out: what Qt shows against the layout.

#include "ui_test_support.h"

#include "ui/form_layout.h"
#include "ui/twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

using taviro::pixelsToTwips;

namespace {

QRect inTwips(const QRect &r)
{
    return QRect(pixelsToTwips(r.x()), pixelsToTwips(r.y()), pixelsToTwips(r.width()), pixelsToTwips(r.height()));
}

// Pixels within `tolerance` (summed over the channels) of `colour`: text is
// antialiased, so its pixels only come near its colour.
int countPixels(const QImage &image, const QColor &colour, int tolerance = 0)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green())
                         + qAbs(c.blue() - colour.blue()) <= tolerance;
        }
    return count;
}

} // namespace

class TestFormLayout : public QObject
{
    Q_OBJECT

    MainWindowFixture *f = nullptr;

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

    void twipsToPixels_data()
    {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("pixels");
        QTest::newRow("zero") << 0.0 << 15.0 << 0 << 1;
        QTest::newRow("under half a pixel") << 7.0 << 7.0 << 0 << 1;
        QTest::newRow("half rounds up") << 7.5 << 15.0 << 1 << 1;
        QTest::newRow("negative") << -1440.0 << 9735.0 << -96 << 649;
        QTest::newRow("negative half keeps the width") << -3367.5 << 13470.0 << -224 << 898;
    }

    void twipsToPixels()
    {
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(int, x);
        QFETCH(int, pixels);
        QCOMPARE(taviro::twipsToPixels(left, 0, width, 15), QRect(x, 0, pixels, 1));
    }

    // Every control of the table stands where it says, in the container it names.
    void everyControlAsInTheTable()
    {
        int widgets = 0;
        for (const taviro::ControlSpec &spec : taviro::mainFormSpec().controls) {
            const QString name = taviro::objectNameOf(spec);
            if (spec.kind == taviro::ControlKind::Timer) {
                QVERIFY(f->window->findChild<QTimer *>(name));
                continue;
            }
            QWidget *w = f->control(name);
            QVERIFY2(w, qPrintable(name));
            ++widgets;
            QCOMPARE(inTwips(w->geometry()), QRect(spec.left, spec.top, spec.width, spec.height));
            QCOMPARE(w->parentWidget()->objectName(), QLatin1String(spec.container ? spec.container : "FrmMain"));
            QCOMPARE(w->toolTip(), QString::fromUtf8(spec.toolTip));
        }
        QCOMPARE(widgets, 44);
    }

    // A sample of the layout written out in twips, against the window as shown.
    void sampleGeometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Cmd_Size_H") << "Cmd_Size_H" << "FrmMain" << QRect(6960, 4200, 135, 180);
        QTest::newRow("Frame_Settings") << "Frame_Settings" << "FrmMain" << QRect(7200, 120, 2535, 5295);
        QTest::newRow("Shape1") << "Shape1" << "FrmMain" << QRect(120, 240, 6975, 1095);
        QTest::newRow("Lbl_Roll") << "Lbl_Roll" << "Pic_Roll" << QRect(-1440, 0, 9735, 855);
        QTest::newRow("Txt_Num") << "Txt_Num" << "Frame_Oper" << QRect(2280, 240, 375, 270);
        QTest::newRow("Opt_Size_1") << "Opt_Size_1" << "Frame1" << QRect(120, 480, 1095, 180);
        QTest::newRow("List_Fonts_Results") << "List_Fonts_Results" << "Frame_Results" << QRect(480, 1200, 1335, 240);
        QTest::newRow("CmdAbout") << "CmdAbout" << "Frame_Settings" << QRect(2160, 4440, 255, 735);
    }

    void sampleGeometry()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        QCOMPARE(f->control(name)->parentWidget()->objectName(), container);
        QCOMPARE(inTwips(f->control(name)->geometry()), twips);
    }

    void visibleParts()
    {
        QCOMPARE(inTwips(f->window->rect()), QRect(0, 0, 7140, 5505));
        QVERIFY(f->control(QStringLiteral("Frame_Settings"))->visibleRegion().isEmpty()); // beyond the right edge
        QCOMPARE(inTwips(f->control(QStringLiteral("Lbl_Roll"))->visibleRegion().boundingRect()),
                 QRect(1440, 0, 6735, 855)); // clipped by Pic_Roll
        for (const char *name : {"Cmd_Size_H", "Cmd_Size_V"}) { // on top of the results box
            QWidget *button = f->control(QLatin1String(name));
            QCOMPARE(f->window->childAt(button->geometry().topLeft()), button);
        }

        // As painted: a blue band of 8 pixels around Pic_Roll, the label's
        // light cyan with its thin border (its sides are clipped away) and red text.
        const QImage image = f->window->grab().toImage();
        const QRect pic = f->control(QStringLiteral("Pic_Roll"))->geometry();
        const QColor blue(0x00, 0x00, 0xFF), darkRed(0xC0, 0x00, 0x00);
        for (const QPoint &p : {QPoint(pic.left() - 1, pic.center().y()), QPoint(pic.right() + 8, pic.bottom() + 8),
                                QPoint(pic.left() - 8, pic.top() - 8), QPoint(pic.center().x(), pic.bottom() + 1)})
            QCOMPARE(image.pixelColor(p), blue);
        QCOMPARE(image.pixelColor(pic.left() - 9, pic.center().y()), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(image.pixelColor(pic.left(), pic.center().y()), QColor(0x80, 0xFF, 0xFF));
        QCOMPARE(image.pixelColor(pic.left() + 4, pic.top()), darkRed);
        QCOMPARE(image.pixelColor(pic.left() + 4, pic.bottom()), darkRed);
        QVERIFY(countPixels(image.copy(pic.adjusted(1, 1, -1, -1)), darkRed) > 200);
    }

    void stacking_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QStringList>("topmostFirst");
        QTest::newRow("window") << "FrmMain"
                                << QStringList{"Cmd_Size_H", "Cmd_Size_V", "Frame_Settings", "Frame_Oper", "Pic_Roll",
                                               "Txt_Results", "Shape1"};
        QTest::newRow("Frame_Roll: labels beneath")
            << "Frame_Roll"
            << QStringList{"List_Fonts_Roll", "HScroll_Color_Roll", "HScroll_Color_Roll_Back", "List_FontSize_Roll",
                           "Frame1", "Frame_DuiQi", "Label6", "Label2", "Lbl_Font_Roll", "Label1"};
        QTest::newRow("Frame1") << "Frame1" << QStringList{"Opt_Size_1", "Opt_Size_0"};
    }

    void stacking()
    {
        QFETCH(QString, container);
        QFETCH(QStringList, topmostFirst);
        QWidget *parent = container == QLatin1String("FrmMain") ? f->window.get() : f->control(container);
        QStringList names;
        for (QObject *child : parent->children())
            if (child->isWidgetType())
                names.prepend(child->objectName());
        QCOMPARE(names, topmostFirst);
    }

    // Tab and Shift+Tab as a user presses them. An option group is one stop,
    // its chosen member; labels and frames take no focus.
    void tabOrder()
    {
        f->writeBonus(candidateBytes(numberedNames(2)));
        f->control<QPushButton>(QStringLiteral("Cmd_Init"))->click(); // Start enabled, Init disabled
        f->control(QStringLiteral("Txt_Results"))->setFocus();
        const QStringList expected = {
            "Txt_Results", "Pic_Roll", "Txt_Num", "Cmd_Exit", "Cmd_Save", "Cmd_Start", "Opt_Align_2", "Opt_Size_1",
            "List_FontSize_Roll", "List_FontSize_Results", "List_Fonts_Roll", "List_Fonts_Results",
            "HScroll_Color_Results", "HScroll_Color_Results_Back", "HScroll_Color_Roll_Back", "HScroll_Color_Roll",
            "VScroll_Color_Frame", "Cmd_Print", "CmdAbout", "Cmd_Size_V", "Cmd_Size_H", "Check_Title", "Txt_Results"};
        QStringList forward{QApplication::focusWidget()->objectName()}, backward = forward;
        for (int i = 1; i < expected.size(); ++i) {
            f->press(Qt::Key_Tab);
            forward.append(QApplication::focusWidget()->objectName());
        }
        for (int i = 1; i < expected.size(); ++i) {
            f->press(Qt::Key_Backtab, Qt::ShiftModifier);
            backward.prepend(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(forward, expected);
        QCOMPARE(backward, expected);

        // Another choice moves the group's stop; the arrows move within the group.
        f->control<QRadioButton>(QStringLiteral("Opt_Align_1"))->setChecked(true);
        f->control(QStringLiteral("Cmd_Start"))->setFocus();
        f->press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Opt_Align_1"));
        f->press(Qt::Key_Up);
        QVERIFY(f->control<QRadioButton>(QStringLiteral("Opt_Align_0"))->hasFocus());
        QVERIFY(f->control<QRadioButton>(QStringLiteral("Opt_Align_0"))->isChecked());
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Cmd_Init") << "Cmd_Init" << QStringLiteral("初始化&I");
        QTest::newRow("Cmd_Start") << "Cmd_Start" << QStringLiteral("开始&G");
        QTest::newRow("Cmd_Size_H") << "Cmd_Size_H" << QStringLiteral("&H");
        QTest::newRow("CmdAbout") << "CmdAbout" << QStringLiteral("关\n于");
        QTest::newRow("Label8") << "Label8" << QStringLiteral("窗\n体\n标\n题\n栏");
        QTest::newRow("Frame_Oper") << "Frame_Oper" << QString();
        QTest::newRow("Frame1") << "Frame1" << QStringLiteral("滚动区缩放");
        QTest::newRow("Opt_Align_1") << "Opt_Align_1" << QStringLiteral("右对齐");
    }

    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QWidget *w = f->control(name);
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            QCOMPARE(button->text(), caption);
        else if (auto *label = qobject_cast<QLabel *>(w))
            QCOMPARE(label->text(), caption);
        else
            QCOMPARE(qobject_cast<QGroupBox *>(w)->title(), caption);
    }

    // Every character of a caption stacked one per line shows in its laid-out height.
    void stackedCaptionFits()
    {
        auto *label = f->control<QLabel>(QStringLiteral("Label8"));
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
        const QImage image = label->grab().toImage();
        const auto ink = [&](int top, int height) {
            const QImage band = image.copy(0, top, image.width(), height);
            return band.width() * band.height() - countPixels(band, Qt::white, 300);
        };
        const int pitch = image.height() / 5;
        for (int line = 0; line < 5; ++line)
            QVERIFY2(ink(line * pitch, pitch) > 5, qPrintable(QString::number(line)));
        QCOMPARE(ink(image.height() - 3, 3), 0); // the last character ends inside the label
    }

    void fontsAndColours()
    {
        auto *roll = f->control<QLabel>(QStringLiteral("Lbl_Roll"));
        auto *results = f->control<QPlainTextEdit>(QStringLiteral("Txt_Results"));
        QCOMPARE(roll->font().pointSizeF(), 42.0);
        QCOMPARE(results->font().pointSizeF(), 26.25);
        for (QWidget *w : {static_cast<QWidget *>(roll), static_cast<QWidget *>(results)}) {
            QVERIFY(w->font().bold());
            QVERIFY(QFontMetrics(w->font()).inFontUcs4(0x6447)); // renders 摇 whatever is installed
        }
        QCOMPARE(roll->palette().color(QPalette::WindowText), QColor(0xC0, 0x00, 0x00));
        QCOMPARE(roll->palette().color(QPalette::Window), QColor(0x80, 0xFF, 0xFF));
        QCOMPARE(roll->alignment(), Qt::AlignCenter);
        QCOMPARE(results->palette().color(QPalette::Text), QColor(0x00, 0x00, 0xFF));
        QVERIFY(results->isReadOnly());
        QCOMPARE(results->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        // The other controls use the window's font: 180 twips per Chinese character.
        QCOMPARE(pixelsToTwips(QFontMetrics(f->window->font()).horizontalAdvance(QStringLiteral("字"))), 180);
    }

    void frameCaptionColour_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("highlighted");
        for (const char *name : {"Frame_Settings", "Frame_Results", "Frame_Roll", "Frame1", "Frame_DuiQi"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("Label3, not a frame") << "Label3" << false;
    }

    void frameCaptionColour()
    {
        QFETCH(QString, name);
        QFETCH(bool, highlighted);
        QWidget *w = f->control(name);
        const QImage caption = w->grab().toImage().copy(0, 0, w->width(), 14);
        QCOMPARE(countPixels(caption, w->palette().color(QPalette::Highlight), 60) > 20, highlighted);
    }

    void listsAsLaidOut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("entries");
        QTest::newRow("results sizes") << "List_FontSize_Results"
                                       << "10 12 14 16 18 20 22 24 26 30 40 50 60 70 80 100 120 150 180 240 300";
        QTest::newRow("roll sizes") << "List_FontSize_Roll" << "22 26 30 34 38 42";
    }

    void listsAsLaidOut()
    {
        QFETCH(QString, name);
        QFETCH(QString, entries);
        auto *list = f->control<QListWidget>(name);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->item(i)->text());
        QCOMPARE(shown.join(QLatin1Char(' ')), entries);
        QVERIFY(list->selectedItems().isEmpty());
        // One entry high: the first shows whole, the scroll arrows beside it.
        QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->item(0))));
        QVERIFY(list->verticalScrollBar()->isVisible());
    }

    void initialValues()
    {
        for (auto *bar : f->window->findChildren<QScrollBar *>(QRegularExpression(QStringLiteral("Scroll_Color")))) {
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 15);
            QCOMPARE(bar->value(), 0);
            QCOMPARE(bar->pageStep(), 1);
        }
        QCOMPARE(f->window->findChild<QButtonGroup *>(QStringLiteral("Opt_Size"))->checkedId(), 1);
        QCOMPARE(f->window->findChild<QButtonGroup *>(QStringLiteral("Opt_Align"))->checkedId(), 2);
        QCOMPARE(f->control(QStringLiteral("Opt_Align_0"))->property("index").toInt(), 0);
        QVERIFY(f->control<QCheckBox>(QStringLiteral("Check_Title"))->isTristate());
        QCOMPARE(f->control<QCheckBox>(QStringLiteral("Check_Title"))->checkState(), Qt::PartiallyChecked);
        QCOMPARE(taviro::checkValueOf(Qt::PartiallyChecked), 2);
        QCOMPARE(taviro::checkStateOf(1), Qt::Checked);
        QVERIFY(!f->control<QLineEdit>(QStringLiteral("Txt_Num"))->validator());
    }
};

QTEST_MAIN(TestFormLayout)
#include "test_form_layout.moc"
