// Code page 936 on Windows: the system's own table, asked for explicitly
// rather than through the user's ANSI code page, which may be another one.
#include "legacy_text_platform.h"

#include <windows.h>

namespace taviro::legacy_text {

bool readSystemPairTable(char16_t *table)
{
    if (!IsValidCodePage(936))
        return false;
    for (int lead = kFirstLead; lead <= kLastLead; ++lead) {
        for (int trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            const char code[2] = {char(lead), char(trail)};
            wchar_t units[2] = {};
            const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, code, 2, units, 2);
            table[pairIndex(lead, trail)] = n == 1 ? char16_t(units[0]) : 0;
        }
    }
    return true;
}

} // namespace taviro::legacy_text
