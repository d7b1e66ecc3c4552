#include "seeded_randomiser.h"

namespace taviro {

SeededRandomiser::SeededRandomiser(const DrawSeed &seed) { setSeed(seed); }

void SeededRandomiser::setSeed(const DrawSeed &seed)
{
    m_seed = seed;
    m_key = seed.key();
    m_next = 0;
}

DrawStream SeededRandomiser::nextStream() { return DrawStream(m_key, m_next++); }

QVector<int> SeededRandomiser::genRndArray(int myNum, int neededNum)
{
    if (neededNum > myNum || myNum < 1 || neededNum < 1)
        return {}; // refused before any number is used
    DrawStream stream = nextStream();
    return GenRndArray(myNum, neededNum, stream);
}

void SeededRandomiser::reshuffle(QStringList &picks)
{
    DrawStream stream = nextStream();
    reshuffleWinners(picks, stream);
}

} // namespace taviro
