#pragma once

#include <QFont>
#include <QString>

class QPagedPaintDevice;

namespace taviro {

// The font the results are printed in. Chinese text comes from the first
// installed family of a list of common Chinese fonts (else any family that
// covers Simplified Chinese); Latin letters, digits and punctuation come from
// a Latin family placed before it when one is installed.
QFont resultsPrintFont(qreal pointSize = 12);

// Paints plain text on the pages of `device`: one paragraph per line (CR LF,
// CR or LF ends a line; a line end at the very end adds no empty line), tabs
// expanded, lines too long for the page wrapped, and a new page begun
// whenever the next line does not fit. Returns the number of pages painted,
// or 0 when the device could not be painted on.
int paintTextPages(QPagedPaintDevice &device, const QString &text, const QFont &font);

} // namespace taviro
