#pragma once

#include "draw_random.h"

#include <QByteArray>
#include <QString>

namespace taviro {

// Where all the randomness of a run comes from. A system seed is 32 bytes of
// the operating system's entropy, taken at Initialise; a public seed is text
// that the organiser enters at the event (digits called out by the audience,
// the numbers of a public lottery), so that anyone can repeat the draw.
struct DrawSeed
{
    enum class Kind { System, Public };

    Kind kind = Kind::System;
    QByteArray material; // the 32 bytes, or the public text in UTF-8

    static DrawSeed system();
    // Blanks around the text are dropped; empty text, or text of more than
    // one line, gives no seed (kind Public, material empty).
    static DrawSeed publicText(const QString &text);
    // A record's "系统" seed, 64 hex digits; no seed when they are not.
    static DrawSeed systemFromHex(const QString &hex);

    bool isValid() const { return kind == Kind::Public ? !material.isEmpty() : material.size() == 32; }
    // The seed as the record writes it: the public text, or the bytes in hex.
    QString text() const;
    // The SHA-256 of the seed's bytes; shown before the first round, it
    // commits the organiser to a system seed without revealing it.
    QByteArray commitment() const;
    // What the window shows: the public text, or the commitment's start (shortHash).
    QString shown() const;
    // The ChaCha20 key: SHA-256 of "taviro-draw-key", one zero byte and the
    // seed's bytes, as eight little-endian words.
    ChaChaKey key() const;
};

// The start of a SHA-256 as people compare it: 16 hex digits in groups of
// four, "3fa2 c9e1 d0b4 a7f2". A list's fingerprint is this of its bytes.
QString shortHash(const QByteArray &sha256);
inline QString listFingerprint(const QByteArray &sha256) { return shortHash(sha256); }

// The name of the generator, as the record states it.
QString generatorName();

} // namespace taviro
