#include "fitting_text.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <cmath>

namespace taviro {

qreal lineWidth(const QFont &font, const QString &text) { return QFontMetricsF(font).horizontalAdvance(text); }

QString oneLine(const QString &text)
{
    QString line = text;
    return line.replace(QLatin1Char('\t'), QStringLiteral("  "));
}

QFont fittingFont(const QFont &chosen, const QString &text, int width, int height)
{
    const auto fits = [&](const QFont &font) {
        const QFontMetricsF metrics(font);
        return metrics.horizontalAdvance(text) <= width && (height < 0 || metrics.height() <= height);
    };
    if (fits(chosen))
        return chosen;
    // Text widths grow about in proportion to the size: start from the
    // proportional share of the size the font really has in pixels (one
    // chosen in points has its pixels from the screen) and step down until
    // it really fits.
    const QFontMetricsF metrics(chosen);
    const qreal pixels = QFontInfo(chosen).pixelSize();
    qreal ratio = metrics.horizontalAdvance(text) > 0 ? width / metrics.horizontalAdvance(text) : 1.0;
    if (height >= 0 && metrics.height() > 0)
        ratio = std::min(ratio, height / metrics.height());
    QFont font = chosen;
    for (int size = std::max(1, int(std::floor(pixels * ratio))); size >= 1; --size) {
        font.setPixelSize(size);
        if (fits(font) || size == 1)
            break;
    }
    return font;
}

namespace {

// Where QLineEdit lays its text out: inside its frame and text margins, less
// its own 2-pixel margin on either side and a pixel for the caret after it.
int textRoom(const QLineEdit *edit)
{
    QStyleOptionFrame frame;
    frame.initFrom(edit);
    frame.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, edit) : 0;
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &frame, edit);
    return contents.marginsRemoved(edit->textMargins()).width() - 2 * 2 - 1;
}

} // namespace

void keepTextWhole(QLineEdit *edit)
{
    const auto fit = [edit, laidOut = edit->font()] {
        edit->setFont(fittingFont(laidOut, edit->text(), textRoom(edit)));
    };
    QObject::connect(edit, &QLineEdit::textChanged, edit, fit);
    fit();
}

QRect FittingLabel::shownRect() const
{
    QRect shown = contentsRect();
    if (const QWidget *box = parentWidget())
        shown &= QRect(mapFromParent(QPoint(0, 0)), box->size());
    return shown;
}

// Where QLabel itself would draw the text: by the alignment in the contents.
bool FittingLabel::fitsAsLaidOut() const
{
    const QRect drawn =
        style()->itemTextRect(fontMetrics(), contentsRect(), int(alignment()), isEnabled(), oneLine(text()));
    return shownRect().contains(drawn);
}

QFont FittingLabel::drawnFont() const
{
    return fitsAsLaidOut() ? font() : fittingFont(font(), oneLine(text()), shownRect().width());
}

QRect FittingLabel::drawnRect() const
{
    const QFont drawn = drawnFont();
    return style()->itemTextRect(QFontMetrics(drawn), fitsAsLaidOut() ? contentsRect() : shownRect(), int(alignment()),
                                 isEnabled(), oneLine(text()));
}

void FittingLabel::paintEvent(QPaintEvent *event)
{
    if (fitsAsLaidOut() && !text().contains(QLatin1Char('\t'))) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    painter.setFont(drawnFont());
    const QRect area = fitsAsLaidOut() ? contentsRect() : shownRect();
    style()->drawItemText(&painter, area, int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(),
                          oneLine(text()), foregroundRole());
}

} // namespace taviro
