#include "draw_random.h"

namespace taviro {

namespace {

// One state word of four blocks, one block in each lane (GCC and Clang
// vector extensions: SSE2 on x86-64, plain code elsewhere).
typedef std::uint32_t Lanes __attribute__((vector_size(16)));

inline Lanes rotl(Lanes v, int n) { return v << n | v >> (32 - n); }

inline void quarterRound(Lanes *x, int a, int b, int c, int d)
{
    x[a] += x[b];
    x[d] ^= x[a];
    x[d] = rotl(x[d], 16);
    x[c] += x[d];
    x[b] ^= x[c];
    x[b] = rotl(x[b], 12);
    x[a] += x[b];
    x[d] ^= x[a];
    x[d] = rotl(x[d], 8);
    x[c] += x[d];
    x[b] ^= x[c];
    x[b] = rotl(x[b], 7);
}

} // namespace

ChaChaBlocks chacha20Blocks(const ChaChaKey &key, std::uint32_t counter, const std::array<std::uint32_t, 3> &nonce)
{
    const std::uint32_t words[16] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574, // "expand 32-byte k"
                                     key[0],     key[1],     key[2],     key[3],     key[4],   key[5],
                                     key[6],     key[7],     counter,    nonce[0],   nonce[1], nonce[2]};
    Lanes input[16], x[16];
    for (int i = 0; i < 16; ++i)
        input[i] = Lanes{words[i], words[i], words[i], words[i]};
    input[12] += Lanes{0, 1, 2, 3}; // each lane its own block counter
    for (int i = 0; i < 16; ++i)
        x[i] = input[i];
    for (int round = 0; round < 10; ++round) { // 20 rounds: a column round and a diagonal round each time
        quarterRound(x, 0, 4, 8, 12);
        quarterRound(x, 1, 5, 9, 13);
        quarterRound(x, 2, 6, 10, 14);
        quarterRound(x, 3, 7, 11, 15);
        quarterRound(x, 0, 5, 10, 15);
        quarterRound(x, 1, 6, 11, 12);
        quarterRound(x, 2, 7, 8, 13);
        quarterRound(x, 3, 4, 9, 14);
    }
    ChaChaBlocks out;
    for (int i = 0; i < 16; ++i) {
        const Lanes sum = x[i] + input[i];
        for (int lane = 0; lane < 4; ++lane)
            out[lane * 16 + i] = sum[lane];
    }
    return out;
}

DrawStream::DrawStream(const ChaChaKey &key, std::uint64_t streamNumber)
    : m_key(key)
    , m_nonce{static_cast<std::uint32_t>(streamNumber), static_cast<std::uint32_t>(streamNumber >> 32), 0}
{}

QVector<int> GenRndArray(int MyNum, int NeededNum, DrawStream &stream)
{
    if (NeededNum > MyNum || MyNum < 1 || NeededNum < 1)
        return {};
    QVector<int> pool(MyNum);
    for (int k = 0; k < MyNum; ++k)
        pool[k] = k + 1;
    for (int j = 0; j <= 1000; ++j)
        for (int i = 0; i <= 500; ++i)
            randomSwapStep(stream, pool, MyNum);

    // Read from the pool's end: Pool[MyNum], Pool[MyNum - 1], ...
    QVector<int> result(NeededNum);
    for (int k = 1; k <= NeededNum; ++k)
        result[k - 1] = pool[MyNum - k];
    return result;
}

void reshuffleWinners(QStringList &picks, DrawStream &stream)
{
    const int n = static_cast<int>(picks.size());
    if (n < 1)
        return;
    for (int o = 0; o <= 5; ++o)
        for (int k = 0; k <= 10000; ++k)
            randomSwapStep(stream, picks, n);
}

} // namespace taviro
