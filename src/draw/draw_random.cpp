#include "draw_random.h"

#include <QDateTime>

#include <chrono>
#include <cstring>
#include <random>

#if defined(Q_OS_UNIX)
#include <time.h>
#endif

namespace taviro {

namespace {

constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;
constexpr std::int64_t kNanosPerDay = 86400LL * 1000000000LL;

// The SplitMix64 finaliser: a bijection on 64-bit values with good avalanche.
std::uint64_t mix64(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// The top 24 bits as a float in [0, 1); every such value is exact in a float.
float toUnit(std::uint64_t bits)
{
    return static_cast<float>(bits >> 40) * (1.0f / 16777216.0f);
}

std::uint64_t entropySeed()
{
    std::random_device device; // getrandom() / the system's entropy pool
    const std::uint64_t high = device();
    const std::uint64_t low = device();
    return (high << 32) ^ low;
}

std::int64_t localOffsetNanos()
{
    return static_cast<std::int64_t>(QDateTime::currentDateTime().offsetFromUtc()) * 1000000000LL;
}

} // namespace

ClockRandom::ClockRandom()
    : m_state(entropySeed())
    , m_localOffsetNanos(localOffsetNanos())
{
}

ClockRandom::ClockRandom(std::uint64_t seed, std::int64_t clockNanos)
    : m_state(seed)
    , m_fixedClock(true)
    , m_fixedNanos(clockNanos)
{
}

ClockRandom &ClockRandom::shared()
{
    static ClockRandom generator;
    return generator;
}

std::int64_t ClockRandom::clockNanos() const
{
    if (m_fixedClock)
        return m_fixedNanos;
#if defined(Q_OS_UNIX) && defined(CLOCK_REALTIME_COARSE)
    // About two million clock reads are made per draw order: the coarse clock
    // costs a few nanoseconds where the precise one costs tens.
    timespec now;
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
#else
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
#endif
}

void ClockRandom::reseed()
{
    // Mix, never replace: for any clock reading the new state is a bijective
    // function of the old one (an odd multiplier), so reseeding cannot lose
    // entropy. Every output still passes the full SplitMix64 finaliser.
    m_state = (m_state ^ static_cast<std::uint64_t>(clockNanos())) * 0xD1B54A32D192ED03ULL + kGolden;
}

float ClockRandom::value(float x)
{
    if (x < 0.0f) {
        std::uint32_t bits;
        static_assert(sizeof bits == sizeof x, "float is 32 bits");
        std::memcpy(&bits, &x, sizeof bits);
        const std::uint64_t fixed = mix64(kGolden * (static_cast<std::uint64_t>(bits) + 1));
        m_state = mix64(m_state ^ fixed);
        m_last = toUnit(fixed);
    } else if (x > 0.0f || x != x) {
        m_state += kGolden;
        m_last = toUnit(mix64(m_state));
    }
    return m_last;
}

float ClockRandom::timeOfDay()
{
    const std::int64_t now = clockNanos();
    std::int64_t sinceMidnight = now - m_midnightNanos;
    if (sinceMidnight < 0 || sinceMidnight >= kNanosPerDay) {
        // A new day (or the first call): find this day's local midnight once
        // instead of dividing at every reading.
        std::int64_t local = (now + m_localOffsetNanos) % kNanosPerDay;
        if (local < 0)
            local += kNanosPerDay;
        m_midnightNanos = now - local;
        sinceMidnight = local;
    }
    return static_cast<float>(static_cast<double>(sinceMidnight) * 1e-9);
}

namespace {

template <typename Rng>
QVector<int> genRndArrayWith(int MyNum, int NeededNum, Rng &rng)
{
    QVector<int> pool(MyNum);
    for (int k = 0; k < MyNum; ++k)
        pool[k] = k + 1;

    for (int j = 0; j <= 1000; ++j)
        for (int i = 0; i <= 500; ++i)
            randomSwapStep(rng, pool, MyNum, i, j);

    // Read from the pool's end: Pool[MyNum], Pool[MyNum - 1], ...
    QVector<int> result(NeededNum);
    for (int k = 1; k <= NeededNum; ++k)
        result[k - 1] = pool[MyNum - k];
    return result;
}

} // namespace

QVector<int> GenRndArray(int MyNum, int NeededNum, RandomSource &rng)
{
    if (NeededNum > MyNum || MyNum < 1 || NeededNum < 1)
        return {};
    // The process's generator gets a direct (inlined) path: the swap phase
    // makes millions of calls.
    if (auto *clock = dynamic_cast<ClockRandom *>(&rng))
        return genRndArrayWith(MyNum, NeededNum, *clock);
    return genRndArrayWith(MyNum, NeededNum, rng);
}

} // namespace taviro
