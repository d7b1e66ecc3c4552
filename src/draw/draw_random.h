#pragma once

#include <QtGlobal>
#include <QVector>

#include <cmath>
#include <cstdint>
#include <utility>

namespace taviro {

// The three operations the draw needs of the process's pseudo-random generator.
class RandomSource
{
public:
    virtual ~RandomSource() = default;

    // Mixes a clock reading into the generator's state.
    virtual void reseed() = 0;
    // A value in [0, 1): x > 0 the next value, x == 0 the value returned last,
    // x < 0 a value fixed by x alone.
    virtual float value(float x) = 0;
    // Seconds since local midnight, with fractions.
    virtual float timeOfDay() = 0;
};

// A 64-bit mixing generator (SplitMix64 steps) seeded once from the operating
// system's entropy source. A reseed mixes a coarse clock reading into the
// current state instead of replacing it, so two reseeds within one clock tick
// still lead to different streams and no entropy is ever thrown away.
class ClockRandom final : public RandomSource
{
public:
    ClockRandom();
    // A generator with a known starting state and a clock that always reads
    // `clockNanos`; benchmarks use it to measure the work without clock reads.
    ClockRandom(std::uint64_t seed, std::int64_t clockNanos);

    void reseed() override;
    float value(float x) override;
    float timeOfDay() override;

    // The process's one generator.
    static ClockRandom &shared();

private:
    std::int64_t clockNanos() const;

    std::uint64_t m_state;
    std::int64_t m_midnightNanos = 0; // the last local midnight seen, as clock nanoseconds
    float m_last = 0.0f;
    bool m_fixedClock = false;
    std::int64_t m_fixedNanos = 0;
    std::int64_t m_localOffsetNanos = 0;
};

// One random exchange of two of the n entries of `items`. The positions are
// drawn as 1..n and stored 0-based. Both the draw order and the reveal reshuffle are built from
// it; `inner` and `outer` are the loop counters of the caller and feed the
// generator as its arguments.
template <typename Rng, typename Array>
void randomSwapStep(Rng &rng, Array &items, int n, int inner, int outer)
{
    auto pick = [&](float counter, float sign) {
        rng.reseed();
        const float x = rng.value(counter);
        const float s = rng.timeOfDay() + sign * x;
        const float y = rng.value(s);
        const float r = rng.value(y);
        return n - static_cast<int>(std::floor(static_cast<double>(static_cast<float>(n)) * static_cast<double>(r)));
    };
    const int a = pick(static_cast<float>(inner), 1.0f);
    const int b = pick(static_cast<float>(outer), -1.0f);
    if (a != b)
        std::swap(items[a - 1], items[b - 1]);
}

// NeededNum distinct numbers taken at random from 1..MyNum, in random order.
// The work is fixed (501,501 swap steps) whatever the arguments are.
// Returns an empty vector when NeededNum > MyNum or either is below 1.
QVector<int> GenRndArray(int MyNum, int NeededNum, RandomSource &rng);

} // namespace taviro
