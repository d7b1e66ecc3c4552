#include "text_pages.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

namespace taviro {

namespace {

QStringList splitLines(const QString &text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

QString firstInstalled(const QStringList &installed, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        const QString family = QLatin1String(name);
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return QString();
}

} // namespace

QFont resultsPrintFont(qreal pointSize)
{
    const QStringList installed = QFontDatabase::families();
    QString chinese =
        firstInstalled(installed,
                       {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Noto Serif CJK SC",
                        "Source Han Sans SC", "Microsoft YaHei", "SimSun", "AR PL UMing CN", "Droid Sans Fallback"});
    if (chinese.isEmpty()) {
        const QStringList covering = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        if (!covering.isEmpty())
            chinese = covering.constFirst();
    }
    // The usual CUPS chain turns a job into PostScript with pdftocairo and
    // back into PDF with Ghostscript. When one face supplies both the Latin
    // and the Chinese glyphs, that chain splits it into subsets of the same
    // name and the Latin part (the entry numbers) loses its text: the page
    // looks right but cannot be searched or copied. A separate Latin face
    // keeps every character's text.
    const QString latin =
        firstInstalled(installed, {"DejaVu Sans", "Liberation Sans", "Noto Sans", "FreeSans", "Arial"});
    QStringList families;
    if (!latin.isEmpty())
        families << latin;
    if (!chinese.isEmpty())
        families << chinese;

    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    font.setPointSizeF(pointSize);
    return font;
}

int paintTextPages(QPagedPaintDevice &device, const QString &text, const QFont &font)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;

    const qreal pageWidth = device.width();
    const qreal pageHeight = device.height();
    const QFontMetricsF metrics(font, &device);

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Tab stops every eight digits' width, so the names after "[n]:" line
    // up. QTextLayout scales tab distances from 96 dots per inch to the
    // device's resolution itself, so the distance is given at 96 dpi.
    const qreal toLayoutUnits = device.logicalDpiX() > 0 ? 96.0 / device.logicalDpiX() : 1.0;
    option.setTabStopDistance(8 * metrics.horizontalAdvance(QLatin1Char('0')) * toLayoutUnits);

    int pages = 1;
    qreal y = 0;
    auto makeRoom = [&](qreal height) {
        if (y > 0 && y + height > pageHeight) {
            device.newPage();
            ++pages;
            y = 0;
        }
    };

    for (const QString &line : splitLines(text)) {
        if (line.isEmpty()) {
            makeRoom(metrics.lineSpacing());
            y += metrics.lineSpacing();
            continue;
        }
        QTextLayout layout(line, font, &device);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
            row.setLeadingIncluded(true);
            row.setLineWidth(pageWidth);
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine row = layout.lineAt(i);
            makeRoom(row.height());
            row.draw(&painter, QPointF(0, y - row.y()));
            y += row.height();
        }
    }
    painter.end();
    return pages;
}

} // namespace taviro
