#pragma once

#include <QStringList>
#include <QVector>

#include <array>
#include <cstdint>
#include <utility>

namespace taviro {

using ChaChaKey = std::array<std::uint32_t, 8>;

// The ChaCha20 block function of RFC 8439 for four blocks in a row: the
// keystream words of blocks `counter` to `counter` + 3 for a 256-bit key and
// a 96-bit nonce, 16 words a block. Four at once, so that the compiler can
// work on the four blocks side by side.
using ChaChaBlocks = std::array<std::uint32_t, 64>;
ChaChaBlocks chacha20Blocks(const ChaChaKey &key, std::uint32_t counter, const std::array<std::uint32_t, 3> &nonce);

// One stream of random numbers of a draw: the ChaCha20 keystream for the
// draw's key and the nonce `streamNumber` (64 bits, little-endian, then four
// zero bytes), from block 0, read as little-endian 32-bit words in order.
// The same key and number give the same numbers on every system.
class DrawStream
{
public:
    DrawStream(const ChaChaKey &key, std::uint64_t streamNumber);

    std::uint32_t nextWord();
    // A number in 1..n, each equally likely (Lemire's method): for the next
    // word w, the product w * n as 64 bits; a word whose product's low 32
    // bits are below 2^32 mod n is skipped; else the number is 1 plus the
    // product's high 32 bits.
    int uniform(int n);

private:
    ChaChaKey m_key;
    std::array<std::uint32_t, 3> m_nonce;
    std::uint32_t m_counter = 0;
    ChaChaBlocks m_blocks{};
    int m_used = 64;
    std::uint32_t m_range = 0, m_threshold = 0; // the last n, and 2^32 mod n
};

inline std::uint32_t DrawStream::nextWord()
{
    if (m_used == 64) {
        m_blocks = chacha20Blocks(m_key, m_counter, m_nonce);
        m_counter += 4;
        m_used = 0;
    }
    return m_blocks[m_used++];
}

inline int DrawStream::uniform(int n)
{
    // Lemire's method: the word times n spreads the 2^32 words over n
    // numbers; the 2^32 mod n products whose low half is smallest would make
    // some numbers likelier, so those words are skipped. No division per
    // number, which matters at a million numbers per draw.
    const auto range = static_cast<std::uint32_t>(n);
    if (range != m_range) {
        m_range = range;
        m_threshold = (0u - range) % range; // 2^32 mod n
    }
    for (;;) {
        const std::uint64_t product = std::uint64_t(nextWord()) * range;
        if (static_cast<std::uint32_t>(product) >= m_threshold)
            return static_cast<int>(product >> 32) + 1;
    }
}

// One random exchange of two of the first n entries of `items`: positions a
// then b, each uniform in 1..n; nothing moves when they are equal. Both the
// draw order and the reveal reshuffle are made of these steps.
template <typename Array>
void randomSwapStep(DrawStream &stream, Array &items, int n)
{
    const int a = stream.uniform(n);
    const int b = stream.uniform(n);
    if (a != b)
        std::swap(items[a - 1], items[b - 1]);
}

// NeededNum distinct numbers taken at random from 1..MyNum, in random order:
// a pool 1..MyNum, 1001 x 501 swap steps (the work is fixed whatever the
// arguments are), then the pool read from its end. Returns an empty vector
// when NeededNum > MyNum or either is below 1.
QVector<int> GenRndArray(int MyNum, int NeededNum, DrawStream &stream);

// The reveal's reordering of a round's winners: 6 x 10001 swap steps.
void reshuffleWinners(QStringList &picks, DrawStream &stream);

} // namespace taviro
