#include "draw_seed.h"
#include "lists/text_encoding.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace taviro {

DrawSeed DrawSeed::system()
{
    DrawSeed seed;
    seed.material.resize(32);
    // The system generator reads the operating system's entropy source
    // (getrandom on Linux, RtlGenRandom on Windows).
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(seed.material.data()), 8);
    return seed;
}

DrawSeed DrawSeed::publicText(const QString &text)
{
    DrawSeed seed;
    seed.kind = Kind::Public;
    const QString trimmed = text.trimmed();
    if (!trimmed.contains(QLatin1Char('\n')) && !trimmed.contains(QLatin1Char('\r')))
        seed.material = trimmed.toUtf8();
    return seed;
}

DrawSeed DrawSeed::systemFromHex(const QString &hex)
{
    DrawSeed seed;
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    if (hex.size() == 64 && bytes.toHex() == hex.toLatin1().toLower())
        seed.material = bytes;
    return seed;
}

QString DrawSeed::text() const
{
    // decodeUtf8, not QString::fromUtf8, which drops a U+FEFF at the start: a
    // seed pasted from a file with a byte-order mark keeps it, and the record
    // must give back the very bytes that were drawn with.
    return kind == Kind::Public ? decodeUtf8(material) : QString::fromLatin1(material.toHex());
}

QByteArray DrawSeed::commitment() const { return QCryptographicHash::hash(material, QCryptographicHash::Sha256); }

QString DrawSeed::shown() const { return kind == Kind::Public ? text() : shortHash(commitment()); }

QString shortHash(const QByteArray &sha256)
{
    const QString digits = QString::fromLatin1(sha256.left(8).toHex());
    return digits.left(4) + QLatin1Char(' ') + digits.mid(4, 4) + QLatin1Char(' ') + digits.mid(8, 4) + QLatin1Char(' ')
        + digits.mid(12, 4);
}

ChaChaKey DrawSeed::key() const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView("taviro-draw-key", 16)); // with its closing zero byte
    hash.addData(material);
    const QByteArray digest = hash.result();
    ChaChaKey key{};
    for (int i = 0; i < 8; ++i)
        for (int b = 3; b >= 0; --b)
            key[i] = key[i] << 8 | static_cast<quint8>(digest[4 * i + b]);
    return key;
}

QString generatorName() { return QStringLiteral("ChaCha20 (RFC 8439), taviro-draw-key v1"); }

} // namespace taviro
