#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRect>
#include <QStringList>
#include <QVector>

#include <algorithm>

namespace taviro {

// Widths of texts in one font, added up character by character from
// advances measured once each, so that the widths of ten thousand names cost
// a few milliseconds. Chinese text has no kerning; for the rest the sum is
// close, and every card still checks its own text when it is drawn.
class TextWidths
{
public:
    explicit TextWidths(const QFont &font);
    qreal width(const QString &text);
    // Never below the size itself, whatever a font in the making reports.
    qreal lineHeight() const { return std::max(m_metrics.height(), qreal(m_pixelSize)); }
    int pixelSize() const { return m_pixelSize; }

private:
    QFontMetricsF m_metrics;
    int m_pixelSize;
    QHash<uint, qreal> m_advances;
};

// A text of the big screen keeps a margin inside its box: a tenth of its
// width and of its height, so neighbouring cards never touch.
constexpr qreal kAudienceTextShare = 0.9;

// How a winner's text stands on a card: a workbook row's cells either on one
// line, two blanks apart, or one cell a line.
QStringList cardLines(const QString &text, bool cellsOnLines);

// One screenful of winners: texts first .. first + count - 1, in a grid of
// `columns` x `rows` cards, every card's text at `pixelSize`.
struct WinnerPage
{
    int first = 0;
    int count = 0;
    int columns = 1;
    int rows = 1;
    int pixelSize = 0;
    bool cellsOnLines = false;
};

// Lays out a round's winners in `area`: all on one page at the largest size
// at which every card's text fits its card, or, when that size would be below
// `minPixels`, on as few pages as hold them at `minPixels` or more, each page
// again as large as fits. `widths` measures in the font that is drawn.
QVector<WinnerPage> layOutWinners(const QStringList &texts, TextWidths &widths, QSize area, int minPixels);

// Where card `index` of `page` (0-based within the page) stands in `area`;
// a last row that is not full is centred.
QRect cardRect(const WinnerPage &page, int index, QSize area);

} // namespace taviro
