#include "audience_layout.h"

#include <algorithm>
#include <cmath>

namespace taviro {

namespace {

// What the texts of a page need, at the measuring size: the widest line and
// the most lines of a card.
struct Needs
{
    qreal widest = 0;
    int lines = 1;
};

// The largest pixel size, and the grid that gives it, for `count` cards
// needing `needs` in `area`.
struct Fit
{
    int columns = 1;
    int rows = 1;
    qreal pixels = 0;
};

Fit bestFit(int count, const Needs &needs, QSize area, const TextWidths &widths)
{
    Fit best;
    const qreal scale = widths.pixelSize();
    // Each number of rows with the fewest columns that hold the cards: more
    // columns for the same rows would only make narrower cards.
    for (int rows = 1; rows <= count;) {
        const int columns = (count + rows - 1) / rows;
        // A card's edges round to whole pixels: it may be a pixel smaller than its share.
        const qreal cardWidth = qreal(area.width()) / columns - 1, cardHeight = qreal(area.height()) / rows - 1;
        const qreal byWidth = needs.widest > 0 ? cardWidth * kAudienceTextShare / needs.widest * scale : 1e9;
        const qreal byHeight = cardHeight * kAudienceTextShare / (needs.lines * widths.lineHeight()) * scale;
        const qreal pixels = std::min(byWidth, byHeight);
        if (pixels > best.pixels)
            best = {columns, rows, pixels};
        if (columns == 1)
            break;
        rows = (count + columns - 2) / (columns - 1); // the fewest rows that one column less needs
    }
    return best;
}

// A workbook row either way: the layout keeps whichever gives larger text.
struct Measured
{
    qreal joined = 0; // the row on one line
    qreal cell = 0; // its widest cell
    int cells = 1;
};

WinnerPage pageOf(const QVector<Measured> &measured, int first, int count, QSize area, const TextWidths &widths)
{
    Needs joined, split;
    for (int i = first; i < first + count; ++i) {
        joined.widest = std::max(joined.widest, measured[i].joined);
        split.widest = std::max(split.widest, measured[i].cell);
        split.lines = std::max(split.lines, measured[i].cells);
    }
    const Fit one = bestFit(count, joined, area, widths);
    const Fit cells = split.lines > 1 ? bestFit(count, split, area, widths) : Fit{};
    const bool useCells = cells.pixels > one.pixels;
    const Fit &fit = useCells ? cells : one;
    return {first, count, fit.columns, fit.rows, std::max(1, int(std::floor(fit.pixels))), useCells};
}

} // namespace

TextWidths::TextWidths(const QFont &font)
    : m_metrics(font)
    , m_pixelSize(font.pixelSize() > 0 ? font.pixelSize() : qRound(QFontMetricsF(font).height()))
{}

qreal TextWidths::width(const QString &text)
{
    qreal total = 0;
    for (int i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const uint code = pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        auto known = m_advances.constFind(code);
        if (known == m_advances.constEnd())
            known = m_advances.insert(code, m_metrics.horizontalAdvance(text.mid(i, pair ? 2 : 1)));
        total += *known;
        i += pair ? 1 : 0;
    }
    return total;
}

QStringList cardLines(const QString &text, bool cellsOnLines)
{
    if (cellsOnLines)
        return text.split(QLatin1Char('\t'));
    QString line = text;
    return {line.replace(QLatin1Char('\t'), QStringLiteral("  "))};
}

QVector<WinnerPage> layOutWinners(const QStringList &texts, TextWidths &widths, QSize area, int minPixels)
{
    QVector<WinnerPage> pages;
    if (texts.isEmpty() || area.isEmpty())
        return pages;
    QVector<Measured> measured;
    measured.reserve(texts.size());
    for (const QString &text : texts) {
        Measured m;
        if (!text.contains(QLatin1Char('\t'))) { // a name: one cell, measured once
            m.joined = m.cell = widths.width(text);
            measured.append(m);
            continue;
        }
        m.joined = widths.width(cardLines(text, false).first());
        const QStringList cells = text.split(QLatin1Char('\t'));
        m.cells = int(cells.size());
        for (const QString &cell : cells)
            m.cell = std::max(m.cell, widths.width(cell));
        measured.append(m);
    }
    const int total = int(texts.size());
    const WinnerPage whole = pageOf(measured, 0, total, area, widths);
    if (whole.pixelSize >= minPixels || total == 1) {
        pages.append(whole);
        return pages;
    }
    // A page holds the most texts that still show at the smallest readable
    // size. More texts never make larger text, so the count is searched by
    // halves, below what a page could hold if every text were as short as
    // the shortest.
    qreal shortest = 1e9;
    for (const Measured &m : qAsConst(measured))
        shortest = std::min(shortest, std::max(m.cell, qreal(1)));
    const qreal atMin = qreal(minPixels) / widths.pixelSize();
    const int most = std::max(1, int(area.height() * kAudienceTextShare / (widths.lineHeight() * atMin)))
        * std::max(1, int(area.width() * kAudienceTextShare / (shortest * atMin)));
    for (int first = 0; first < total;) {
        int fits = 1, tooMany = std::min(total - first, most) + 1;
        while (tooMany - fits > 1) {
            const int count = fits + (tooMany - fits) / 2;
            (pageOf(measured, first, count, area, widths).pixelSize >= minPixels ? fits : tooMany) = count;
        }
        pages.append(pageOf(measured, first, fits, area, widths));
        first += fits;
    }
    return pages;
}

QRect cardRect(const WinnerPage &page, int index, QSize area)
{
    const int row = index / page.columns;
    const int column = index % page.columns;
    const int inRow = std::min(page.columns, page.count - row * page.columns);
    const qreal width = qreal(area.width()) / page.columns;
    const qreal height = qreal(area.height()) / page.rows;
    const qreal left = (page.columns - inRow) * width / 2 + column * width;
    // Edges round to whole pixels, each edge once, so neighbours meet and never overlap.
    const int x = qRound(left), y = qRound(row * height);
    return QRect(x, y, qRound(left + width) - x, qRound((row + 1) * height) - y);
}

} // namespace taviro
