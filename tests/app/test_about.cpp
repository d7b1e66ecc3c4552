// The version record, the About window, and the main window's keys while it is open.

#include "../ui/ui_test_support.h"

#include "app/frm_about.h"
#include "app/version.h"
#include "ui/twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

using taviro::FrmAbout;
using State = taviro::DrawSession::RoundState;

class TestAbout : public QObject
{
    Q_OBJECT

    // Runs `look` on the About window once it is open, then closes it.
    template <typename Look>
    static void whileOpen(Look look)
    {
        QTimer::singleShot(0, [look] {
            auto *about = qobject_cast<FrmAbout *>(QApplication::activeModalWidget());
            QVERIFY(about);
            look(about);
            about->close();
        });
    }

private slots:
    // Plain decimal numbers: no sign, no leading zeros, no padding.
    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("line");
        QTest::newRow("this program") << 1 << 2 << QStringLiteral("Taviro V1.0.2     -  最简单摇号软件")
                                      << QStringLiteral("Taviro V1.0.2-最简单摇号软件");
        QTest::newRow("wide numbers") << 32767 << 10 << QStringLiteral("Taviro V32767.0.10     -  最简单摇号软件")
                                      << QStringLiteral("Taviro V32767.0.10-最简单摇号软件");
    }

    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, revision);
        QFETCH(QString, title);
        QFETCH(QString, line);
        taviro::VersionRecord v = taviro::kVersion;
        v.major = qint16(major);
        v.revision = qint16(revision);
        QCOMPARE(taviro::mainWindowTitle(v), title);
        QCOMPARE(taviro::aboutVersionLine(v), line);
    }

    void usageNotes()
    {
        const QString notes = taviro::usageNotes();
        QStringEncoder gbk("GBK");
        QCOMPARE(QByteArray(gbk.encode(notes)).size(), 521);
        const QStringList lines = notes.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 11); // ten lines, each ended by CR LF
        QVERIFY(lines.last().isEmpty() && notes.count(QLatin1Char('\n')) == 10);
        QVERIFY(lines[1].contains(QStringLiteral("(抽奖)")) && lines[3].contains(QStringLiteral("（默认是1个）")));
        QVERIFY(lines[3].endsWith(QStringLiteral("空格键")) && lines[6].contains(QStringLiteral("“V”“H”")));
        QCOMPARE(lines[8], QStringLiteral("--------------"));
    }

    void contents()
    {
        FrmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(about.size() * taviro::kTwipsPerPixel, QSize(4680, 2910));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(about.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        for (const taviro::ControlSpec &spec : taviro::aboutFormSpec().controls)
            QCOMPARE(about.findChild<QWidget *>(QLatin1String(spec.name))->geometry(),
                     taviro::twipsToPixels(spec.left, spec.top, spec.width, spec.height));

        auto *version = about.findChild<QLabel *>(QStringLiteral("LblVer"));
        QCOMPARE(version->text(), QStringLiteral("Taviro V1.0.2-最简单摇号软件"));
        QCOMPARE(version->font().pointSizeF(), 14.25);
        QVERIFY(version->font().bold() && QFontMetrics(version->font()).inFontUcs4(0x6447));
        QCOMPARE(version->palette().color(QPalette::WindowText), about.palette().color(QPalette::Highlight));
        QCOMPARE(version->alignment(), Qt::AlignCenter);

        auto *contact = about.findChild<QLabel *>(QStringLiteral("Label2"));
        QVERIFY(!contact->text().isEmpty());
        QVERIFY(contact->heightForWidth(contact->width()) <= contact->height()); // fits its two lines
        QCOMPARE(contact->palette().color(QPalette::WindowText), QColor(0xC0, 0x00, 0x00));

        auto *help = about.findChild<QPlainTextEdit *>(QStringLiteral("Txt_Help"));
        QCOMPARE(QApplication::focusWidget(), help);
        QCOMPARE(help->palette().color(QPalette::Text), QColor(0x00, 0x00, 0xFF));
        QTest::keyClick(help, Qt::Key_A); // cannot be edited
        QCOMPARE(help->toPlainText(), taviro::toDisplayText(taviro::usageNotes()));
        // Long lines wrap at the box's width, and the scroll bar reaches the last line.
        QCOMPARE(help->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(help->document()->findBlockByNumber(1).layout()->lineCount() > 1);
        help->verticalScrollBar()->setValue(help->verticalScrollBar()->maximum());
        QVERIFY(help->viewport()->rect().contains(
            help->cursorRect(QTextCursor(help->document()->findBlockByNumber(9))).center()));
    }

    // CmdAbout opens a new, modal About window each time; Enter and Space
    // typed meanwhile stay with it, whether a round rolls or not.
    void openedFromTheMainWindow_data()
    {
        QTest::addColumn<bool>("rolling");
        QTest::newRow("before initialising") << false;
        QTest::newRow("while a round rolls") << true;
    }

    void openedFromTheMainWindow()
    {
        QFETCH(bool, rolling);
        MainWindowFixture f;
        taviro::connectAboutWindow(*f.window);
        QVERIFY(f.show());
        if (rolling) {
            f.writeBonus(candidateBytes(numberedNames(5)));
            f.control<QPushButton>(QStringLiteral("Cmd_Init"))->click();
            f.control<QPushButton>(QStringLiteral("Cmd_Start"))->click();
        }
        const State before = f.session().roundState();
        auto *timer1 = f.window->findChild<QTimer *>(QStringLiteral("Timer1"));

        QPointer<FrmAbout> first;
        bool rollingWhileOpen = false;
        whileOpen([&](FrmAbout *about) {
            first = about;
            QVERIFY(about->isModal());
            QCOMPARE(about->parentWidget(), f.window.get());
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter})
                QTest::keyClick(about->findChild<QWidget *>(QStringLiteral("Txt_Help")), key);
            QTest::keyClick(f.control(QStringLiteral("Txt_Results")), Qt::Key_Space);
            rollingWhileOpen = timer1->isActive();
        });
        f.control<QPushButton>(QStringLiteral("CmdAbout"))->click();
        QVERIFY(first.isNull()); // destroyed on closing
        QCOMPARE(rollingWhileOpen, rolling);
        QCOMPARE(f.session().roundState(), before);
        QVERIFY(f.boxes.shown.isEmpty());

        QString again;
        whileOpen([&](FrmAbout *about) { again = about->findChild<QLabel *>(QStringLiteral("LblVer"))->text(); });
        f.control<QPushButton>(QStringLiteral("CmdAbout"))->click();
        QCOMPARE(again, QStringLiteral("Taviro V1.0.2-最简单摇号软件"));

        // Closed, the keys work again.
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.control(QStringLiteral("Txt_Results"))->setFocus();
        f.press(Qt::Key_Return);
        QCOMPARE(f.session().roundState(), rolling ? State::RevealPending : before);
        QCOMPARE(f.boxes.shown.size(), rolling ? 0 : 1);
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
