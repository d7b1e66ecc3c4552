#include "legacy_text.h"
#include "legacy_text_platform.h"

#include <QtGlobal>

#include <vector>

namespace taviro {

namespace {

using namespace legacy_text;

constexpr char16_t kEuro = 0x20AC;
constexpr unsigned char kEuroByte = 0x80;

bool isLead(unsigned char byte) { return byte >= kFirstLead && byte <= kLastLead; }
bool isTrail(unsigned char byte) { return byte >= kFirstTrail && byte <= kLastTrail && byte != 0x7F; }

// Both directions, built once from the system's table on first use.
struct CodePage
{
    std::vector<char16_t> pairs = std::vector<char16_t>(kLeads * kTrails, 0);
    std::vector<quint16> codeOf = std::vector<quint16>(0x10000, 0); // UTF-16 unit -> lead << 8 | trail

    CodePage()
    {
        if (!readSystemPairTable(pairs.data()))
            qWarning("taviro: this system cannot convert code page 936; Chinese text becomes U+FFFD");
        for (int lead = kFirstLead; lead <= kLastLead; ++lead) {
            for (int trail = kFirstTrail; trail <= kLastTrail; ++trail) {
                char16_t &unit = pairs[pairIndex(lead, trail)];
                if (!isTrail(trail) || unit < 0x80 || unit == 0xFFFD || (unit >= 0xD800 && unit < 0xE000)) {
                    unit = 0; // never a character of its own: nothing an ASCII byte or U+FFFD already is
                    continue;
                }
                // A character with two codes is written with the first.
                if (!codeOf[unit])
                    codeOf[unit] = static_cast<quint16>(lead << 8 | trail);
            }
        }
    }

    char16_t pair(unsigned char lead, unsigned char trail) const { return pairs[pairIndex(lead, trail)]; }
};

const CodePage &codePage()
{
    static const CodePage table;
    return table;
}

} // namespace

QString decodeLegacyText(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    qsizetype n = 0;
    const CodePage *table = nullptr;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char byte = data[i];
        if (byte < 0x80) {
            out[n++] = QChar(byte);
        } else if (byte == kEuroByte) {
            out[n++] = QChar(kEuro);
        } else if (isLead(byte) && i + 1 < size && isTrail(data[i + 1])) {
            if (!table)
                table = &codePage();
            const char16_t unit = table->pair(byte, data[i + 1]);
            out[n++] = unit ? QChar(unit) : QChar(QChar::ReplacementCharacter);
            ++i;
        } else {
            out[n++] = QChar(QChar::ReplacementCharacter);
        }
    }
    text.truncate(n);
    return text;
}

QByteArray encodeLegacyText(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    const CodePage *table = nullptr;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            bytes.append(static_cast<char>(unit));
            continue;
        }
        if (unit == kEuro) {
            bytes.append(static_cast<char>(kEuroByte));
            continue;
        }
        if (!table)
            table = &codePage();
        if (const quint16 code = table->codeOf[unit]) {
            bytes.append(static_cast<char>(code >> 8));
            bytes.append(static_cast<char>(code & 0xFF));
            continue;
        }
        // A surrogate pair is one character outside the code page.
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        bytes.append('?');
    }
    return bytes;
}

} // namespace taviro
