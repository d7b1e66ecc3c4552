#pragma once

#include <QByteArray>
#include <QString>

namespace taviro {

// The legacy text of bonus.txt and 摇号结果.txt: code page 936 (GBK), the
// same on every system. The double-byte table comes from the system (ICU
// through Qt on Linux, the Win32 code page on Windows); the rules for what
// is not in it are this module's own, so both systems give the same text
// for the same bytes and the same bytes for the same text.

// Decodes legacy bytes. ASCII stays as it is and 0x80 is the euro sign, as
// in Windows' code page 936. Every other byte that does not start a valid
// double-byte character becomes one U+FFFD: a lead byte without a trail
// byte (also at the very end), a lead byte whose next byte cannot be a trail
// byte (that byte is then read on its own), 0xFF. Nothing is dropped.
QString decodeLegacyText(const QByteArray &bytes);

// Encodes text as legacy bytes. A character the code page lacks, U+FFFD
// included, becomes one "?" (one per character, also outside the BMP), so
// encoding never fails and every line keeps its place.
QByteArray encodeLegacyText(const QString &text);

} // namespace taviro
