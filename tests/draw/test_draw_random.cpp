// The generator, the swap step and GenRndArray; fairness with the real
// generator. Each statistical check has a false-alarm rate below 1e-6:
// - GenRndArray(2, 1) 1000 times, each value 420..580 times: P(|X - 500| >= 80),
//   X ~ Bin(1000, 1/2), is 3.4e-7 (exact binomial sum);
// - chi-square on the first pick against the limit computed for p = 1e-6
//   (27.63 for 2 degrees of freedom, 33.38 for 4); one degree of freedom
//   takes the 2-df limit, where its own tail is 1.4e-7;
// - all 6 orders of 3 within 100 calls: P(one missing) <= 6 (5/6)^100 = 7.2e-8.

#include "draw_test_support.h"

#include <QTemporaryDir>

#include <functional>
#include <numeric>
#include <thread>

using namespace taviro;
using namespace taviro::testing;

namespace {

QVector<float> stream(ClockRandom &g)
{
    return {g.value(1), g.value(1), g.value(1), g.value(1)};
}

bool isSelection(QVector<int> v, int myNum, int neededNum)
{
    std::sort(v.begin(), v.end());
    return v.size() == neededNum && std::adjacent_find(v.begin(), v.end()) == v.end()
        && (v.isEmpty() || (v.first() >= 1 && v.last() <= myNum));
}

// `trials` independent trials over all cores, a generator per thread; counts
// outcomes 0..cells-1, and in one more cell any other outcome.
QVector<int> tally(int trials, int cells, const std::function<int(ClockRandom &)> &trial)
{
    const int threads = qBound(1, int(std::thread::hardware_concurrency()), 8);
    std::vector<QVector<int>> parts(threads, QVector<int>(cells + 1, 0));
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            ClockRandom g;
            for (int i = t; i < trials; i += threads) {
                const int c = trial(g);
                ++parts[t][c >= 0 && c < cells ? c : cells];
            }
        });
    QVector<int> sum(cells + 1, 0);
    for (int t = 0; t < threads; ++t) {
        pool[t].join();
        for (int c = 0; c <= cells; ++c)
            sum[c] += parts[t][c];
    }
    return sum;
}

int firstPick(int myNum, ClockRandom &g)
{
    const QVector<int> v = GenRndArray(myNum, 1, g);
    return v.size() == 1 ? v[0] - 1 : -1;
}

// The real generator with the clock just after midnight: the second pick of
// every step then has a negative argument.
struct JustAfterMidnight : RandomSource
{
    ClockRandom real;
    qint64 negative = 0;
    void reseed() override { real.reseed(); }
    float value(float x) override { negative += x < 0; return real.value(x); }
    float timeOfDay() override { return 0.25f; }
};

} // namespace

class TestDrawRandom : public QObject
{
    Q_OBJECT

private slots:
    // Known exchanges, the result read once from the pool's end (a second
    // lookup, Pool[Pool[k]], would give the bracketed result); refusals do
    // no work. n = 3: r = 0.9 picks 1, 0.5 picks 2, 0 picks 3; n = 2: 0.9 picks 1.
    void genRndArray_data()
    {
        QTest::addColumn<int>("myNum");
        QTest::addColumn<int>("neededNum");
        QTest::addColumn<QVector<float>>("rs");
        QTest::addColumn<QVector<int>>("expected");
        QTest::newRow("swap 1,3") << 3 << 3 << QVector<float>{0.9f, 0} << QVector<int>{1, 2, 3};         // [3 2 1]
        QTest::newRow("3-cycle") << 3 << 3 << QVector<float>{0.9f, 0, 0.9f, 0.5f} << QVector<int>{1, 3, 2}; // [2 1 3]
        QTest::newRow("3-cycle, 1") << 3 << 1 << QVector<float>{0.9f, 0, 0.9f, 0.5f} << QVector<int>{1};   // [2]
        QTest::newRow("two, 1") << 2 << 1 << QVector<float>{0.9f, 0} << QVector<int>{1};                    // [2]
        const float below1 = std::nextafter(1.0f, 0.0f), belowHalf = std::nextafter(0.5f, 0.0f);
        QTest::newRow("r below 1 picks 1") << 10000 << 1 << QVector<float>{below1, 0} << QVector<int>{1};
        QTest::newRow("r below 1/2 picks 5001") << 10000 << 1 << QVector<float>{belowHalf, 0} << QVector<int>{5001};
        // 10000 x 0.0001f = 0.99999997: floored unrounded, it picks 10000, not 9999.
        QTest::newRow("0.0001f picks 10000") << 10000 << 2 << QVector<float>{0.0001f, 0.00015f} << QVector<int>{9999, 10000};
        QTest::newRow("one entry") << 1 << 1 << QVector<float>{below1, 0.3f} << QVector<int>{1};
        QTest::newRow("no exchange") << 10000 << 10000 << QVector<float>{} << QVector<int>{};
        for (auto [m, k] : {std::pair{5, 6}, {1, 2}, {0, 0}, {3, 0}, {-1, -2}})
            QTest::addRow("refused %d, %d", m, k) << m << k << QVector<float>{} << QVector<int>{};
    }
    void genRndArray()
    {
        QFETCH(int, myNum);
        QFETCH(int, neededNum);
        QFETCH(QVector<float>, rs);
        QFETCH(QVector<int>, expected);
        ScriptedSource src;
        src.rs = rs;
        const QVector<int> result = GenRndArray(myNum, neededNum, src);
        const bool refused = neededNum > myNum || neededNum < 1;
        if (expected.isEmpty() && !refused) // no exchange at all: Pool read from its end
            for (int k = 0; k < neededNum; ++k)
                expected.append(myNum - k);
        QCOMPARE(result, expected);
        // Fixed work whatever the arguments: 1001 x 501 steps, j outer, i inner.
        QCOMPARE(QVector<qint64>({src.reseeds, src.values, src.clockReads}),
                 refused ? QVector<qint64>(3, 0) : QVector<qint64>({1003002, 3009006, 1003002}));
        if (!refused)
            QCOMPARE(src.counters, (QVector<float>{0, 0, 1, 0, 2, 0, 3, 0}));
    }

    void reshuffleWork()
    {
        for (int n : {1, 10000}) {
            ScriptedSource src;
            QStringList picks = numberedNames(n);
            ClockRandomiser(src).reshuffle(picks);
            QCOMPARE(QVector<qint64>({src.reseeds, src.values, src.clockReads}), QVector<qint64>({120012, 360036, 120012}));
            QCOMPARE(picks, numberedNames(n));
        }
    }

    void realGenerator()
    {
        for (auto [m, k] : {std::pair{5, 5}, {1, 1}, {10000, 3}, {10000, 10000}})
            QVERIFY(isSelection(GenRndArray(m, k, ClockRandom::shared()), m, k));
        JustAfterMidnight midnight;
        QVERIFY(isSelection(GenRndArray(10, 10, midnight), 10, 10));
        QVERIFY(midnight.negative > 0);
    }

    void generator()
    {
        ClockRandom real1, real2, a(1, 0), b(2, 0);
        real1.reseed();
        real2.reseed();
        QVERIFY(stream(real1) != stream(real2)); // seeded from the system, not from the clock
        a.reseed();
        b.reseed();
        const QVector<float> a1 = stream(a);
        QVERIFY(stream(b) != a1); // a reseed mixes the clock into the state...
        a.reseed();
        QVERIFY(stream(a) != a1); // ...so the same clock reading gives a new stream
        const float v = a.value(1);
        QCOMPARE(a.value(0), v); // x = 0 repeats the last value
        for (float x : {-1.0f, -0.5f, -12345.678f, -1e-30f}) {
            const float fixed = a.value(x); // x < 0: fixed by x alone, but mixed into the state
            QVERIFY(fixed >= 0 && fixed < 1 && b.value(x) == fixed && real1.value(x) == fixed && a.value(0) == fixed);
            QVERIFY(stream(a) != stream(b));
        }
        for (int i = 0; i < 100000; ++i) {
            const float r = a.value(i % 3 ? 1.0f : 86399.99f);
            QVERIFY(r >= 0 && r < 1);
        }
    }

    // main() sets TZ=CST-8, so a missing local offset shows up anywhere.
    void timeOfDayIsLocal()
    {
        ClockRandom g;
        const double before = QTime::currentTime().msecsSinceStartOfDay() / 1000.0, t = g.timeOfDay();
        const double after = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
        QVERIFY(t >= 0 && t < 86400);
        QVERIFY2(after < before || (t >= before - 0.05 && t <= after + 0.05), qPrintable(QString::number(t)));
    }

    // The first pick of GenRndArray(n, 1), or the first winner of a whole
    // session (initialise, then a start of one) on an n-line list.
    void firstPicks_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("trials");
        QTest::addColumn<bool>("session");
        QTest::newRow("GenRndArray(2, 1)") << 2 << 1000 << false;
        QTest::newRow("GenRndArray(3, 1)") << 3 << 300 << false;
        QTest::newRow("GenRndArray(5, 1)") << 5 << 300 << false;
        QTest::newRow("session, 2 lines") << 2 << 160 << true;
        QTest::newRow("session, 3 lines") << 3 << 300 << true;
    }
    void firstPicks()
    {
        QFETCH(int, n);
        QFETCH(int, trials);
        QFETCH(bool, session);
        QTemporaryDir dir;
        const QString path = dir.filePath("bonus.txt");
        QVERIFY(writeBytes(path, numberedLines(n)));
        QVector<int> counts = tally(trials, n, [&](ClockRandom &g) {
            if (!session)
                return firstPick(n, g);
            ClockRandomiser randomiser(g);
            DrawSession s(randomiser);
            const bool ok = s.initialise(path).kind == InitResult::Kind::Ready && s.start("1").kind == StartResult::Kind::Rolling;
            return ok ? int(numberedNames(n).indexOf(s.stop())) : -1;
        });
        QCOMPARE(counts.takeLast(), 0);
        const double x = chiSquare(counts), limit = chiSquareCritical(n - 1 + (n - 1) % 2, 1e-6);
        qInfo() << counts << "chi-square" << x << "limit" << limit;
        QVERIFY(x < limit);
        QVERIFY(trials != 1000 || (counts[0] >= 420 && counts[0] <= 580));
    }

    void allOrdersOfThree()
    {
        ClockRandom g;
        QSet<QVector<int>> seen;
        for (int calls = 0; seen.size() < 6 && calls < 100; ++calls) {
            const QVector<int> v = GenRndArray(3, 3, g);
            QVERIFY(isSelection(v, 3, 3));
            seen.insert(v);
        }
        QCOMPARE(seen.size(), 6);
    }
};

int main(int argc, char **argv)
{
    qputenv("TZ", "CST-8"); // eight hours east of UTC, whatever the machine's zone
    QCoreApplication app(argc, argv);
    TestDrawRandom test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_draw_random.moc"
