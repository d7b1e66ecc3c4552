#pragma once

#include <QByteArray>
#include <QString>

namespace taviro {

// How a list's bytes are written. It is recognised once, when the list is
// read, and travels with it: the results of a list are written in the
// encoding that keeps every character of its names.
enum class ListEncoding {
    Gbk, // code page 936, also every pure-ASCII list
    Utf8, // UTF-8 without a byte-order mark (Notepad's default, Linux editors)
    Utf8Bom, // UTF-8 with a byte-order mark
    Utf16Le, // UTF-16 with its mark (Notepad's "Unicode")
    Utf16Be,
    Xlsx, // an Excel workbook: Unicode text
};

// The encoding's usual name ("GBK", "UTF-8", "UTF-8 BOM", "UTF-16LE", "UTF-16BE", "XLSX"), and back:
// false for a name that is none of them.
QString encodingName(ListEncoding encoding);
bool encodingNamed(const QString &name, ListEncoding &encoding);

// The byte-order mark at the start of `bytes` (UTF-8, UTF-16 LE or BE) and
// its length; Gbk and 0 when there is none.
ListEncoding markedEncoding(const QByteArray &bytes, int *markLength);

// Whether the bytes are UTF-8 by RFC 3629: no overlong form, no surrogate,
// nothing above U+10FFFF, no sequence cut short.
bool isValidUtf8(const char *data, qsizetype size);

// Decodes valid UTF-8 exactly: unlike QString::fromUtf8, a U+FEFF at the
// start is kept as the character it is (a list's own mark is taken off before).
QString decodeUtf8(const QByteArray &bytes);

// Whether UTF-16 text pairs every surrogate.
bool hasLoneSurrogate(const QString &text);

// The bytes of a file written for a list in `list`'s encoding: code page
// 936 for a GBK (or ASCII) list, exactly as ever, as long as it holds every
// character of `text`; UTF-8 with a byte-order mark for any Unicode list,
// and for a GBK list's text that holds more than GBK (a prize name from a
// UTF-8 plan), so that no character turns into "?". This is the one place
// where the encoding of what is written is decided.
QByteArray encodeWrittenText(const QString &text, ListEncoding list);

// Reads back what encodeWrittenText wrote: UTF-8 after its mark, else GBK;
// and which of the two (Utf8Bom or Gbk) the bytes are in.
QString decodeWrittenText(const QByteArray &bytes);
ListEncoding writtenEncodingOf(const QByteArray &bytes);

} // namespace taviro
