// The About window opened from the main window: its contents, and the main
// window's keys while it is open.

#include "../ui/support.h"

#include "app/frm_about.h"
#include "ui/twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

using taviro::FrmAbout;

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void keysWhileOpen_data()
    {
        QTest::addColumn<bool>("rolling");
        QTest::newRow("before initialising") << false;
        QTest::newRow("while a round rolls") << true;
    }

    // CmdAbout opens a new modal About window each time; Enter and Space
    // typed meanwhile stay with it, whether a round rolls or not.
    void keysWhileOpen()
    {
        QFETCH(bool, rolling);
        MainWindowFixture f;
        taviro::connectAboutWindow(*f.window);
        if (rolling) {
            f.initialise(numberedNames(5));
            f.button("Cmd_Start")->click();
        }
        const auto before = f.session().roundState();
        QList<QPointer<FrmAbout>> opened;
        for (int time = 0; time < 2; ++time) {
            QTimer::singleShot(0, [&] {
                auto *about = qobject_cast<FrmAbout *>(QApplication::activeModalWidget());
                QVERIFY(about && about->parentWidget() == f.window.get() && QTest::qWaitForWindowActive(about));
                opened.append(about);
                QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
                QCOMPARE(about->size() * taviro::kTwipsPerPixel, QSize(4680, 2910));
                QCOMPARE(about->findChild<QLabel *>("LblVer")->text(), QStringLiteral("Taviro V1.0.2-最简单摇号软件"));
                auto *help = about->findChild<QPlainTextEdit *>(QStringLiteral("Txt_Help"));
                QTRY_COMPARE(QApplication::focusWidget(), help);
                for (Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter}) // and it cannot be edited
                    QTest::keyClick(help, key);
                QCOMPARE(help->toPlainText(), taviro::toDisplayText(taviro::usageNotes()));
                QCOMPARE(taviro::usageNotes().count("\r\n"), 10);
                QVERIFY(help->document()->findBlockByNumber(1).layout()->lineCount() > 1); // long lines wrap
                QTest::keyClick(f.control(QStringLiteral("Txt_Results")), Qt::Key_Space);
                about->close();
            });
            f.button("CmdAbout")->click();
        }
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0].isNull() && opened[1].isNull()); // each destroyed on closing
        QCOMPARE(f.session().roundState(), before);
        QVERIFY(f.boxes.shown.isEmpty());
        f.window->activateWindow(); // closed, the keys work again
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.control(QStringLiteral("Txt_Results"))->setFocus();
        f.press(Qt::Key_Return);
        QCOMPARE(f.session().roundState() != before, rolling);
        QCOMPARE(f.boxes.shown.size(), rolling ? 0 : 1);
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
