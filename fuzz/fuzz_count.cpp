// Fuzzes the per-round count box: any text gives "use 1" (0) or a count in 1..32767 that reads back as itself.
#include "fuzz.h"
#include "draw/draw_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const int count = taviro::parseRoundCount(text);
    const bool readsBack = taviro::parseRoundCount(QString::number(count)) == count
        && taviro::parseRoundCount(QStringLiteral(" ") + text + QStringLiteral("\t")) == count;
    if (count < 0 || count > 32767 || (count > 0 && !readsBack))
        std::abort();
    return 0;
}
