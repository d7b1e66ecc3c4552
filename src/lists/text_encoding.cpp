#include "text_encoding.h"
#include "legacy_text.h"

#include <QStringDecoder>

namespace taviro {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

} // namespace

QString encodingName(ListEncoding encoding)
{
    switch (encoding) {
    case ListEncoding::Gbk:
        return QStringLiteral("GBK");
    case ListEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case ListEncoding::Utf8Bom:
        return QStringLiteral("UTF-8 BOM");
    case ListEncoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case ListEncoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    case ListEncoding::Xlsx:
        return QStringLiteral("XLSX");
    }
    return {};
}

bool encodingNamed(const QString &name, ListEncoding &encoding)
{
    for (ListEncoding each : {ListEncoding::Gbk, ListEncoding::Utf8, ListEncoding::Utf8Bom, ListEncoding::Utf16Le,
                              ListEncoding::Utf16Be, ListEncoding::Xlsx}) {
        if (encodingName(each) == name) {
            encoding = each;
            return true;
        }
    }
    return false;
}

ListEncoding markedEncoding(const QByteArray &bytes, int *markLength)
{
    ListEncoding found = ListEncoding::Gbk;
    int length = 0;
    if (bytes.startsWith(kUtf8Mark)) {
        found = ListEncoding::Utf8Bom;
        length = 3;
    } else if (bytes.startsWith("\xFF\xFE")) {
        found = ListEncoding::Utf16Le;
        length = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        found = ListEncoding::Utf16Be;
        length = 2;
    }
    if (markLength)
        *markLength = length;
    return found;
}

bool isValidUtf8(const char *data, qsizetype size)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int more = 0;
        unsigned char low = 0x80, high = 0xBF; // the second byte's range, narrowed where the lead needs it
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            if (lead == 0xE0)
                low = 0xA0; // overlong below U+0800
            else if (lead == 0xED)
                high = 0x9F; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            if (lead == 0xF0)
                low = 0x90; // overlong below U+10000
            else if (lead == 0xF4)
                high = 0x8F; // above U+10FFFF
        } else {
            return false; // a continuation byte first, C0, C1 or F5..FF
        }
        if (size - i <= more || bytes[i + 1] < low || bytes[i + 1] > high)
            return false;
        for (int k = 2; k <= more; ++k)
            if (!isContinuation(bytes[i + k]))
                return false;
        i += more + 1;
    }
    return true;
}

QString decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (unit.isSurrogate())
            return true;
    }
    return false;
}

QByteArray encodeWrittenText(const QString &text, ListEncoding list)
{
    // Code page 936 for a GBK list, as long as every character comes back
    // from its bytes as itself.
    if (list == ListEncoding::Gbk) {
        QByteArray bytes = encodeLegacyText(text);
        if (decodeLegacyText(bytes) == text)
            return bytes;
    }
    return QByteArray(kUtf8Mark) + text.toUtf8();
}

ListEncoding writtenEncodingOf(const QByteArray &bytes)
{
    return bytes.startsWith(kUtf8Mark) ? ListEncoding::Utf8Bom : ListEncoding::Gbk;
}

QString decodeWrittenText(const QByteArray &bytes)
{
    if (bytes.startsWith(kUtf8Mark))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    return decodeLegacyText(bytes);
}

} // namespace taviro
