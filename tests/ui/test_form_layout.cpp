// The main window as laid out: a sample of controls in twips against what Qt shows.

#include "ui_test_support.h"

#include "ui/twips.h"

#include <QLabel>

static QRect inTwips(const QRect &r)
{
    return QRect(r.topLeft() * taviro::kTwipsPerPixel, r.size() * taviro::kTwipsPerPixel);
}

class TestFormLayout : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        QVERIFY(f->show());
    }

    void cleanup() { f.reset(); }

    // Halves round up, so a rectangle keeps its width wherever it starts.
    void twipsToPixels()
    {
        QCOMPARE(taviro::twipsToPixels(7.5, 0, 15, 15), QRect(1, 0, 1, 1));
        QCOMPARE(taviro::twipsToPixels(-3367.5, 0, 13470, 15), QRect(-224, 0, 898, 1));
    }

    // Position and size in twips, container and caption, as Qt shows them.
    void sampleOfControls_data()
    {
        QTest::addColumn<QString>("container"); // the row's name is the control's
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Cmd_Start") << "Frame_Oper" << QRect(1440, 240, 855, 615) << "开始&G";
        QTest::newRow("Txt_Num") << "Frame_Oper" << QRect(2280, 240, 375, 270) << "";
        QTest::newRow("Cmd_Size_H") << "FrmMain" << QRect(6960, 4200, 135, 180) << "&H";
        QTest::newRow("Shape1") << "FrmMain" << QRect(120, 240, 6975, 1095) << "";
        QTest::newRow("Lbl_Roll") << "Pic_Roll" << QRect(-1440, 0, 9735, 855) << "摇号";
        QTest::newRow("Frame_Settings") << "FrmMain" << QRect(7200, 120, 2535, 5295) << "设置";
        QTest::newRow("Frame1") << "Frame_Roll" << QRect(120, 1200, 1335, 735) << "滚动区缩放";
        QTest::newRow("Opt_Size_1") << "Frame1" << QRect(120, 480, 1095, 180) << "二倍宽度";
        QTest::newRow("List_Fonts_Results") << "Frame_Results" << QRect(480, 1200, 1335, 240) << "";
        QTest::newRow("CmdAbout") << "Frame_Settings" << QRect(2160, 4440, 255, 735) << "关\n于";
        QTest::newRow("Label5") << "Frame_Results" << QRect(120, 840, 540, 180) << "背景色";
    }

    void sampleOfControls()
    {
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        QFETCH(QString, caption);
        QWidget *w = f->control(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget()->objectName(), container);
        QCOMPARE(inTwips(w->geometry()), twips);
        QCOMPARE(w->property(w->inherits("QGroupBox") ? "title" : "text").toString(), caption);
    }

    // The 7140 x 5505 client area, what lies beyond or is clipped, and what
    // is on top; Shape1 paints a blue band round Pic_Roll.
    void visibleParts()
    {
        QCOMPARE(inTwips(f->window->rect()), QRect(0, 0, 7140, 5505));
        QVERIFY(!(f->window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(f->control(QStringLiteral("Frame_Settings"))->visibleRegion().isEmpty());
        QCOMPARE(inTwips(f->control(QStringLiteral("Lbl_Roll"))->visibleRegion().boundingRect()),
                 QRect(1440, 0, 6735, 855));
        for (const char *name : {"Cmd_Size_H", "Cmd_Size_V"}) { // over the results box
            QWidget *button = f->control(QLatin1String(name));
            QCOMPARE(f->window->childAt(button->geometry().center()), button);
        }
        for (const char *name : {"Label7", "Label8"}) { // stacked at the font's line height, nothing over them
            QWidget *label = f->control(QLatin1String(name));
            const int lines = label->property("text").toString().count(QLatin1Char('\n')) + 1;
            QVERIFY2(label->height() >= lines * label->fontMetrics().height(), name);
            for (QWidget *other : label->parentWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(qobject_cast<QLabel *>(other) || !other->geometry().intersects(label->geometry()), name);
        }
        const QImage image = f->window->grab().toImage();
        const QRect pic = f->control(QStringLiteral("Pic_Roll"))->geometry();
        QCOMPARE(image.pixelColor(pic.left() - 8, pic.center().y()), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(pic.left() - 9, pic.center().y()), QColor(Qt::red));
    }

    // Tab as a user presses it: an option group is one stop, its chosen
    // member; scroll bars and lists are stops, labels and frames are not.
    void tabOrder()
    {
        f->initialise(numberedNames(2)); // Start enabled, Init disabled
        f->control(QStringLiteral("Txt_Results"))->setFocus();
        const QStringList stops = {
            "Txt_Results", "Pic_Roll", "Txt_Num", "Cmd_Exit", "Cmd_Save", "Cmd_Start", "Opt_Align_2", "Opt_Size_1",
            "List_FontSize_Roll", "List_FontSize_Results", "List_Fonts_Roll", "List_Fonts_Results",
            "HScroll_Color_Results", "HScroll_Color_Results_Back", "HScroll_Color_Roll_Back", "HScroll_Color_Roll",
            "VScroll_Color_Frame", "Cmd_Print", "CmdAbout", "Cmd_Size_V", "Cmd_Size_H", "Check_Title", "Txt_Results"};
        for (int i = 1; i < stops.size(); ++i) {
            f->press(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), stops[i]);
        }
    }
};

QTEST_MAIN(TestFormLayout)
#include "test_form_layout.moc"
