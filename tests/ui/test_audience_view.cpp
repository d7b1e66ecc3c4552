// The big screen on two offscreen screens (a laptop and a projector) or on one (ui_audience_one_screen): where it
// opens, which keys it takes, what it shows and that no winner is ever cut. The screens are the CMake file's.

#include "main_window_fixture.h"

#include "ui/audience_view.h"

#include <QAccessible>
#include <QCryptographicHash>
#include <QScreen>
#include <QScrollBar>

using namespace taviro;

namespace {

QStringList workbookRows(int count) // 工号, 姓名, 部门, 入职日期: four cells, some long
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << QStringLiteral("%1\t%2\t%3\t20%4/1/2")
                    .arg(3000 + i, 6, 10, QLatin1Char('0'))
                    .arg(i % 3 ? QStringLiteral("蔡明") : QStringLiteral("欧阳崔华飞"))
                    .arg(i % 2 ? QStringLiteral("行政部") : QStringLiteral("市场营销与客户服务部"))
                    .arg(i % 24, 2, 10, QLatin1Char('0'));
    return rows;
}

QString accessibleName(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// Everything the hall reads must show whole: each line within its card and the card within the screen.
void verifyWhole(const AudienceView &view, AudienceText *text)
{
    const QFontMetricsF metrics(text->drawnFont());
    QVERIFY(view.rect().contains(text->geometry()));
    QVERIFY2(metrics.height() * text->lines().size() <= text->height(), qPrintable(text->lines().join('|')));
    for (const QString &line : text->lines())
        QVERIFY2(metrics.horizontalAdvance(line) <= text->width(), qPrintable(line));
}

} // namespace

class TestAudienceView : public QObject
{
    Q_OBJECT

    QScreen *projector() const { return QGuiApplication::screens().constLast(); }

private slots:
    // A round of 1, 10 and 100, workbook rows, rare names, a last group of 4500: every winner once, in order, whole,
    // at a readable size and as large as the count allows; pages only where one screen cannot hold them readably.
    void winnersShowWhole_data()
    {
        QTest::addColumn<QStringList>("winners");
        QTest::addColumn<int>("pages"); // how many at least; 1: exactly one
        QTest::addColumn<int>("largest"); // the text is at least a 1/largest of the screen's height
        QTest::newRow("one") << QStringList{"蒋俊杰"} << 1 << 4;
        QTest::newRow("ten") << numberedNames(10) << 1 << 12;
        QTest::newRow("a hundred") << numberedNames(100) << 1 << 30;
        QTest::newRow("one workbook row") << workbookRows(1) << 1 << 12;
        QTest::newRow("ten workbook rows") << workbookRows(10) << 1 << 30;
        QTest::newRow("a hundred workbook rows") << workbookRows(100) << 2 << 30;
        QTest::newRow("rare names and blanks") << QStringList{"刘䶮", "𠮷田", "  王 小二  ", "李堃喆"} << 1 << 12;
        QTest::newRow("a last group of 4500") << numberedNames(4500) << 10 << 30;
    }
    void winnersShowWhole()
    {
        QFETCH(QStringList, winners);
        QFETCH(int, pages);
        QFETCH(int, largest);
        AudienceView view;
        view.setLook(QFont("WenQuanYi Micro Hei", 42, QFont::Bold), Qt::red, Qt::cyan);
        view.openOn(projector(), false);
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.showWinners(winners);
        QVERIFY(pages == 1 ? view.pageCount() == 1 : view.pageCount() >= pages);
        QStringList shown;
        for (int page = 0; page < view.pageCount(); ++page) {
            QCOMPARE(view.page(), page);
            const QList<AudienceText *> cards = view.shownCards();
            for (AudienceText *card : cards) {
                verifyWhole(view, card);
                QVERIFY(card->drawnFont().pixelSize() >= view.height() / largest);
                for (AudienceText *other : cards)
                    QVERIFY(other == card || !other->geometry().intersects(card->geometry()));
                shown << accessibleName(card);
            }
            QTest::keyClick(&view, Qt::Key_Right);
        }
        QCOMPARE(view.page(), 0); // the last page turns to the first
        QCOMPARE(shown, winners.replaceInStrings("\t", "  "));
    }

    // F5 opens the view full-screen on the projector and leaves the keys to the operator's window, whose Enter draws;
    // the prize, the winners and the proof follow the draw, in the roll area's colours; F5 closes it.
    void projectorFollowsTheDraw()
    {
        MainWindowFixture f;
        const QByteArray list = "甲\r\n乙\r\n丙\r\n丁\r\n戊\r\n";
        QVERIFY(writeAll(f.folder.filePath("bonus.txt"), list));
        QVERIFY(writeAll(f.folder.filePath("奖项.txt"), "三等奖 2\r\n一等奖 1\r\n"));
        QTest::mouseClick(f.button("Cmd_Init"), Qt::LeftButton);
        MainWindowFixture::press(Qt::Key_F5);
        AudienceView &view = f.window->audienceView();
        QVERIFY(view.isVisible() && view.isFullScreen());
        QCOMPARE(view.screen(), projector());
        QCOMPARE(view.geometry(), projector()->geometry());
        QCOMPARE(QApplication::activeWindow(), f.window.get());
        QCOMPARE(accessibleName(view.prizeText()), "三等奖  还需2名");
        const QString fingerprint = QCryptographicHash::hash(list, QCryptographicHash::Sha256).left(8).toHex();
        const QRegularExpression proof("^名单指纹 " + fingerprint.left(4) + ' ' + fingerprint.mid(4, 4) + ' '
                                       + fingerprint.mid(8, 4) + ' ' + fingerprint.mid(12)
                                       + "    系统种子SHA-256 [0-9a-f]{4}( [0-9a-f]{4}){3}  已抽出 2 / 共 5$");

        MainWindowFixture::press(Qt::Key_Return);
        MainWindowFixture::press(Qt::Key_Return);
        f.waitForReveal();
        QStringList winners;
        for (AudienceText *card : view.shownCards())
            winners << accessibleName(card);
        QCOMPARE(winners, f.session().rounds().constLast().winners);
        QCOMPARE(accessibleName(view.prizeText()), "三等奖");
        QVERIFY2(proof.match(accessibleName(view.footerText())).hasMatch(),
                 qPrintable(accessibleName(view.footerText())));
        verifyWhole(view, view.footerText());
        MainWindowFixture::press(Qt::Key_Return);
        QCOMPARE(accessibleName(view.prizeText()), "一等奖  还需1名");
        QCOMPARE(view.shownCards().size(), 0); // the names roll

        f.control<QScrollBar>("HScroll_Color_Roll")->setValue(9);
        QCOMPARE(view.palette().color(QPalette::WindowText), QColor(0x0000FF));
        MainWindowFixture::press(Qt::Key_F5);
        QVERIFY(!view.isVisible());
    }

    // With one screen the view covers it and takes the keys: Enter draws one round however long it is held, Esc gives
    // the main window back.
    void coversTheScreenAndTakesTheKeys()
    {
        if (QGuiApplication::screens().size() > 1)
            QSKIP("ui_audience_one_screen runs it on one screen");
        MainWindowFixture f;
        f.initialise(numberedNames(20));
        MainWindowFixture::press(Qt::Key_F5);
        AudienceView &view = f.window->audienceView();
        QCOMPARE(view.geometry(), QGuiApplication::primaryScreen()->geometry());
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QTest::keyClick(&view, Qt::Key_Return);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
        QApplication::sendEvent(&view, &held);
        QTest::keyClick(&view, Qt::Key_Return);
        QTest::keyClick(&view, 'i', Qt::AltModifier); // the access keys are the main window's
        f.waitForReveal();
        QCOMPARE(f.session().rounds().size(), 1);
        QCOMPARE(view.shownCards().size(), 1);
        QTest::keyClick(&view, Qt::Key_Escape);
        QVERIFY(!view.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    }
};

QTEST_MAIN(TestAudienceView)
#include "test_audience_view.moc"
