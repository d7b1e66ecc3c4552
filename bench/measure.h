#pragma once
// The benchmarks' one way of timing: each figure is run g_runs times and reported in milliseconds as the median, the
// fastest and the first run (caches cold: the first round a hall sees).

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

inline int g_runs = 15;

struct Figure
{
    double median = 0, min = 0, first = 0;
};

// Runs `prepare` untimed and `work` timed, g_runs times.
inline Figure measure(const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < g_runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    return {n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2, ms.front(), first};
}

inline void heading(const char *program)
{
    std::printf("%s: median, fastest and first of %d runs, milliseconds\n\n", program, g_runs);
    std::printf("%-52s %10s %10s %10s\n", "", "median", "fastest", "first");
}

inline void row(const char *name, const Figure &f)
{
    std::printf("%-52s %10.3f %10.3f %10.3f\n", name, f.median, f.min, f.first);
    std::fflush(stdout);
}
