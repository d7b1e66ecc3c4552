#pragma once

#include <QFont>
#include <QLabel>
#include <QString>

class QLineEdit;

namespace taviro {

// The font `chosen` at the largest size, no larger than its own, at which
// `text` is at most `width` pixels wide (and, with `height` given, its line at
// most that high). A text that fits keeps the chosen font itself. Sizes go
// down in whole pixels, never below one.
QFont fittingFont(const QFont &chosen, const QString &text, int width, int height = -1);

// How wide `text` is in `font`, as one line.
qreal lineWidth(const QFont &font, const QString &text);

// A workbook row's cells are joined by tabs; on one line they stand apart by
// two blanks, so each cell shows whole without tab stops.
QString oneLine(const QString &text);

// Keeps a one-line text box's text whole within its text area: after every
// change of the text (typed, pasted or set by the program), a text too wide
// for the area is drawn in a font made smaller until it fits, so the box never
// scrolls part of it out of sight. A text that fits is drawn in the box's font
// as it is when this is called.
void keepTextWhole(QLineEdit *edit);

// A one-line label that never cuts its text off. Where its text, drawn as
// QLabel draws it, would reach past the part of the label that shows (a
// label wider than the box that clips it, as the roll label zoomed to double
// width is), the text is drawn within the part that shows, by the label's
// alignment, in a font made smaller until it fits. font() stays the chosen
// font all the while; only the drawing is smaller.
class FittingLabel : public QLabel
{
public:
    using QLabel::QLabel;

    // The part of the label that shows, in its own coordinates.
    QRect shownRect() const;
    // The font the text is drawn in now, and where.
    QFont drawnFont() const;
    QRect drawnRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool fitsAsLaidOut() const;
};

} // namespace taviro
