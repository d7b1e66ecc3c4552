// The main window as laid out: what Qt shows against the layout.

#include "ui_test_support.h"

#include "ui/form_layout.h"
#include "ui/twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

using taviro::ControlKind;
using taviro::mainFormSpec;
using taviro::objectNameOf;
using taviro::pixelsToTwips;

namespace {

QRect inTwips(const QRect &pixels)
{
    return QRect(pixelsToTwips(pixels.x()), pixelsToTwips(pixels.y()), pixelsToTwips(pixels.width()),
                 pixelsToTwips(pixels.height()));
}

// Widgets of `container` from the topmost down.
QStringList stackingOrder(const QWidget *container)
{
    QStringList names;
    for (QObject *child : container->children())
        if (child->isWidgetType())
            names.prepend(child->objectName());
    return names;
}

// Pixels of `image` within `tolerance` (the sum of the channels' differences)
// of `colour`; text is antialiased, so its pixels only come near its colour.
int countPixels(const QImage &image, const QColor &colour, int tolerance = 0)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) + qAbs(c.blue() - colour.blue())
                <= tolerance)
                ++count;
        }
    return count;
}

bool rendersChinese(const QFont &font)
{
    const QFontMetrics metrics(font);
    return metrics.inFontUcs4(0x6447) && metrics.inFontUcs4(0x53F7); // 摇, 号
}

} // namespace

class TestFormLayout : public QObject
{
    Q_OBJECT

private slots:
    void twipsToPixels_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("one pixel") << 15.0 << 1;
        QTest::newRow("just under half") << 7.0 << 0;
        QTest::newRow("half rounds up") << 7.5 << 1;
        QTest::newRow("client width") << 7140.0 << 476;
        QTest::newRow("negative") << -1440.0 << -96;
        QTest::newRow("negative half rounds up") << -3367.5 << -224;
        QTest::newRow("negative just past half") << -3368.0 << -225;
    }

    void twipsToPixels()
    {
        QFETCH(double, twips);
        QFETCH(int, pixels);
        QCOMPARE(taviro::twipsToPixels(twips), pixels);
    }

    // A rectangle keeps its width wherever a half pixel puts its left edge.
    void rectangleKeepsItsWidth_data()
    {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("whole") << 240.0 << 6735.0 << QRect(16, 0, 449, 1);
        QTest::newRow("half left") << -3367.5 << 13470.0 << QRect(-224, 0, 898, 1);
        QTest::newRow("half both") << 7.5 << 15.0 << QRect(1, 0, 1, 1);
    }

    void rectangleKeepsItsWidth()
    {
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(QRect, pixels);
        QCOMPARE(taviro::twipsToPixels(left, 0, width, 15), pixels);
    }

    // Every control stands where the layout puts it, in the container it names.
    void everyControlAsInTheTable()
    {
        MainWindowFixture f;
        int widgets = 0;
        for (const taviro::ControlSpec &spec : mainFormSpec().controls) {
            const QString name = objectNameOf(spec);
            if (spec.kind == ControlKind::Timer) {
                QVERIFY2(f.window->findChild<QTimer *>(name), qPrintable(name));
                continue;
            }
            QWidget *w = f.control(name);
            QVERIFY2(w, qPrintable(name));
            ++widgets;
            QCOMPARE(inTwips(w->geometry()), QRect(spec.left, spec.top, spec.width, spec.height));
            const QString container = spec.container ? QString::fromLatin1(spec.container) : QStringLiteral("FrmMain");
            QCOMPARE(w->parentWidget()->objectName(), container);
            QCOMPARE(w->toolTip(), spec.toolTip ? QString::fromUtf8(spec.toolTip) : QString());
        }
        QCOMPARE(widgets, 44);
    }

    // A sample of the layout, in twips, checked against the window as shown.
    void sampleGeometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Cmd_Size_H") << "Cmd_Size_H" << "FrmMain" << QRect(6960, 4200, 135, 180);
        QTest::newRow("Cmd_Size_V") << "Cmd_Size_V" << "FrmMain" << QRect(6840, 4200, 135, 180);
        QTest::newRow("Frame_Settings") << "Frame_Settings" << "FrmMain" << QRect(7200, 120, 2535, 5295);
        QTest::newRow("Pic_Roll") << "Pic_Roll" << "FrmMain" << QRect(240, 360, 6735, 855);
        QTest::newRow("Shape1") << "Shape1" << "FrmMain" << QRect(120, 240, 6975, 1095);
        QTest::newRow("Txt_Results") << "Txt_Results" << "FrmMain" << QRect(120, 1440, 6975, 2775);
        QTest::newRow("Lbl_Roll") << "Lbl_Roll" << "Pic_Roll" << QRect(-1440, 0, 9735, 855);
        QTest::newRow("Txt_Num") << "Txt_Num" << "Frame_Oper" << QRect(2280, 240, 375, 270);
        QTest::newRow("Cmd_Exit") << "Cmd_Exit" << "Frame_Oper" << QRect(5520, 240, 855, 615);
        QTest::newRow("Opt_Size_1") << "Opt_Size_1" << "Frame1" << QRect(120, 480, 1095, 180);
        QTest::newRow("Opt_Align_0") << "Opt_Align_0" << "Frame_DuiQi" << QRect(120, 240, 855, 255);
        QTest::newRow("List_Fonts_Results") << "List_Fonts_Results" << "Frame_Results" << QRect(480, 1200, 1335, 240);
        QTest::newRow("VScroll_Color_Frame") << "VScroll_Color_Frame" << "Frame_Settings" << QRect(2160, 720, 255, 1815);
        QTest::newRow("CmdAbout") << "CmdAbout" << "Frame_Settings" << QRect(2160, 4440, 255, 735);
        QTest::newRow("Label8") << "Label8" << "Frame_Settings" << QRect(2160, 3240, 255, 975);
    }

    void sampleGeometry()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        MainWindowFixture f;
        QVERIFY(f.show());
        QWidget *w = f.control(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget()->objectName(), container);
        QCOMPARE(inTwips(w->geometry()), twips);
    }

    void windowSizeAndVisibleParts()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        QCOMPARE(inTwips(QRect(QPoint(), f.window->size())), QRect(0, 0, 7140, 5505));
        // The settings panel starts beyond the client area's right edge.
        QVERIFY(f.control(QStringLiteral("Frame_Settings"))->visibleRegion().isEmpty());
        // Pic_Roll clips the wider roll label to its own area.
        QWidget *label = f.control(QStringLiteral("Lbl_Roll"));
        QCOMPARE(inTwips(label->visibleRegion().boundingRect()), QRect(1440, 0, 6735, 855));
        // The two small buttons cover the bottom of the results box.
        QWidget *sizeH = f.control(QStringLiteral("Cmd_Size_H"));
        QCOMPARE(f.window->childAt(sizeH->geometry().topLeft()), sizeH);
        QCOMPARE(f.window->childAt(f.control(QStringLiteral("Cmd_Size_V"))->geometry().topLeft()),
                 f.control(QStringLiteral("Cmd_Size_V")));
    }

    // The blue band around the roll area and the roll label's colours, as painted.
    void rollAreaAsPainted()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        const QImage image = f.window->grab().toImage();
        const QRect pic = f.control(QStringLiteral("Pic_Roll"))->geometry();
        const QColor blue(0x00, 0x00, 0xFF);
        // 120 twips (8 pixels) of band on every side.
        for (const QPoint &p : {QPoint(pic.left() - 4, pic.center().y()), QPoint(pic.right() + 4, pic.center().y()),
                                QPoint(pic.center().x(), pic.top() - 4), QPoint(pic.center().x(), pic.bottom() + 4),
                                QPoint(pic.left() - 8, pic.top() - 8), QPoint(pic.right() + 8, pic.bottom() + 8)})
            QCOMPARE(image.pixelColor(p), blue);
        QCOMPARE(image.pixelColor(pic.left() - 9, pic.center().y()), QColor(0xFF, 0x00, 0x00));
        // Inside: the label's light cyan, its thin border in its text colour
        // (the left and right edges are clipped away) and red text.
        QCOMPARE(image.pixelColor(pic.left() + 4, pic.center().y()), QColor(0x80, 0xFF, 0xFF));
        QCOMPARE(image.pixelColor(pic.left() + 4, pic.top()), QColor(0xC0, 0x00, 0x00));
        QCOMPARE(image.pixelColor(pic.left() + 4, pic.bottom()), QColor(0xC0, 0x00, 0x00));
        QCOMPARE(image.pixelColor(pic.left(), pic.center().y()), QColor(0x80, 0xFF, 0xFF));
        QVERIFY(countPixels(image.copy(pic), QColor(0xC0, 0x00, 0x00)) > 200);
    }

    void stacking_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QStringList>("topmostFirst");
        QTest::newRow("window") << "FrmMain"
                                << QStringList{"Cmd_Size_H", "Cmd_Size_V", "Frame_Settings", "Frame_Oper", "Pic_Roll",
                                               "Txt_Results", "Shape1"};
        QTest::newRow("Frame_Settings") << "Frame_Settings"
                                        << QStringList{"Check_Title", "CmdAbout", "VScroll_Color_Frame",
                                                       "Frame_Results", "Frame_Roll", "Label8", "Label7"};
        QTest::newRow("Frame_Results")
            << "Frame_Results"
            << QStringList{"List_Fonts_Results", "HScroll_Color_Results_Back", "HScroll_Color_Results",
                           "List_FontSize_Results", "Lbl_Font_Results", "Label5", "Label4", "Label3"};
        QTest::newRow("Frame_Roll") << "Frame_Roll"
                                    << QStringList{"List_Fonts_Roll", "HScroll_Color_Roll", "HScroll_Color_Roll_Back",
                                                   "List_FontSize_Roll", "Frame1", "Frame_DuiQi", "Label6", "Label2",
                                                   "Lbl_Font_Roll", "Label1"};
        QTest::newRow("Frame1") << "Frame1" << QStringList{"Opt_Size_1", "Opt_Size_0"};
        QTest::newRow("Frame_DuiQi") << "Frame_DuiQi" << QStringList{"Opt_Align_2", "Opt_Align_1", "Opt_Align_0"};
        QTest::newRow("Frame_Oper") << "Frame_Oper"
                                    << QStringList{"Cmd_Print", "Cmd_Init", "Cmd_Start", "Cmd_Save", "Cmd_Exit",
                                                   "Txt_Num"};
    }

    void stacking()
    {
        QFETCH(QString, container);
        QFETCH(QStringList, topmostFirst);
        MainWindowFixture f;
        QWidget *parent = container == QLatin1String("FrmMain") ? f.window.get() : f.control(container);
        QVERIFY(parent);
        QCOMPARE(stackingOrder(parent), topmostFirst);
    }

    // Tab from the first control on, as a user would. An option group is one
    // stop, entered at its chosen member.
    void tabOrder()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        f.writeCandidates(numberedNames(2));
        f.control<QPushButton>(QStringLiteral("Cmd_Init"))->click(); // Start enabled, Init disabled
        f.control(QStringLiteral("Txt_Results"))->setFocus();
        const QStringList expected = {
            "Txt_Results", "Pic_Roll", "Txt_Num", "Cmd_Exit", "Cmd_Save", "Cmd_Start",
            // Cmd_Init (8) is disabled now
            "Opt_Align_2", "Opt_Size_1", "List_FontSize_Roll",
            "List_FontSize_Results", "List_Fonts_Roll", "List_Fonts_Results", "HScroll_Color_Results",
            "HScroll_Color_Results_Back", "HScroll_Color_Roll_Back", "HScroll_Color_Roll", "VScroll_Color_Frame",
            "Cmd_Print", "CmdAbout", "Cmd_Size_V", "Cmd_Size_H", "Check_Title", "Txt_Results"};
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(visited, expected);

        // And back again with Shift+Tab.
        QStringList reversed{QApplication::focusWidget()->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            reversed.prepend(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(reversed, expected);
    }

    // After another member is chosen, Tab enters the group there; the arrow
    // keys move within the group.
    void tabEntersAnOptionGroupAtItsChoice()
    {
        MainWindowFixture f;
        QVERIFY(f.show());
        f.control<QRadioButton>(QStringLiteral("Opt_Align_1"))->setChecked(true);
        f.control(QStringLiteral("Cmd_Init"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Opt_Align_1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Opt_Align_0"));
        QVERIFY(f.control<QRadioButton>(QStringLiteral("Opt_Align_0"))->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Opt_Size_1"));
    }

    void checkBoxValues_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("state");
        QTest::newRow("0 unchecked") << 0 << int(Qt::Unchecked);
        QTest::newRow("1 checked") << 1 << int(Qt::Checked);
        QTest::newRow("2 indeterminate") << 2 << int(Qt::PartiallyChecked);
    }

    void checkBoxValues()
    {
        QFETCH(int, value);
        QFETCH(int, state);
        QCOMPARE(int(taviro::checkStateOf(value)), state);
        QCOMPARE(taviro::checkValueOf(Qt::CheckState(state)), value);
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Cmd_Init") << "Cmd_Init" << QStringLiteral("初始化&I");
        QTest::newRow("Cmd_Start") << "Cmd_Start" << QStringLiteral("开始&G");
        QTest::newRow("Cmd_Print") << "Cmd_Print" << QStringLiteral("打印&P");
        QTest::newRow("Cmd_Save") << "Cmd_Save" << QStringLiteral("保存&S");
        QTest::newRow("Cmd_Exit") << "Cmd_Exit" << QStringLiteral("退出&X");
        QTest::newRow("Cmd_Size_H") << "Cmd_Size_H" << QStringLiteral("&H");
        QTest::newRow("Cmd_Size_V") << "Cmd_Size_V" << QStringLiteral("&V");
        QTest::newRow("CmdAbout, one character per line") << "CmdAbout" << QStringLiteral("关\n于");
        QTest::newRow("Label8, one character per line") << "Label8" << QStringLiteral("窗\n体\n标\n题\n栏");
        QTest::newRow("Label7, one character per line") << "Label7" << QStringLiteral("背\n景\n色");
        QTest::newRow("Frame_Settings") << "Frame_Settings" << QStringLiteral("设置");
        QTest::newRow("Frame_Oper") << "Frame_Oper" << QString();
        QTest::newRow("Frame1") << "Frame1" << QStringLiteral("滚动区缩放");
        QTest::newRow("Opt_Size_0") << "Opt_Size_0" << QStringLiteral("一倍宽度");
        QTest::newRow("Opt_Align_1") << "Opt_Align_1" << QStringLiteral("右对齐");
        QTest::newRow("Label3") << "Label3" << QStringLiteral("字体颜色");
        QTest::newRow("Lbl_Font_Roll") << "Lbl_Font_Roll" << QStringLiteral("字体");
        QTest::newRow("Check_Title") << "Check_Title" << QString();
        QTest::newRow("Txt_Num") << "Txt_Num" << QString();
    }

    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        MainWindowFixture f;
        QWidget *w = f.control(name);
        QVERIFY(w);
        QString text;
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            text = button->text();
        else if (auto *label = qobject_cast<QLabel *>(w))
            text = label->text();
        else if (auto *frame = qobject_cast<QGroupBox *>(w))
            text = frame->title();
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            text = edit->text();
        QCOMPARE(text, caption);
    }

    // Each stacked caption shows all its characters inside its laid-out height.
    void stackedCaptionsFit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Label8") << "Label8";
        QTest::newRow("Label7") << "Label7";
    }

    void stackedCaptionsFit()
    {
        QFETCH(QString, name);
        MainWindowFixture f;
        auto *label = f.control<QLabel>(name);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
        const QImage image = label->grab().toImage();
        const int lines = label->text().count(QLatin1Char('\n')) + 1;
        const int pitch = image.height() / lines;
        // Every line's band holds ink of its own character.
        for (int line = 0; line < lines; ++line) {
            const QImage band = image.copy(0, line * pitch, image.width(), pitch);
            QVERIFY2(countPixels(band, Qt::white) < band.width() * band.height() - 10, qPrintable(QString::number(line)));
        }
    }

    void fontsAndColours()
    {
        MainWindowFixture f;
        auto *roll = f.control<QLabel>(QStringLiteral("Lbl_Roll"));
        QCOMPARE(roll->font().pointSizeF(), 42.0);
        QVERIFY(roll->font().bold());
        QVERIFY2(rendersChinese(roll->font()), qPrintable(QFontInfo(roll->font()).family()));
        QCOMPARE(roll->palette().color(QPalette::WindowText), QColor(0xC0, 0x00, 0x00));
        QCOMPARE(roll->palette().color(QPalette::Window), QColor(0x80, 0xFF, 0xFF));
        QCOMPARE(roll->alignment(), Qt::AlignCenter);
        QCOMPARE(roll->frameShape(), QFrame::Box);
        QCOMPARE(roll->lineWidth(), 1);

        auto *results = f.control<QPlainTextEdit>(QStringLiteral("Txt_Results"));
        QCOMPARE(results->font().pointSizeF(), 26.25);
        QVERIFY(results->font().bold());
        QVERIFY(rendersChinese(results->font()));
        QCOMPARE(results->palette().color(QPalette::Text), QColor(0x00, 0x00, 0xFF));
        QVERIFY(results->isReadOnly());
        QCOMPARE(results->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(results->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

        // The rest use the window's font, laid out for 180 twips per Chinese character.
        const QFontMetrics metrics(f.window->font());
        QCOMPARE(pixelsToTwips(metrics.horizontalAdvance(QStringLiteral("字"))), 180);
        QCOMPARE(f.control(QStringLiteral("Cmd_Start"))->font(), f.window->font());
    }

    void frameCaptionsInHighlightColour_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("highlighted");
        for (const char *name : {"Frame_Settings", "Frame_Results", "Frame_Roll", "Frame1", "Frame_DuiQi"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("Label3 (not a frame)") << "Label3" << false;
    }

    void frameCaptionsInHighlightColour()
    {
        QFETCH(QString, name);
        QFETCH(bool, highlighted);
        MainWindowFixture f;
        QWidget *w = f.control(name);
        const QColor highlight = w->palette().color(QPalette::Highlight);
        const QImage caption = w->grab().toImage().copy(0, 0, w->width(), 14);
        QCOMPARE(countPixels(caption, highlight, 60) > 20, highlighted);
    }

    void listsAsLaidOut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("List_FontSize_Results")
            << "List_FontSize_Results"
            << QStringList{"10", "12", "14", "16", "18", "20", "22", "24", "26", "30", "40",
                           "50", "60", "70", "80", "100", "120", "150", "180", "240", "300"};
        QTest::newRow("List_FontSize_Roll") << "List_FontSize_Roll" << QStringList{"22", "26", "30", "34", "38", "42"};
    }

    void listsAsLaidOut()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, entries);
        MainWindowFixture f;
        QVERIFY(f.show());
        auto *list = f.control<QListWidget>(name);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->item(i)->text());
        QCOMPARE(shown, entries);
        QVERIFY(list->selectedItems().isEmpty());
        // One entry high: the first entry shows whole, with the scroll arrows beside it.
        QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->item(0))));
        QVERIFY(list->verticalScrollBar()->isVisible());
    }

    void initialValues_data()
    {
        QTest::addColumn<QString>("bar");
        for (const char *bar : {"HScroll_Color_Results", "HScroll_Color_Results_Back", "HScroll_Color_Roll",
                                "HScroll_Color_Roll_Back", "VScroll_Color_Frame"})
            QTest::newRow(bar) << QString::fromLatin1(bar);
    }

    void initialValues()
    {
        QFETCH(QString, bar);
        MainWindowFixture f;
        auto *scroll = f.control<QScrollBar>(bar);
        QCOMPARE(scroll->minimum(), 0);
        QCOMPARE(scroll->maximum(), 15);
        QCOMPARE(scroll->value(), 0);
        QCOMPARE(scroll->singleStep(), 1);
        QCOMPARE(scroll->pageStep(), 1);
        QCOMPARE(scroll->orientation(), bar.startsWith(QLatin1Char('V')) ? Qt::Vertical : Qt::Horizontal);
        QCOMPARE(scroll->focusPolicy(), Qt::StrongFocus);
    }

    void optionGroupsAndCheckBox()
    {
        MainWindowFixture f;
        auto *size = f.window->findChild<QButtonGroup *>(QStringLiteral("Opt_Size"));
        auto *align = f.window->findChild<QButtonGroup *>(QStringLiteral("Opt_Align"));
        QVERIFY(size && align);
        QCOMPARE(size->checkedId(), 1);
        QCOMPARE(align->checkedId(), 2);
        QCOMPARE(size->buttons().size(), 2);
        QCOMPARE(align->buttons().size(), 3);
        for (int i = 0; i < 3; ++i) {
            auto *member = f.control<QRadioButton>(QStringLiteral("Opt_Align_%1").arg(i));
            QCOMPARE(member->property("index").toInt(), i);
            QCOMPARE(align->id(member), i);
        }
        // Choosing a member unchecks the others of its own group only.
        f.control<QRadioButton>(QStringLiteral("Opt_Align_0"))->click();
        QCOMPARE(align->checkedId(), 0);
        QCOMPARE(size->checkedId(), 1);

        auto *title = f.control<QCheckBox>(QStringLiteral("Check_Title"));
        QVERIFY(title->isTristate());
        QCOMPARE(title->checkState(), Qt::PartiallyChecked);

        auto *num = f.control<QLineEdit>(QStringLiteral("Txt_Num"));
        QVERIFY(num->text().isEmpty());
        QVERIFY(!num->validator());
    }

    // Labels and frames hold tab indexes but never take the focus.
    void labelsAndFramesTakeNoFocus()
    {
        MainWindowFixture f;
        for (const taviro::ControlSpec &spec : mainFormSpec().controls) {
            if (spec.kind != ControlKind::Label && spec.kind != ControlKind::Frame)
                continue;
            QCOMPARE(f.control(objectNameOf(spec))->focusPolicy(), Qt::NoFocus);
        }
    }
};

QTEST_MAIN(TestFormLayout)
#include "test_form_layout.moc"
