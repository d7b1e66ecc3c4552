#pragma once

#include "draw_seed.h"
#include "draw_session.h"

namespace taviro {

// The draw's randomiser: stream 0 makes the draw order, and each later use
// takes the next stream, so round k's ranks come from stream 2k - 1 and its
// reveal from stream 2k. Replaying the same list, seed and counts therefore
// gives the same winners in the same order on every system.
class SeededRandomiser : public DrawRandomiser
{
public:
    explicit SeededRandomiser(const DrawSeed &seed = DrawSeed::system());

    // A new seed for a new draw: the streams count from 0 again.
    void setSeed(const DrawSeed &seed);
    const DrawSeed &seed() const { return m_seed; }

    QVector<int> genRndArray(int myNum, int neededNum) override;
    void reshuffle(QStringList &picks) override;
    void useSeed(const DrawSeed &seed) override { setSeed(seed); }

private:
    DrawStream nextStream();

    DrawSeed m_seed;
    ChaChaKey m_key{};
    std::uint64_t m_next = 0;
};

} // namespace taviro
