#pragma once

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QRgb>
#include <QString>
#include <QVector>

class QButtonGroup;
class QTimer;
class QWidget;

namespace taviro {

enum class ControlKind {
    Timer, // QTimer, interval 1 ms, stopped
    CommandButton, // QPushButton; "&X" in the caption is its access key
    Frame, // FrameBox (a QGroupBox); an empty caption draws no title
    PictureBox, // a plain QWidget that clips its children
    TextBox, // QLineEdit, no validator
    MultiLineTextBox, // QPlainTextEdit, read-only, vertical scroll bar only
    Shape, // a solid rectangle painted on the container's surface
    CheckBox, // three-state QCheckBox
    HScrollBar, // horizontal QScrollBar
    VScrollBar, // vertical QScrollBar
    ListBox, // QListWidget, one entry high as laid out
    Label, // QLabel, plain text
    OptionButton, // QRadioButton, a member of an indexed group
};

// One control of a form, as the form file lists it. Positions and sizes are
// in twips from the top left corner of the container.
struct ControlSpec
{
    const char *name; // the control's name (an indexed group's name for option buttons)
    int index; // the member's index within an indexed group, -1 otherwise
    ControlKind kind;
    const char *container; // the enclosing frame or picture box; nullptr: the window itself
    const char *caption; // caption or text, UTF-8
    const char *toolTip; // UTF-8
    int left;
    int top;
    int width;
    int height;
    int tabIndex; // -1: no tab index
    int value; // option button: 1 selected; check box: 0, 1 or 2 (indeterminate)
};

// A colour of the layout: the control's default, a fixed RGB value, or the
// platform's colour for selected items (the "highlight" colour).
struct LaidOutColour
{
    enum class Kind { Default, Rgb, Highlight };
    Kind kind = Kind::Default;
    QRgb rgb = 0;
};
inline constexpr LaidOutColour kDefaultColour{LaidOutColour::Kind::Default, 0};
inline constexpr LaidOutColour kHighlightColour{LaidOutColour::Kind::Highlight, 0};
inline constexpr LaidOutColour rgbColour(QRgb rgb) { return {LaidOutColour::Kind::Rgb, rgb}; }

// Font and colours of a control that does not simply use the window's.
struct AppearanceSpec
{
    const char *name; // objectName
    const char *fontFamilies; // wanted families, '|'-separated; nullptr keeps the window's font
    const char *fallbacks; // families to try when none of the wanted ones is installed
    double pointSize;
    bool bold;
    LaidOutColour text; // a frame's text colour is its caption's colour
    LaidOutColour back;
    bool centred;
    bool border; // thin single-line border
};

// Installed Chinese faces to fall back on when a wanted sans-serif (黑体,
// 微软雅黑) or serif (宋体) family is missing, best first.
inline constexpr const char *kSansFallbacks =
    "WenQuanYi Micro Hei|Noto Sans CJK SC|Noto Sans SC|Source Han Sans SC|WenQuanYi Zen Hei|Droid Sans Fallback";
inline constexpr const char *kSerifFallbacks = "AR PL UMing CN|Noto Serif CJK SC|Noto Serif SC|Source Han Serif SC|"
                                               "WenQuanYi Micro Hei|Noto Sans CJK SC|Noto Sans SC|WenQuanYi Zen Hei";

// The laid-out entries of a list box, '|'-separated.
struct ListSpec
{
    const char *name;
    const char *entries;
};

// A check box's value as laid out (0 unchecked, 1 checked, 2 indeterminate)
// and as Qt holds it.
Qt::CheckState checkStateOf(int value);
int checkValueOf(Qt::CheckState state);

struct FormSpec
{
    const char *name;
    const char *caption;
    int clientWidth; // twips
    int clientHeight;
    int frameLeft; // from the window's outer edges to the client area
    int frameTop;
    int frameRight;
    int frameBottom;
    double fontPointSize; // the window's font: the platform's family at this size
    QVector<ControlSpec> controls; // containers before their contents; within a container, topmost first
    QVector<AppearanceSpec> appearance;
    QVector<ListSpec> lists;
};

// The main window as laid out.
const FormSpec &mainFormSpec();

// The objectName a control gets: its name, or "Name_index" for a group member.
QString objectNameOf(const ControlSpec &row);
// The control of `form` whose objectName is `objectName`, or nullptr.
const ControlSpec *findControl(const FormSpec &form, const QString &objectName);

// The widgets built from a form, by objectName.
struct BuiltForm
{
    QHash<QString, QWidget *> widgets;
    QHash<QString, QTimer *> timers;
    QHash<QString, QButtonGroup *> groups; // one per indexed group, ids = member indexes

    template <typename T>
    T *get(const QString &objectName) const
    {
        return qobject_cast<T *>(widgets.value(objectName));
    }
};

// Creates the controls of `form` as children of `window` with their laid-out
// names, captions, tool tips, geometry, stacking order, tab order, fonts,
// colours, list entries and initial values. The window gets its fixed client
// size, its font and its laid-out caption.
BuiltForm buildForm(const FormSpec &form, QWidget *window);

// A window's outer size as laid out, in pixels (client area plus frame).
QSize outerSizeOf(const FormSpec &form);
// Moves a top-level `window` so that its laid-out outer rectangle is centred
// on the available area of its screen.
void centreOnScreen(const FormSpec &form, QWidget *window);

// Text as a text box shows it: CR LF line ends become paragraph breaks.
QString toDisplayText(QString text);

// The first of `families` that is installed, else the first installed one of
// `fallbacks`, else the first installed family that covers Simplified
// Chinese; an empty string when there is none at all.
QString installedFamily(const QStringList &families, const QStringList &fallbacks);

// A caption laid out one character per line. The layout gives each line the
// height of one character (180 twips at the window's 9-point font), but the
// Chinese faces need more than that: the lines are stacked at the real line
// height of the face that draws them, and the label grows downward to hold
// them all, so that every character shows whole.
class StackedLabel : public QLabel
{
public:
    using QLabel::QLabel;

    // The height of one line of the caption as drawn.
    int lineHeight() const;
    // Makes the label tall enough for all its lines.
    void fitLines();

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A frame whose caption can be drawn in a colour role of its own, and never
// runs past the frame: a caption too long for it is drawn in a font made
// smaller until it fits, centred on the frame's top edge as the laid-out one
// is. font() stays the chosen font all the while; only the drawing is smaller.
class FrameBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;
    void setCaptionRole(QPalette::ColorRole role);
    QPalette::ColorRole captionRole() const { return m_captionRole; }

    // The font the caption is drawn in now, and where, in the frame's own coordinates.
    QFont captionFont() const;
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int captionDrop(const QFont &drawn) const;

    QPalette::ColorRole m_captionRole = QPalette::NoRole;
};

} // namespace taviro
