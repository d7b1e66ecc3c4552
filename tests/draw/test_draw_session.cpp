// Draw rounds, the reveal and the results log, replayed with scripted
// randomness.

#include "draw_test_support.h"

#include <QDir>
#include <QTemporaryDir>

using namespace taviro;
using namespace taviro::testing;
using SK = StartResult::Kind;
Q_DECLARE_METATYPE(SK)

namespace {

const QString kHeading = QStringLiteral("摇号结果\r\n");
const QString kExhausted = QStringLiteral("都抽完了，一个不剩了！！！！！");

// The names of the log's entries; `ok` tells whether heading and numbers
// ("[1]:", tab, ...) are as they must be.
QStringList logged(const QString &log, bool &ok)
{
    QStringList lines = log.split("\r\n"), names;
    ok = lines.takeFirst() == "摇号结果" && lines.takeFirst().isEmpty();
    for (int i = 0; i < lines.size(); ++i) {
        const QString prefix = QStringLiteral("[%1]:\t").arg(i + 1);
        ok = ok && lines[i].startsWith(prefix);
        names.append(lines[i].mid(prefix.size()));
    }
    return names;
}

} // namespace

class TestDrawSession : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString bonus() const { return m_dir.filePath("bonus.txt"); }
    ScriptedRandomiser rnd;

    void ready(DrawSession &s, const QByteArray &bytes, const QVector<int> &order = {})
    {
        QVERIFY(writeBytes(bonus(), bytes));
        if (!order.isEmpty())
            rnd.arrays = {order};
        QCOMPARE(s.initialise(bonus()).kind, InitResult::Kind::Ready);
    }
    void round(DrawSession &s, const QString &count)
    {
        QCOMPARE(s.start(count).kind, SK::Rolling);
        s.stop();
        s.reveal();
    }

private slots:
    void init()
    {
        rnd = ScriptedRandomiser();
        QFile::remove(bonus());
        QDir(bonus()).removeRecursively();
    }

    // N = 5, draw order (3, 5, 1, 4, 2), positions 2 and 5 drawn, ranks (3, 1).
    void mappingExample()
    {
        DrawSession s(rnd);
        const StartResult before = s.start("");
        QVERIFY(before.kind == SK::Exhausted && before.message == kExhausted && before.countTextToWrite.isNull());
        ready(s, numberedLines(5), {3, 5, 1, 4, 2});
        rnd.arrays = {{5, 2}, {3, 1}};
        round(s, "2");
        QCOMPARE(s.roundPicks(), (QStringList{"L2", "L5"}));
        QCOMPARE(s.start("2").kind, SK::Rolling);
        QCOMPARE(rnd.calls, (QList<QPair<int, int>>{{5, 5}, {5, 2}, {3, 2}}));
        QCOMPARE(s.roundPicks(), (QStringList{"L3", "L4"}));
        QCOMPARE(s.drawnFlags(), (QVector<bool>{true, true, false, true, true}));
        QCOMPARE(s.remainingCount(), 1);
        QCOMPARE(s.stop(), "L3");
    }

    // 20 lines; 张三 (line 4) and 李四 (9) in round 1, reshuffled to 李四,
    // 张三; 王五 (15) in round 2.
    void logExample()
    {
        QByteArray bytes;
        for (int k = 1; k <= 20; ++k)
            bytes += (k == 4 ? "\xD5\xC5\xC8\xFD" : k == 9 ? "\xC0\xEE\xCB\xC4" : k == 15 ? "\xCD\xF5\xCE\xE5" : "L" + QByteArray::number(k)) + "\r\n";
        QVector<int> identity(20);
        std::iota(identity.begin(), identity.end(), 1);
        DrawSession s(rnd);
        ready(s, bytes, identity);
        rnd.arrays = {{9, 4}, {13}}; // rank 13 of the 18 left is line 15
        rnd.orders = {{2, 1}};
        QCOMPARE(s.start("2").kind, SK::Rolling);
        QCOMPARE(s.stop(), "张三");
        const RevealResult r = s.reveal();
        QCOMPARE(r.appendedLog, "\r\n[1]:\t李四\r\n[2]:\t张三");
        QCOMPARE(r.label, "张三");
        QCOMPARE(s.start("1").kind, SK::Rolling);
        QCOMPARE(s.stop(), "王五");
        QCOMPARE(s.reveal().label, "王五");
        QCOMPARE(s.log().text(), "摇号结果\r\n\r\n[1]:\t李四\r\n[2]:\t张三\r\n[3]:\t王五");
        QCOMPARE(s.roundNumber(), 4);
    }

    void sequences_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("texts"); // the count box at each start
        QTest::addColumn<QList<SK>>("kinds");
        QTest::addColumn<QList<int>>("remaining");
        QTest::newRow("10 by 3") << 10 << QStringList{"3", "3", "3", "3", "3"}
                                 << QList<SK>{SK::Rolling, SK::Rolling, SK::Rolling, SK::LastGroup, SK::Exhausted}
                                 << QList<int>{7, 4, 1, 0, 0};
        QTest::newRow("6 by 3, then 1") << 6 << QStringList{"3", "1", "1"} << QList<SK>{SK::Rolling, SK::LastGroup, SK::Exhausted}
                                        << QList<int>{3, 0, 0};
        QTest::newRow("2 by 1") << 2 << QStringList{"1", "1", "1"} << QList<SK>{SK::Rolling, SK::LastGroup, SK::Exhausted}
                                << QList<int>{1, 0, 0};
        QTest::newRow("10 at once") << 10 << QStringList{"10", "10"} << QList<SK>{SK::Rolling, SK::Exhausted} << QList<int>{0, 0};
        QTest::newRow("5 left, 8 typed, then 2") << 7 << QStringList{"1", "1", "8", "2", "2", "9"}
                                                 << QList<SK>{SK::Rolling, SK::Rolling, SK::Refused, SK::Rolling, SK::Rolling, SK::LastGroup}
                                                 << QList<int>{6, 5, 5, 3, 1, 0};
        QTest::newRow("refused first") << 3 << QStringList{"4", "", "1"} << QList<SK>{SK::Refused, SK::Rolling, SK::Rolling}
                                       << QList<int>{3, 2, 1};
    }
    void sequences()
    {
        QFETCH(int, n);
        QFETCH(QStringList, texts);
        QFETCH(QList<SK>, kinds);
        QFETCH(QList<int>, remaining);
        DrawSession s(rnd);
        ready(s, numberedLines(n));
        for (int i = 0; i < texts.size(); ++i) {
            const int left = s.remainingCount(), perRound = s.perRoundCount(), calls = rnd.calls.size();
            const QString log = s.log().text();
            const QStringList picks = s.roundPicks();
            const int count = qMax(texts[i].toInt(), 1);
            const StartResult r = s.start(texts[i]);
            QCOMPARE(r.kind, kinds[i]);
            QCOMPARE(s.remainingCount(), remaining[i]);
            QCOMPARE(int(s.drawnFlags().count(false)), remaining[i]);
            if (r.kind == SK::Rolling) {
                QCOMPARE(rnd.calls.mid(calls), (QList<QPair<int, int>>{{left, count}}));
                QCOMPARE(s.roundPicks().size(), count);
                QCOMPARE(s.stop(), s.roundPicks().first());
                const RevealResult rev = s.reveal();
                QCOMPARE(s.log().text(), log + rev.appendedLog);
                QCOMPARE(rev.label, s.roundPicks().last());
            } else {
                QCOMPARE(rnd.calls.size(), calls);
                QCOMPARE(s.log().text(), log + r.appendedLog);
                if (r.kind != SK::LastGroup)
                    QCOMPARE(r.message, r.kind == SK::Exhausted ? kExhausted : QStringLiteral("抽取的人数不能多于候选人数！[开始]"));
                QCOMPARE(int(r.message.count('|')), r.kind == SK::LastGroup ? left : 0);
            }
            if (r.kind == SK::Refused) // the refused count is not kept, nothing drawn
                QVERIFY(s.perRoundCount() == perRound && s.roundPicks() == picks && r.appendedLog.isEmpty());
        }
        bool ok = false;
        const QStringList names = logged(s.log().text(), ok);
        QVERIFY(ok);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), n - s.remainingCount()); // nobody twice
        QCOMPARE(names.size(), n - s.remainingCount());
        QCOMPARE(rnd.reshuffled.size(), kinds.count(SK::Rolling));
    }

    void countText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("parsed"); // 0: unusable, so 1 and "1" written back
        QTest::addColumn<SK>("kind");
        for (const char *bad : {"", "   ", "0", "-0", "-3", "abc", "2.5", "3x", "1 2", "32768", "-32769", "99999999999"})
            QTest::addRow("'%s'", bad) << QString(bad) << 0 << SK::Rolling;
        for (const char *good : {"3", " 3 ", " 4", "\t5\t", "007", "10"})
            QTest::addRow("'%s'", good) << QString(good) << QString(good).trimmed().toInt() << SK::Rolling;
        QTest::newRow("11 of 10") << "11" << 11 << SK::Refused;
        QTest::newRow("32767") << "32767" << 32767 << SK::Refused;
    }
    void countText()
    {
        QFETCH(QString, text);
        QFETCH(int, parsed);
        QFETCH(SK, kind);
        QCOMPARE(parseRoundCount(text), parsed);
        DrawSession s(rnd);
        ready(s, numberedLines(10));
        const StartResult r = s.start(text);
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.countTextToWrite, parsed ? QString() : QStringLiteral("1"));
        QCOMPARE(r.countTextToWrite.isNull(), parsed != 0);
        const int drawn = kind == SK::Rolling ? qMax(parsed, 1) : 0;
        QCOMPARE(s.roundPicks().size(), drawn);
        QCOMPARE(s.remainingCount(), 10 - drawn);
        QCOMPARE(s.perRoundCount(), qMax(drawn, 1));
    }

    void pendingReveal()
    {
        DrawSession s(rnd);
        ready(s, numberedLines(4));
        QCOMPARE(s.start("4").kind, SK::Rolling); // everyone: 0 left while rolling
        QCOMPARE(s.start("1").kind, SK::AlreadyRolling);
        QCOMPARE(s.stop(), "L1");
        for (const char *text : {"1", "", "9"}) {
            const StartResult r = s.start(text);
            QCOMPARE(r.kind, SK::RevealPending);
            QVERIFY(r.message.isEmpty() && r.countTextToWrite.isNull() && r.appendedLog.isEmpty());
        }
        QCOMPARE(s.roundState(), DrawSession::RoundState::RevealPending);
        QCOMPARE(s.log().text(), kHeading);
        QCOMPARE(rnd.calls.size(), 2);
        QCOMPARE(s.reveal().appendedLog, "\r\n[1]:\tL1\r\n[2]:\tL2\r\n[3]:\tL3\r\n[4]:\tL4");
        QCOMPARE(s.start("1").message, kExhausted);
    }

    void rollTicks_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("ticks1");
        QTest::addColumn<int>("ticks2"); // in a second round
        QTest::addColumn<QVector<int>>("lines");
        QTest::newRow("two samples alternate") << 2 << 5 << 0 << QVector<int>{1, 2, 1, 2, 1};
        QTest::newRow("ten wrap") << 25 << 12 << 0 << QVector<int>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 2, 4};
        QTest::newRow("carry over after sample 4") << 25 << 4 << 3 << QVector<int>{2, 4, 6, 8, 10, 12, 14};
        QTest::newRow("carry over, M = 4") << 4 << 4 << 2 << QVector<int>{1, 2, 3, 4, 1, 2};
    }
    void rollTicks()
    {
        QFETCH(int, n);
        QFETCH(int, ticks1);
        QFETCH(int, ticks2);
        QFETCH(QVector<int>, lines);
        DrawSession s(rnd);
        ready(s, numberedLines(n));
        QStringList shown, expected;
        QCOMPARE(s.start("1").kind, SK::Rolling);
        for (int i = 0; i < ticks1 + ticks2; ++i) {
            if (i == ticks1) {
                s.stop();
                s.reveal();
                QCOMPARE(s.start("1").kind, SK::Rolling);
            }
            shown.append(s.rollTick());
        }
        for (int line : lines)
            expected.append(QStringLiteral("L%1").arg(line));
        QCOMPARE(shown, expected);
    }

    // "|" before every name, draw-order position order, no reshuffle, the
    // count box not read; an empty line and blanks kept.
    void lastGroup()
    {
        DrawSession s(rnd);
        ready(s, "\xBC\xD7\r\n\xD2\xD2\r\n\xB1\xFB\r\n \xB6\xA1\t\r\n\r\n", {3, 5, 1, 4, 2}); // 甲 乙 丙 " 丁\t" ""
        rnd.arrays = {{5, 1, 3}}; // positions 5, 1, 3: lines 2, 3, 1
        rnd.orders = {{3, 1, 2}, {2, 1}};
        QCOMPARE(s.start("3").kind, SK::Rolling);
        QCOMPARE(s.stop(), "甲");
        QCOMPARE(s.reveal().label, "乙");
        const StartResult r = s.start("abc");
        QCOMPARE(r.kind, SK::LastGroup);
        QVERIFY(r.countTextToWrite.isNull());
        QCOMPARE(r.message, "仅剩最后一组候选项目，就是|| 丁\t，不足以进行一次摇号！");
        QCOMPARE(s.log().text(), kHeading + "\r\n[1]:\t丙\r\n[2]:\t甲\r\n[3]:\t乙\r\n[4]:\t\r\n[5]:\t 丁\t");
        QCOMPARE(rnd.reshuffled, QList<int>{3});
        QCOMPARE(s.start("1").kind, SK::Exhausted);
    }

    // Whatever becomes of bonus.txt after initialise, the draw goes on from
    // the list as it was then, and nobody is drawn twice.
    void listChangedAfterInitialise_data()
    {
        QTest::addColumn<QByteArray>("now"); // new content; "-" removed, "/" a folder
        QTest::newRow("edited") << numberedLines(10, "X");
        QTest::newRow("shortened") << numberedLines(2, "X");
        QTest::newRow("lengthened") << numberedLines(30, "X");
        QTest::newRow("emptied") << QByteArray();
        QTest::newRow("removed") << QByteArray("-");
        QTest::newRow("folder") << QByteArray("/");
    }
    void listChangedAfterInitialise()
    {
        QFETCH(QByteArray, now);
        DrawSession s(rnd);
        ready(s, numberedLines(10), {4, 9, 1, 10, 7, 2, 6, 3, 8, 5});
        round(s, "3");
        QVERIFY(now.size() == 1 ? QFile::remove(bonus()) && (now == "-" || QDir().mkdir(bonus())) : writeBytes(bonus(), now));
        rnd.arrays = {{1, 7, 4}, {2, 4, 1}};
        round(s, "3");
        round(s, "3");
        QCOMPARE(s.start("3").kind, SK::LastGroup);
        bool ok = false;
        QStringList names = logged(s.log().text(), ok), all = numberedNames(10);
        std::sort(names.begin(), names.end());
        std::sort(all.begin(), all.end());
        QVERIFY(ok);
        QCOMPARE(names, all);
    }
};

QTEST_GUILESS_MAIN(TestDrawSession)
#include "test_draw_session.moc"
