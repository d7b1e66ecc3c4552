#pragma once
// Scripted randomness, candidate files and statistics for the engine tests.

#include "draw/candidate_list.h"
#include "draw/draw_random.h"
#include "draw/draw_session.h"

#include <QFile>
#include <QtTest>

#include <cmath>
#include <cstdio>
#include <functional>
#include <future>
#include <numeric>
#include <thread>

namespace taviro::testing {

// Plays back GenRndArray answers and reveal orders (new[i] = old[order[i]-1]);
// unscripted: (MyNum, MyNum-1, ...) as with no exchange, and no reorder.
struct ScriptedRandomiser : DrawRandomiser
{
    QList<QVector<int>> arrays, orders;
    QList<QPair<int, int>> calls; // (myNum, neededNum) of every call
    int reshuffles = 0;
    QVector<int> genRndArray(int myNum, int neededNum) override
    {
        calls.append({myNum, neededNum});
        QVector<int> out;
        for (int k = 0; k < neededNum && neededNum <= myNum; ++k)
            out.append(myNum - k);
        return arrays.isEmpty() ? out : arrays.takeFirst();
    }
    void reshuffle(QStringList &picks) override
    {
        ++reshuffles;
        const QStringList in = picks;
        const QVector<int> order = orders.isEmpty() ? QVector<int>() : orders.takeFirst();
        for (int i = 0; i < order.size(); ++i)
            picks[i] = in.at(order[i] - 1);
    }
};

// Every third value() is the `r` of a swap step, from `rs` (then 0: no
// exchange); counts the calls of each kind.
struct ScriptedSource : RandomSource
{
    QVector<float> rs;
    qint64 reseeds = 0, values = 0, clockReads = 0;
    void reseed() override { ++reseeds; }
    float timeOfDay() override { ++clockReads; return 0.0f; }
    float value(float) override { const qint64 c = values++; return c % 3 != 2 ? 0.5f : rs.value(c / 3, 0.0f); }
};

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// "L1" CR LF "L2" CR LF ... "Ln" CR LF, and the names alone.
inline QByteArray numberedLines(int n)
{
    QByteArray out;
    for (int k = 1; k <= n; ++k)
        out += "L" + QByteArray::number(k) + "\r\n";
    return out;
}
inline QStringList numberedNames(int n) { return QString::fromLatin1(numberedLines(n)).split("\r\n", Qt::SkipEmptyParts); }

// A call not back within `seconds` hangs: end the program (it cannot be cancelled).
template <typename F>
auto withinSeconds(int seconds, F f)
{
    auto future = std::async(std::launch::async, f);
    if (future.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
        std::fprintf(stderr, "FAIL: the call hangs (no return within %d s)\n", seconds);
        std::_Exit(2);
    }
    return future.get();
}

// `trials` independent trials on two threads, a generator each; the outcomes' counts.
inline QHash<QString, int> tally(int trials, const std::function<QString(ClockRandom &)> &trial)
{
    QHash<QString, int> parts[2];
    std::thread pool[2];
    for (int t = 0; t < 2; ++t)
        pool[t] = std::thread([&, t] {
            ClockRandom g;
            for (int i = t; i < trials; i += 2)
                ++parts[t][trial(g)];
        });
    for (int t = 0; t < 2; ++t)
        pool[t].join();
    for (auto it = parts[1].cbegin(); it != parts[1].cend(); ++it)
        parts[0][it.key()] += it.value();
    return parts[0];
}

// Pearson's statistic for equal expected counts, and the value it exceeds with
// probability p (even df: the tail is e^(-x/2) sum_{i<df/2} (x/2)^i / i!).
inline double chiSquare(const QList<int> &counts)
{
    const double e = std::accumulate(counts.begin(), counts.end(), 0.0) / counts.size();
    return std::accumulate(counts.begin(), counts.end(), 0.0, [e](double s, int c) { return s + (c - e) * (c - e) / e; });
}
inline double chiSquareCritical(int df, double p)
{
    double lo = 0, hi = 1000;
    for (int it = 0; it < 100; ++it) {
        const double x = (lo + hi) / 2;
        double term = 1, tail = 0;
        for (int i = 0; i < df / 2; ++i, term *= x / 2 / i)
            tail += term;
        (std::exp(-x / 2) * tail > p ? lo : hi) = x;
    }
    return hi;
}

} // namespace taviro::testing
