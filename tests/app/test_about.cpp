// The About window opened from the main window: its contents, and the main
// window's keys while it is open.

#include "../ui/ui_test_support.h"

#include "app/frm_about.h"
#include "ui/twips.h"

#include <QIcon>
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

    static void checkContents(FrmAbout *about)
    {
        QVERIFY(QTest::qWaitForWindowActive(about));
        QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
        QCOMPARE(about->size() * taviro::kTwipsPerPixel, QSize(4680, 2910));
        QCOMPARE(about->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(about->windowIcon().isNull()); // not the main window's
        auto *version = about->findChild<QLabel *>(QStringLiteral("LblVer"));
        QCOMPARE(version->text(), QStringLiteral("Taviro V1.0.2-最简单摇号软件"));
        QCOMPARE(version->palette().color(QPalette::WindowText), about->palette().color(QPalette::Highlight));
        auto *contact = about->findChild<QLabel *>(QStringLiteral("Label2"));
        QVERIFY(!contact->text().isEmpty());
        QVERIFY(contact->heightForWidth(contact->width()) <= contact->height()); // fits its two lines

        const QString notes = taviro::usageNotes();
        QCOMPARE(QByteArray(QStringEncoder("GBK").encode(notes)).size(), 521);
        const QStringList lines = notes.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 11); // ten lines, each ended by CR LF
        QVERIFY(lines.last().isEmpty() && notes.count(QLatin1Char('\n')) == 10);
        auto *help = about->findChild<QPlainTextEdit *>(QStringLiteral("Txt_Help"));
        QTRY_COMPARE(QApplication::focusWidget(), help);
        QTest::keyClick(help, Qt::Key_A); // cannot be edited
        QCOMPARE(help->toPlainText(), taviro::toDisplayText(notes));
        QVERIFY(help->document()->findBlockByNumber(1).layout()->lineCount() > 1); // long lines wrap
    }

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
        f.window->setWindowIcon(QPixmap(48, 48)); // as the program gives it one
        taviro::connectAboutWindow(*f.window);
        QVERIFY(f.show());
        if (rolling) {
            f.initialise(numberedNames(5));
            f.button("Cmd_Start")->click();
        }
        const auto before = f.session().roundState();

        QList<QPointer<FrmAbout>> opened;
        for (int time = 0; time < 2; ++time) {
            QTimer::singleShot(0, [&] {
                auto *about = qobject_cast<FrmAbout *>(QApplication::activeModalWidget());
                QVERIFY(about && about->parentWidget() == f.window.get());
                opened.append(about);
                checkContents(about);
                for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter})
                    QTest::keyClick(about->findChild<QWidget *>(QStringLiteral("Txt_Help")), key);
                QTest::keyClick(f.control(QStringLiteral("Txt_Results")), Qt::Key_Space);
                about->close();
            });
            f.button("CmdAbout")->click();
        }
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0].isNull() && opened[1].isNull()); // each destroyed on closing
        QCOMPARE(f.session().roundState(), before);
        QVERIFY(f.boxes.shown.isEmpty());

        // Closed, the keys work again.
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.control(QStringLiteral("Txt_Results"))->setFocus();
        f.press(Qt::Key_Return);
        QCOMPARE(f.session().roundState() != before, rolling);
        QCOMPARE(f.boxes.shown.size(), rolling ? 0 : 1);
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
