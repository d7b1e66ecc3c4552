// The draw engine: lines left out, rounds, the roll, fairness, replay (the generator: test_verify's worked example).
#include "lists/candidate_list.h"
#include "draw/draw_random.h"
#include "draw/draw_replay.h"
#include "draw/seeded_randomiser.h"
#include "doubles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace taviro;
using Kind = InitResult::Kind;
using SK = StartResult::Kind;

const DrawSeed kSeed = DrawSeed::publicText("0");

// Starts with the count box's texts (split at "|") and their outcomes; the candidates left, the winners as logged,
// the draw order and each round's ranks.
struct Rounds
{
    QString texts;
    QList<StartResult::Kind> kinds;
    QList<int> left;
    QString winners = {};
    QList<QVector<int>> arrays = {};
};
Q_DECLARE_METATYPE(Rounds)

class TestDraw : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString bonus() const { return m_dir.filePath("bonus.txt"); }
    bool write(const QByteArray &bytes) const { return writeAll(bonus(), bytes); }

private slots:
    void init() { QFile::remove(bonus()) || QDir().rmdir(bonus()); }
    // A heading and blank lines left out change nothing else: the draw is that of a list without them (the worked
    // example); kept, they are candidates like any other. Answers about other lines than the list's are refused.
    void leftOut()
    {
        const QString csv = m_dir.filePath("bonus.csv");
        QVERIFY(write(numberedLines(10))
                && writeAll(csv, "姓名\r\n" + numberedLines(10).replace("L3\r\n", "L3\r\n\r\n \r\n")));
        const auto draw = [](const QString &path, const std::optional<ListChoices> &choices) {
            SeededRandomiser randomiser;
            DrawSession s(randomiser);
            const InitResult r = s.initialise(path, DrawSeed::publicText("07 23 41"), {}, choices);
            drawRounds(s, {"3", "4", "1"});
            return std::make_tuple(r.kind, r.count, s.lineNumbers(), s.heading(), s.log().text());
        };
        using Heading = ListChoices::Heading;
        const auto [kind, count, lines, heading, log] = draw(csv, ListChoices{Heading::LeftOut, {5, 6}, true});
        QCOMPARE(count, 10);
        QCOMPARE(lines, (QVector<int>{2, 3, 4, 7, 8, 9, 10, 11, 12, 13}));
        QCOMPARE(heading, QStringList{"姓名"});
        QCOMPARE(log, std::get<4>(draw(bonus(), std::nullopt)));
        const auto kept = draw(csv, ListChoices{Heading::TakesPart, {5, 6}, false}); // no heading then
        QCOMPARE(std::make_pair(std::get<1>(kept), std::get<3>(kept)), std::make_pair(13, QStringList()));
        QCOMPARE(std::get<0>(draw(csv, ListChoices{Heading::LeftOut, {5, 7}, true})), Kind::ChoicesDoNotFit);
        QCOMPARE(std::get<0>(draw(csv, ListChoices{Heading::NotAsked, {5, 6}, true})), Kind::ChoicesDoNotFit);
    }
    void rounds_data()
    {
        QTest::addColumn<Rounds>("rounds");
        constexpr SK R = SK::Rolling, E = SK::Exhausted, L = SK::LastGroup, X = SK::Refused;
        QTest::newRow("worked example") << Rounds{"2|1", {R, R}, {18, 17}, "L2 L1 L3"};
        // Draw order (3, 5, 1, 4, 2): ranks (5, 2) are lines 2, 5; then (3, 1) of the rest lines 4, 3; line 1 is left.
        QTest::newRow("ranks through the draw order")
            << Rounds{"2|2|2|2", {R, R, L, E}, {3, 1, 0, 0}, "L5 L2 L4 L3 L1", {{3, 5, 1, 4, 2}, {5, 2}, {3, 1}}};
        QTest::newRow("6 by 3 in the draw order 6..1, then 1: the last group of 3, in draw order")
            << Rounds{"3|1", {R, L}, {3, 0}, "L6 L5 L4 L3 L2 L1", {{6, 5, 4, 3, 2, 1}}};
        QTest::newRow("10 by 3") << Rounds{"3|3|3|3|3", {R, R, R, L, E}, {7, 4, 1, 0, 0}};
        QTest::newRow("10 at once") << Rounds{"10|10", {R, E}, {0, 0}};
        QTest::newRow("5 left, 8 typed: not kept") << Rounds{"1|1|8|1", {R, R, X, R}, {6, 5, 5, 4}};
        QTest::newRow("unusable counts are 1")
            << Rounds{"|   |0|-3|abc|2.5|32768| 3 |\t4\t", QList<SK>(9, R), {39, 38, 37, 36, 35, 34, 33, 30, 26}};
    }
    void rounds()
    {
        QFETCH(Rounds, rounds);
        ScriptedRandomiser rnd;
        rnd.arrays = rounds.arrays;
        DrawSession s(rnd);
        const int n = rounds.left.first() + qMax(1, parseRoundCount(rounds.texts.section('|', 0, 0)));
        QVERIFY(write(numberedLines(n)));
        QCOMPARE(s.initialise(bonus(), kSeed).kind, Kind::Ready);
        for (int i = 0; i < rounds.kinds.size(); ++i) {
            init(); // then edited, shortened, removed or a folder: nothing changes
            QVERIFY(i % 4 == 2
                    || (i % 4 == 3 ? QDir().mkdir(bonus()) : write(i % 4 ? "L1" : "X\r\nY\r\nZ\r\nV\r\nW\r\n")));
            QCOMPARE(s.initialise(bonus(), kSeed).kind, Kind::AlreadyInitialised);
            const QString text = rounds.texts.section('|', i, i), before = s.log().text();
            const int count = parseRoundCount(text), previous = s.perRoundCount();
            const StartResult r = s.start(text);
            QCOMPARE(r.kind, rounds.kinds[i]);
            QCOMPARE(s.remainingCount(), rounds.left[i]);
            QCOMPARE(r.countTextToWrite, count || r.kind == SK::Exhausted || r.kind == SK::LastGroup ? QString() : "1");
            if (r.kind == SK::Rolling) // the roll stops at the winner whose line comes first
                QCOMPARE(s.stop(), s.roundPicks().first());
            const QString appended = r.kind == SK::Rolling ? s.reveal().appendedLog : r.appendedLog;
            QCOMPARE(before + appended, s.log().text());
            const QString names = QString(appended).replace(QRegularExpression("\r\n\\[\\d+\\]:\t"), "|");
            const QHash<SK, QString> messages{
                {SK::Exhausted, "都抽完了，一个不剩了！！！！！"},
                {SK::LastGroup, "仅剩最后一组候选项目，就是" + names + "，不足以进行一次摇号！"},
                {SK::Refused, "抽取的人数不能多于候选人数！[开始]"}};
            QCOMPARE(r.message, messages.value(r.kind)); // none while rolling
            if (r.kind == SK::Refused) // a refused count is not kept for the next start's last-group test
                QCOMPARE(s.perRoundCount(), previous);
        }
        QString log = "摇号结果\r\n"; // and a line "[n]:\tname" for each winner
        for (const QString &name : rounds.winners.split(' ', Qt::SkipEmptyParts))
            log += QString("\r\n[%1]:\t").arg(log.count("\r\n")) + name;
        if (!rounds.winners.isEmpty())
            QCOMPARE(s.log().text(), log);
    }
    // The roll shows lines N/10 (floored), 2N/10, ... 10N/10 (all up to 10), wraps and goes on across rounds.
    void rollTicks()
    {
        for (auto [n, step] : {std::pair{2, 1}, {10, 1}, {11, 1}, {25, 2}, {99, 9}, {100, 10}, {10000, 1000}}) {
            ScriptedRandomiser rnd;
            DrawSession s(rnd);
            QVERIFY(write(numberedLines(n)) && s.initialise(bonus(), kSeed).kind == Kind::Ready);
            for (int tick = 0; tick < 24; ++tick) {
                if (tick % 7 == 4) // a new round after sample 4 and 11
                    s.stop(), s.reveal(), s.start("1");
                QCOMPARE(s.rollTick(), QStringLiteral("L%1").arg((tick % qMin(n, 10) + 1) * step));
            }
        }
    }
    // A draw with a prize plan repeated from its list, seed, plan and counts gives the same rounds and log, whatever a
    // refused count came between; another seed, an edited winner or count do not. A prize drawn in two rounds (the
    // count lowered) has one heading; a prize needing more than are left takes them as the last group, under it.
    void replay()
    {
        QVERIFY(write(numberedLines(10)));
        const DrawSeed seed = DrawSeed::publicText("07 23 41");
        const QList<Prize> plan{{"三等奖", 4}, {"一等奖", 10}};
        SeededRandomiser randomiser(DrawSeed::system()); // Initialise hands it the seed
        DrawSession s(randomiser);
        QCOMPARE(s.initialise(bonus(), seed, plan).kind, Kind::Ready);
        QList<int> needed;
        for (const char *count : {"2", "12", "2", "8"}) {
            needed << s.nextPrize().count;
            if (s.start(count).kind == SK::Rolling)
                s.stop(), s.reveal();
        }
        QCOMPARE(needed, (QList<int>{4, 2, 2, 10}));
        QCOMPARE(s.nextPrize().count, 4); // 一等奖 still lacks 4: nobody is left
        QCOMPARE(s.rounds().size(), 3); // 2, 2, then 8 asked of the 6 left: the last group
        QCOMPARE(s.rounds().last().number, 0);
        QCOMPARE(s.rounds().last().prize, "一等奖");
        static const QRegularExpression shape(
            R"(^摇号结果\r\n\r\n三等奖(\r\n\[[1-4]\]:\tL\d+){4}\r\n一等奖(\r\n\[([5-9]|10)\]:\tL\d+){6}$)");
        QVERIFY2(shape.match(s.log().text()).hasMatch(), qPrintable(s.log().text()));
        const Replay same = replayDraw(bonus(), seed, plan, s.rounds());
        QCOMPARE(same.firstDifference, -1);
        QCOMPARE(same.log, s.log().text());
        QCOMPARE(same.list.sha256, QCryptographicHash::hash(numberedLines(10), QCryptographicHash::Sha256));
        QList<DrawRound> edited = s.rounds();
        edited[1].winners.swapItemsAt(0, 1);
        QCOMPARE(replayDraw(bonus(), seed, plan, edited).firstDifference, 1);
        edited = s.rounds();
        edited[0].count = 3;
        QCOMPARE(replayDraw(bonus(), seed, plan, edited).firstDifference, 0);
    }
    // 弃奖 in the middle of a plan: the entry stays, marked, and its prize needs one more, drawn next under its heading
    // again; taken back until the next start only. The plan's end asks before a round beyond it, under 奖项外. The
    // replay takes the forfeits where they were made and refuses one that does not fit.
    void forfeitsAndThePlansEnd()
    {
        QVERIFY(write(numberedLines(10)));
        const DrawSeed seed = DrawSeed::publicText("07 23 41");
        const QList<Prize> plan{{"三等奖", 2}, {"二等奖", 2}, {"一等奖", 1}};
        SeededRandomiser randomiser(DrawSeed::system());
        DrawSession s(randomiser);
        QCOMPARE(s.initialise(bonus(), seed, plan).kind, Kind::Ready);
        drawRounds(s, {"1", "1", "1"}); // 三等奖 [1] [2], 二等奖 [3]
        QCOMPARE(s.forfeit(9).kind, ForfeitResult::Kind::NotAWinner);
        QCOMPARE(s.forfeit(1).kind, ForfeitResult::Kind::Done);
        QCOMPARE(s.forfeit(1).kind, ForfeitResult::Kind::AlreadyForfeit);
        QCOMPARE(s.nextPrize().name, "三等奖");
        QCOMPARE(s.takeBackForfeit(1).kind, ForfeitResult::Kind::Done);
        QCOMPARE(s.nextPrize().name, "二等奖");
        QCOMPARE(s.forfeit(1).kind, ForfeitResult::Kind::Done);
        drawRounds(s, {"1"}); // the replacement, [4]
        QCOMPARE(s.takeBackForfeit(1).kind, ForfeitResult::Kind::TooLate);
        drawRounds(s, {"1", "1"}); // 二等奖 [5], 一等奖 [6]
        QVERIFY(s.planDone());
        QCOMPARE(s.start("1").kind, SK::PlanDone);
        s.drawBeyondPlan();
        drawRounds(s, {"1"}); // [7]
        static const QRegularExpression shape(
            R"(^摇号结果\r\n\r\n三等奖\r\n\[1\]:\tL\d+\t（弃奖）\r\n\[2\]:\tL\d+\r\n二等奖)"
            R"(\r\n\[3\]:\tL\d+\r\n三等奖\r\n\[4\]:\tL\d+\r\n二等奖\r\n\[5\]:\tL\d+\r\n一等奖)"
            R"(\r\n\[6\]:\tL\d+\r\n奖项外\r\n\[7\]:\tL\d+$)");
        QVERIFY2(shape.match(s.log().text()).hasMatch(), qPrintable(s.log().text()));
        QCOMPARE(s.rounds().last().prize, "奖项外");
        const Replay same = replayDraw(bonus(), seed, plan, s.rounds(), ListChoices::everyLine(), s.forfeits());
        QCOMPARE(same.firstDifference, -1);
        QCOMPARE(same.badForfeit, -1);
        QCOMPARE(same.log, s.log().text());
        QList<Forfeit> moved = s.forfeits();
        moved[0].afterRounds = 4; // after the replacement: the replacement's round then differs
        QCOMPARE(replayDraw(bonus(), seed, plan, s.rounds(), ListChoices::everyLine(), moved).firstDifference, 3);
        moved[0] = {5, {}, 4}; // a winner not yet drawn then
        QCOMPARE(replayDraw(bonus(), seed, plan, s.rounds(), ListChoices::everyLine(), moved).badForfeit, 0);
    }
    // Whole sessions with the seeded generator, one seed each: a round's winners in the order revealed are equally
    // likely; a 10000-line draw order keeps about 4 lines in place (either way) or by their neighbour (Poisson).
    void fairness()
    {
        // Lines, winners of the round (0: the draw order), sessions, outcomes, and the limit exceeded with p = 1e-6.
        for (auto [n, perRound, trials, outcomes, limit] :
             {std::tuple{2, 1, 60, 2, 23.93}, {3, 3, 150, 6, 35.89}, {5, 1, 100, 5, 33.38}, {10000, 0, 1, 1, 20.0}}) {
            QVERIFY(write(numberedLines(n)));
            SeededRandomiser randomiser;
            QHash<QString, int> counts;
            for (int i = 0; i < trials; ++i) { // a seed of its own for every draw
                DrawSession s(randomiser);
                s.initialise(bonus(), DrawSeed::publicText(QString::number(i)));
                const QVector<int> &order = s.drawOrder();
                int kept = 0;
                for (int p = 1; p < n && perRound == 0; ++p)
                    kept += order[p] == p + 1 || order[p] == n - p || std::abs(order[p] - order[p - 1]) == 1;
                s.start(QString::number(perRound));
                s.stop();
                ++counts[perRound ? s.reveal().appendedLog : QString::number(kept)];
            }
            const double e = double(trials) / outcomes;
            double x = perRound ? 0 : counts.constBegin().key().toDouble();
            for (int c : counts)
                x += perRound ? (c - e) * (c - e) / e : 0;
            QCOMPARE(counts.size(), outcomes);
            QVERIFY2(x < limit, qPrintable(QString("%1 lines, %2 drawn: %3").arg(n).arg(perRound).arg(x)));
        }
    }
};

QTEST_GUILESS_MAIN(TestDraw) // a read that hangs (a named pipe, a huge file) meets the test watchdog
#include "test_draw.moc"
