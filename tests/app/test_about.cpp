// The About window: its contents, and the main window's keys while it is open.

#include "../ui/ui_test_support.h"

#include "app/frm_about.h"
#include "ui/twips.h"

#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringEncoder>
#include <QTextBlock>
#include <QTimer>

#include <functional>

using taviro::DrawSession;
using taviro::FrmAbout;

namespace {

// Runs `look` on the About window once it is open, then closes it.
void whileAboutIsOpen(const std::function<void(FrmAbout *)> &look)
{
    QTimer::singleShot(0, [look] {
        auto *about = qobject_cast<FrmAbout *>(QApplication::activeModalWidget());
        QVERIFY(about);
        look(about);
        about->close();
    });
}

QRect inTwips(const QRect &pixels)
{
    return QRect(taviro::pixelsToTwips(pixels.x()), taviro::pixelsToTwips(pixels.y()),
                 taviro::pixelsToTwips(pixels.width()), taviro::pixelsToTwips(pixels.height()));
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void usageNotes()
    {
        const QString notes = taviro::usageNotes();
        QStringEncoder gbk("GBK");
        QVERIFY(gbk.isValid());
        const QByteArray bytes = gbk.encode(notes);
        QVERIFY(!gbk.hasError());
        QCOMPARE(bytes.size(), 521);

        QVERIFY(notes.endsWith(QStringLiteral("\r\n")));
        const QStringList lines = notes.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 11);
        QVERIFY(lines.last().isEmpty());
        QVERIFY(!notes.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
        QCOMPARE(lines[0], QStringLiteral("★本摇号软件绿色免费。"));
        QVERIFY(lines[1].contains(QStringLiteral("摇号(抽奖)")));          // ASCII parentheses
        QVERIFY(lines[3].contains(QStringLiteral("（默认是1个）")));       // full-width ones
        QVERIFY(lines[3].endsWith(QStringLiteral("空格键")));
        QCOMPARE(lines[4], QStringLiteral("★进行摇号开始或停止。"));
        QVERIFY(lines[6].contains(QStringLiteral("“V”“H”")));
        QCOMPARE(lines[8], QStringLiteral("--------------"));
        QCOMPARE(lines[9], QStringLiteral("★请关注我的博客上最新版本下载信息。"));
    }

    void contents()
    {
        FrmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));

        QCOMPARE(about.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(inTwips(QRect(QPoint(), about.size())), QRect(0, 0, 4680, 2910));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(about.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

        auto *version = about.findChild<QLabel *>(QStringLiteral("LblVer"));
        QCOMPARE(version->text(), QStringLiteral("Taviro V1.0.2-最简单摇号软件"));
        QCOMPARE(version->textFormat(), Qt::PlainText);
        QCOMPARE(version->alignment(), Qt::AlignCenter);
        QCOMPARE(version->font().pointSizeF(), 14.25);
        QVERIFY(version->font().bold());
        QCOMPARE(version->palette().color(QPalette::WindowText), about.palette().color(QPalette::Highlight));
        QVERIFY(QFontMetrics(version->font()).inFontUcs4(0x6447));

        auto *contact = about.findChild<QLabel *>(QStringLiteral("Label2"));
        QVERIFY(!contact->text().isEmpty());
        QCOMPARE(contact->font().pointSizeF(), 9.0);
        QVERIFY(contact->font().bold());
        QCOMPARE(contact->palette().color(QPalette::WindowText), QColor(0xC0, 0x00, 0x00));
        QVERIFY(contact->alignment() & Qt::AlignLeft);
        // Its text fits the label's two lines.
        QVERIFY(contact->heightForWidth(contact->width()) <= contact->height());

        auto *help = about.findChild<QPlainTextEdit *>(QStringLiteral("Txt_Help"));
        QCOMPARE(help->toPlainText(), taviro::toDisplayText(taviro::usageNotes()));
        QCOMPARE(help->palette().color(QPalette::Text), QColor(0x00, 0x00, 0xFF));
        QVERIFY(help->isReadOnly());
        QCOMPARE(help->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(help->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(QApplication::focusWidget(), help);
        QCOMPARE(about.focusWidget(), help);

        // Typing changes nothing.
        QTest::keyClick(help, Qt::Key_A);
        QTest::keyClick(help, Qt::Key_Delete);
        QCOMPARE(help->toPlainText(), taviro::toDisplayText(taviro::usageNotes()));

        // Long lines wrap at the box's width, and the scroll bar reaches the last line.
        QVERIFY(help->document()->findBlockByNumber(1).layout()->lineCount() > 1);
        help->verticalScrollBar()->setValue(help->verticalScrollBar()->maximum());
        QTest::qWait(0);
        const QTextBlock last = help->document()->findBlockByNumber(9);
        QCOMPARE(last.text(), QStringLiteral("★请关注我的博客上最新版本下载信息。"));
        QVERIFY(help->viewport()->rect().contains(help->cursorRect(QTextCursor(last)).center()));

        for (const taviro::ControlSpec &spec : taviro::aboutFormSpec().controls) {
            QWidget *w = about.findChild<QWidget *>(QString::fromLatin1(spec.name));
            QCOMPARE(inTwips(w->geometry()), QRect(spec.left, spec.top, spec.width, spec.height));
        }
    }

    void opensModallyAndAnewEachTime()
    {
        MainWindowFixture f;
        taviro::connectAboutWindow(*f.window);
        QVERIFY(f.show());
        auto *aboutButton = f.control<QPushButton>(QStringLiteral("CmdAbout"));

        QPointer<FrmAbout> first;
        QString firstVersion;
        whileAboutIsOpen([&](FrmAbout *about) {
            first = about;
            firstVersion = about->findChild<QLabel *>(QStringLiteral("LblVer"))->text();
            QVERIFY(about->isModal());
            QCOMPARE(about->parentWidget(), f.window.get());
        });
        aboutButton->click();
        QVERIFY(first.isNull()); // destroyed on closing
        QCOMPARE(firstVersion, QStringLiteral("Taviro V1.0.2-最简单摇号软件"));

        QString secondVersion;
        whileAboutIsOpen([&](FrmAbout *about) {
            secondVersion = about->findChild<QLabel *>(QStringLiteral("LblVer"))->text();
        });
        aboutButton->click();
        QCOMPARE(secondVersion, firstVersion);
    }

    // Enter and Space typed while the About window is open stay with it.
    void keysWhileOpenDoNotReachTheDraw_data()
    {
        QTest::addColumn<bool>("rolling");
        QTest::newRow("before initialising") << false;
        QTest::newRow("while a round rolls") << true;
    }

    void keysWhileOpenDoNotReachTheDraw()
    {
        QFETCH(bool, rolling);
        MainWindowFixture f;
        taviro::connectAboutWindow(*f.window);
        QVERIFY(f.show());
        const DrawSession::RoundState before =
            rolling ? DrawSession::RoundState::Rolling : DrawSession::RoundState::NotInitialised;
        if (rolling) {
            f.writeCandidates(numberedNames(5));
            f.control<QPushButton>(QStringLiteral("Cmd_Init"))->click();
            f.control<QPushButton>(QStringLiteral("Cmd_Start"))->click();
        }
        QCOMPARE(f.session().roundState(), before);

        auto *timer1 = f.window->findChild<QTimer *>(QStringLiteral("Timer1"));
        bool stillRolling = false;
        whileAboutIsOpen([&](FrmAbout *about) {
            QWidget *help = about->findChild<QWidget *>(QStringLiteral("Txt_Help"));
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter, Qt::Key_Space})
                QTest::keyClick(help, key);
            // Even a key sent to the main window's own controls meanwhile.
            QTest::keyClick(f.control(QStringLiteral("Txt_Results")), Qt::Key_Return);
            stillRolling = timer1->isActive();
        });
        f.control<QPushButton>(QStringLiteral("CmdAbout"))->click();

        QCOMPARE(stillRolling, rolling);
        QCOMPARE(f.session().roundState(), before);
        QVERIFY(f.boxes.shown.isEmpty());

        // Once it is closed, the keys work again.
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.control(QStringLiteral("Txt_Results"))->setFocus();
        f.press(Qt::Key_Return);
        if (rolling)
            QCOMPARE(f.session().roundState(), DrawSession::RoundState::RevealPending);
        else
            QCOMPARE(f.boxes.shown.size(), 1);
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
