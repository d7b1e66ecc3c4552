// Code page 936 on Linux: Qt's converter, which reaches GBK through ICU.
#include "legacy_text_platform.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringList>

namespace taviro::legacy_text {

bool readSystemPairTable(char16_t *table)
{
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return false;
    // One call per lead byte: every code followed by a CR, which is never a
    // trail byte and so ends each code, mapped or not.
    for (int lead = kFirstLead; lead <= kLastLead; ++lead) {
        QByteArray row;
        for (int trail = kFirstTrail; trail <= kLastTrail; ++trail)
            row.append(char(lead)).append(char(trail)).append('\r');
        const QStringList codes = QString(decoder.decode(row)).split(QLatin1Char('\r'));
        for (int trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            const QString &code = codes.at(trail - kFirstTrail);
            table[pairIndex(lead, trail)] = code.size() == 1 ? code.at(0).unicode() : 0;
        }
    }
    return true;
}

} // namespace taviro::legacy_text
