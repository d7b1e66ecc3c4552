// Fuzzes the public seed: any text gives no seed or the UTF-8 of the text without blanks around it, one line, whose
// commitment and ChaCha20 key are the SHA-256 sums they are said to be, and which comes back from its own text and
// from the record unchanged; 64 hex digits read back as a system seed.
#include "fuzz.h"
#include "output/draw_record.h"

#include <QCryptographicHash>

using namespace taviro;

static void checkSeed(const DrawSeed &seed)
{
    check(seed.commitment() == QCryptographicHash::hash(seed.material, QCryptographicHash::Sha256));
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray("taviro-draw-key", 16) + seed.material, QCryptographicHash::Sha256);
    const ChaChaKey key = seed.key();
    for (int i = 0; i < 8; ++i)
        check(key[i]
              == (quint32(quint8(digest[4 * i])) | quint32(quint8(digest[4 * i + 1])) << 8
                  | quint32(quint8(digest[4 * i + 2])) << 16 | quint32(quint8(digest[4 * i + 3])) << 24));
    DrawRecord record;
    record.seed = seed;
    record.list.sha256 = QByteArray(32, '\0');
    const ParsedRecord parsed = parseRecord(encodeRecord(record));
    check(parsed.ok && parsed.record.seed.kind == seed.kind && parsed.record.seed.material == seed.material
          && parsed.record.seedSha256 == seed.commitment());
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // As typed (UTF-8 on the command line) and as UTF-16 units (the window's text box), lone surrogates and all.
    for (const QString &text :
         {QString::fromUtf8(bytes), QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2)}) {
        const DrawSeed seed = DrawSeed::publicText(text);
        const QString trimmed = text.trimmed();
        const bool oneLine = !trimmed.contains(QLatin1Char('\n')) && !trimmed.contains(QLatin1Char('\r'));
        check(seed.kind == DrawSeed::Kind::Public);
        check(seed.isValid() == (oneLine && !trimmed.isEmpty()));
        if (!seed.isValid())
            continue;
        check(seed.material == trimmed.toUtf8() && seed.shown() == seed.text());
        check(DrawSeed::publicText(seed.text()).material == seed.material);
        checkSeed(seed);
    }
    const DrawSeed system = DrawSeed::systemFromHex(QString::fromLatin1(bytes));
    check(system.isValid() == (system.material.size() == 32));
    if (system.isValid())
        check(system.text() == QString::fromLatin1(bytes).toLower());
    if (bytes.size() >= 32) {
        const DrawSeed fromHex = DrawSeed::systemFromHex(QString::fromLatin1(bytes.left(32).toHex()).toUpper());
        check(fromHex.isValid() && fromHex.material == bytes.left(32));
        checkSeed(fromHex);
    }
    return 0;
}
