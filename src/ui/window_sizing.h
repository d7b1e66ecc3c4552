#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>

class QLabel;
class QWidget;

namespace taviro {

struct BuiltForm;
struct FormSpec;

// The window's border: 0 none (no title bar either), 1 a fixed single line
// with the title bar, as laid out, 2 a sizable border with the title bar.
enum class BorderStyle { None = 0, FixedSingle = 1, Sizable = 2 };

// The window's two sizes in each direction, the roll label's zoom and the
// title bar. Sizes are the window's outer size in twips: the client area plus
// the laid-out frame (for a window with a border) or the client area alone
// (for one without). The frame is the layout's, whatever the window manager
// actually draws, so the client areas are always the layout's.
class WindowSizing : public QObject
{
public:
    static constexpr int kWidthThreshold = 9000;
    static constexpr int kWideWidth = 9915;
    static constexpr int kNarrowWidth = 7230;
    static constexpr int kHeightThreshold = 5000;
    static constexpr int kTallHeight = 6000;
    static constexpr int kShortHeight = 4810;

    // Takes over the window's size and border from the layout and wires the
    // H and V buttons, Opt_Size and Check_Title. Lives as a child of `window`.
    WindowSizing(QWidget *window, const FormSpec &laidOut, const BuiltForm &form);

    QSize outerSize() const; // twips
    void setOuterSize(QSize twips);
    BorderStyle borderStyle() const { return m_style; }
    void setBorderStyle(BorderStyle style);

    void toggleWidth(); // Cmd_Size_H
    void toggleHeight(); // Cmd_Size_V
    void zoomRollLabel(int index); // Opt_Size: 0 single width, 1 double width

private:
    void applyFlags();
    QMargins frame() const; // twips
    QSize clientSize() const;
    void setClientSize(QSize twips);

    QWidget *m_window;
    QWidget *m_picRoll;
    QLabel *m_lblRoll;
    QMargins m_laidOutFrame;
    BorderStyle m_style = BorderStyle::FixedSingle;
    // The client size last set, in twips. Pixels cannot hold every size in
    // twips (4520 is 301⅓ pixels), so a side that was set reads back as set
    // for as long as the window keeps the pixel size it was given.
    QSize m_client;
};

} // namespace taviro
