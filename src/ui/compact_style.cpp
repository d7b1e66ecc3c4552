#include "compact_style.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace taviro {

namespace {

// The Windows style with the small controls drawn whole.
class CompactStyle : public QProxyStyle
{
public:
    CompactStyle()
        : QProxyStyle(QStyleFactory::create(QStringLiteral("windows")))
    {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_IndicatorCheckBox && (option->state & State_NoChange)) {
            drawIndeterminateBox(option, painter, widget);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        if (element == CE_PushButton && (option->state & State_HasFocus) && isTinyButton(option, widget)) {
            drawTinyFocusedButton(option, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_ScrollBarAddLine || element == CE_ScrollBarSubLine)
            drawSmallArrow(element == CE_ScrollBarAddLine, option, painter);
    }

private:
    // A button too small for the focus rectangle to go round its caption
    // (the 9 x 12 pixel H and V buttons): inside, it would cross the letter.
    bool isTinyButton(const QStyleOption *option, const QWidget *widget) const
    {
        const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
        if (!button)
            return false;
        const QRect inside = QProxyStyle::subElementRect(SE_PushButtonFocusRect, option, widget);
        const QSize caption = option->fontMetrics.size(Qt::TextShowMnemonic, button->text);
        return inside.width() < caption.width() || inside.height() < caption.height();
    }

    // Such a button shows its focus as a dotted line along its edge, in the
    // highlight colour so that it shows on the light and the dark side alike.
    void drawTinyFocusedButton(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
    {
        QStyleOptionButton button = *qstyleoption_cast<const QStyleOptionButton *>(option);
        button.state &= ~State_HasFocus;
        QProxyStyle::drawControl(CE_PushButton, &button, painter, widget);
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

    // The indeterminate state as a solid square in an empty box, told apart
    // at a glance from the tick of the checked state.
    void drawIndeterminateBox(const QStyleOption *option, QPainter *painter, const QWidget *widget) const
    {
        QStyleOption empty = *option;
        empty.state = (option->state & ~State_NoChange) | State_Off;
        QProxyStyle::drawPrimitive(PE_IndicatorCheckBox, &empty, painter, widget);
        const QColor mark = option->palette.color(option->state & State_Enabled ? QPalette::Active : QPalette::Disabled,
                                                  QPalette::Text);
        const int inset = option->rect.width() / 3;
        painter->fillRect(option->rect.adjusted(inset, inset, -inset, -inset), mark);
    }

    // The Windows style draws a scroll button's arrow 4 pixels inside the
    // button, so a button of a one-entry list (7 pixels high) shows none. Such
    // a button gets a small arrow filling its face.
    static void drawSmallArrow(bool addLine, const QStyleOption *option, QPainter *painter)
    {
        const QRect standard = option->rect.adjusted(4, 4, -4, -4);
        if (standard.width() > 1 && standard.height() > 1)
            return; // the style drew its own
        const bool horizontal = option->state & State_Horizontal;
        const QRect face = option->rect.adjusted(2, 2, -2, -2);
        // Rows (or columns, on a horizontal bar) 1, 3, 5, ... pixels long.
        const int across = horizontal ? face.height() : face.width();
        const int depth = qMin(horizontal ? face.width() : face.height(), (across + 1) / 2);
        if (depth < 1)
            return;
        const bool pointsBack = !addLine; // up or left
        const QColor colour = option->palette.color(
            option->state & State_Enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
        const int alongStart =
            (horizontal ? face.left() + (face.width() - depth) / 2 : face.top() + (face.height() - depth) / 2);
        const int acrossCentre =
            horizontal ? face.top() + (face.height() - 1) / 2 : face.left() + (face.width() - 1) / 2;
        for (int i = 0; i < depth; ++i) {
            const int halfLength = pointsBack ? i : depth - 1 - i;
            const int along = alongStart + i;
            if (horizontal)
                painter->fillRect(along, acrossCentre - halfLength, 1, 2 * halfLength + 1, colour);
            else
                painter->fillRect(acrossCentre - halfLength, along, 2 * halfLength + 1, 1, colour);
        }
    }
};

} // namespace

void useCompactStyle()
{
    if (dynamic_cast<CompactStyle *>(QApplication::style()))
        return;
    QApplication::setStyle(new CompactStyle);
}

} // namespace taviro
