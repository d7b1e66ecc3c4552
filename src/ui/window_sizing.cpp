#include "window_sizing.h"

#include "form_layout.h"
#include "twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

namespace taviro {

namespace {

// No minimise or maximise button in either bordered style; the sizable one
// differs only in letting the user drag its border.
Qt::WindowFlags flagsOf(BorderStyle style)
{
    if (style == BorderStyle::None)
        return Qt::Window | Qt::FramelessWindowHint;
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint;
}

QSize pixelsOf(QSize twips) { return QSize(twipsToPixels(twips.width()), twipsToPixels(twips.height())); }

} // namespace

WindowSizing::WindowSizing(QWidget *window, const FormSpec &laidOut, const BuiltForm &form)
    : QObject(window)
    , m_window(window)
    , m_picRoll(form.widgets.value(QStringLiteral("Pic_Roll")))
    , m_lblRoll(form.get<QLabel>(QStringLiteral("Lbl_Roll")))
    , m_laidOutFrame(laidOut.frameLeft, laidOut.frameTop, laidOut.frameRight, laidOut.frameBottom)
    , m_client(laidOut.clientWidth, laidOut.clientHeight)
{
    Q_ASSERT(m_picRoll && m_lblRoll);
    applyFlags();
    setClientSize(m_client);

    connect(form.get<QPushButton>(QStringLiteral("Cmd_Size_H")), &QPushButton::clicked, this,
            &WindowSizing::toggleWidth);
    connect(form.get<QPushButton>(QStringLiteral("Cmd_Size_V")), &QPushButton::clicked, this,
            &WindowSizing::toggleHeight);
    // Only a click chooses a zoom: the member selected as laid out has not
    // been chosen, and the label keeps its laid-out place until one is.
    connect(form.groups.value(QStringLiteral("Opt_Size")), &QButtonGroup::idClicked, this,
            &WindowSizing::zoomRollLabel);
    // The box's value after the click is the border style; which value a
    // click gives is the check box's own cycle.
    auto *checkTitle = form.get<QCheckBox>(QStringLiteral("Check_Title"));
    connect(checkTitle, &QCheckBox::clicked, this,
            [this, checkTitle] { setBorderStyle(BorderStyle(checkValueOf(checkTitle->checkState()))); });
}

QMargins WindowSizing::frame() const { return m_style == BorderStyle::None ? QMargins() : m_laidOutFrame; }

QSize WindowSizing::clientSize() const
{
    // A side that has been resized by other means (the user dragging a
    // sizable border) is measured afresh.
    const auto side = [](int pixels, int twips) {
        return pixels == twipsToPixels(twips) ? twips : pixelsToTwips(pixels);
    };
    return QSize(side(m_window->width(), m_client.width()), side(m_window->height(), m_client.height()));
}

void WindowSizing::setClientSize(QSize twips)
{
    m_client = twips.expandedTo(QSize(0, 0));
    const QSize pixels = pixelsOf(m_client);
    if (m_style == BorderStyle::Sizable) {
        m_window->setMinimumSize(0, 0);
        m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_window->resize(pixels);
    } else {
        m_window->setFixedSize(pixels);
    }
}

QSize WindowSizing::outerSize() const
{
    const QMargins f = frame();
    return clientSize().grownBy(f);
}

void WindowSizing::setOuterSize(QSize twips) { setClientSize(twips.shrunkBy(frame())); }

void WindowSizing::setBorderStyle(BorderStyle style)
{
    // The client area keeps its size; the outer size follows the new frame.
    const QSize client = clientSize();
    m_style = style;
    applyFlags();
    setClientSize(client);
}

void WindowSizing::applyFlags()
{
    const Qt::WindowFlags flags = flagsOf(m_style);
    QWindow *native = m_window->windowHandle();
    if (!native) {
        m_window->setWindowFlags(flags);
        return;
    }
    // A shown window gets its new frame in place: QWidget::setWindowFlags
    // would hide it and make a new native window, which loses the activation
    // and with it the keys. The caption, the focus and the place stay.
    m_window->overrideWindowFlags(flags);
    native->setFlags(flags);
}

void WindowSizing::toggleWidth()
{
    const QSize outer = outerSize();
    setOuterSize(QSize(outer.width() < kWidthThreshold ? kWideWidth : kNarrowWidth, outer.height()));
}

void WindowSizing::toggleHeight()
{
    const QSize outer = outerSize();
    setOuterSize(QSize(outer.width(), outer.height() < kHeightThreshold ? kTallHeight : kShortHeight));
}

void WindowSizing::zoomRollLabel(int index)
{
    const double p = pixelsToTwips(m_picRoll->width());
    double left = 0;
    double width = 0;
    switch (index) {
    case 0: // single width, from the box's left edge
        left = 0;
        width = p;
        break;
    case 1: // double width, centred on the box; the box shows its middle half
        left = -p / 2;
        width = 2 * p;
        break;
    default:
        return;
    }
    // The left edge rounds to a whole pixel (-3367.5 twips to -224 pixels)
    // and the right edge with it, so the width stays whole.
    const QRect span = twipsToPixels(left, 0, width, 0);
    m_lblRoll->setGeometry(span.x(), m_lblRoll->y(), span.width(), m_lblRoll->height());
}

} // namespace taviro
