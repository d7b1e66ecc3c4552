#include "display_settings.h"

#include "form_layout.h"
#include "twips.h"

#include <QAbstractScrollArea>
#include <QButtonGroup>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include <array>

namespace taviro {

namespace {

constexpr std::array<QRgb, 16> kPalette = {
    0x000000, // 0 black
    0x000080, // 1 blue
    0x008000, // 2 green
    0x008080, // 3 cyan
    0x800000, // 4 red
    0x800080, // 5 magenta
    0x808000, // 6 yellow (olive)
    0xC0C0C0, // 7 white (light grey)
    0x808080, // 8 grey
    0x0000FF, // 9 light blue
    0x00FF00, // 10 light green
    0x00FFFF, // 11 light cyan
    0xFF0000, // 12 light red
    0xFF00FF, // 13 light magenta
    0xFFFF00, // 14 light yellow
    0xFFFFFF, // 15 bright white
};

// Which colour of a target a setting changes. A text box paints its text and
// its back on the Text and Base roles, every other control on WindowText and
// Window.
enum class ColourTarget { Text, Back };

// A colour bar, the control it recolours, which of its colours, and the
// control, if any, that then takes the target's new colour.
struct ColourBarSpec
{
    const char *bar;
    const char *target; // objectName; "FrmMain" is the window itself
    ColourTarget which;
    const char *follower;
};

constexpr ColourBarSpec kColourBars[] = {
    {"HScroll_Color_Results", "Txt_Results", ColourTarget::Text, nullptr},
    {"HScroll_Color_Results_Back", "Txt_Results", ColourTarget::Back, nullptr},
    {"HScroll_Color_Roll", "Lbl_Roll", ColourTarget::Text, nullptr},
    {"HScroll_Color_Roll_Back", "Lbl_Roll", ColourTarget::Back, nullptr},
    // The operations bar always matches the window.
    {"VScroll_Color_Frame", "FrmMain", ColourTarget::Back, "Frame_Oper"},
};

enum class FontPart { Family, PointSize };

// The lists of the panel and what their entries set.
struct FontListSpec
{
    const char *list;
    const char *target;
    FontPart part;
};
constexpr FontListSpec kFontLists[] = {
    {"List_Fonts_Results", "Txt_Results", FontPart::Family},
    {"List_Fonts_Roll", "Lbl_Roll", FontPart::Family},
    {"List_FontSize_Results", "Txt_Results", FontPart::PointSize},
    {"List_FontSize_Roll", "Lbl_Roll", FontPart::PointSize},
};

// The 字体 labels and the lists they expand and collapse.
constexpr std::pair<const char *, const char *> kFontListLabels[] = {
    {"Lbl_Font_Results", "List_Fonts_Results"},
    {"Lbl_Font_Roll", "List_Fonts_Roll"},
};

bool paintsAsTextBox(const QWidget *widget)
{
    return qobject_cast<const QAbstractScrollArea *>(widget) || qobject_cast<const QLineEdit *>(widget);
}

QPalette::ColorRole roleOf(const QWidget *target, ColourTarget which)
{
    const bool textBox = paintsAsTextBox(target);
    if (which == ColourTarget::Text)
        return textBox ? QPalette::Text : QPalette::WindowText;
    return textBox ? QPalette::Base : QPalette::Window;
}

void applyEntry(QWidget *target, FontPart part, const QString &entry)
{
    QFont font = target->font();
    if (part == FontPart::Family)
        font.setFamily(entry); // size, weight and the rest stay
    else
        font.setPointSizeF(entry.toFloat());
    target->setFont(font);
}

// Moves and resizes a control vertically, in twips; its left and width stay.
void setTopAndHeight(QWidget *control, int top, int height)
{
    const QRect r = twipsToPixels(pixelsToTwips(control->x()), top, pixelsToTwips(control->width()), height);
    control->setGeometry(r);
}

int topOf(const QWidget *control) { return pixelsToTwips(control->y()); }

int heightOf(const QWidget *control) { return pixelsToTwips(control->height()); }

void setColour(QWidget *target, ColourTarget which, const QColor &colour)
{
    QPalette palette = target->palette();
    palette.setColor(roleOf(target, which), colour);
    target->setPalette(palette);
    // A back colour of a control other than a text box only shows when the
    // control fills its background.
    if (which == ColourTarget::Back && !paintsAsTextBox(target))
        target->setAutoFillBackground(true);
}

QColor colourOf(const QWidget *target, ColourTarget which) { return target->palette().color(roleOf(target, which)); }

// A font list's double-click on its label: an expanded list (over 260 twips
// high) goes back down 1200 twips to one entry's height; any other opens
// upward, 1200 twips high, its lower edge staying where it was.
void toggleFontListByLabel(QListWidget *list)
{
    if (heightOf(list) > 260)
        setTopAndHeight(list, topOf(list) + 1200, 240);
    else
        setTopAndHeight(list, topOf(list) - 1200, 1200);
}

// The roll font list's own double-click: a list over 200 twips high shrinks
// to 20 twips, any other grows to 300. The top stays.
void toggleFontListByItself(QListWidget *list) { setTopAndHeight(list, topOf(list), heightOf(list) > 200 ? 20 : 300); }

} // namespace

QColor PaletteColor(int index)
{
    return QColor(kPalette[static_cast<size_t>(qBound(0, index, int(kPalette.size()) - 1))]);
}

DisplaySettings::DisplaySettings(QWidget *window, const BuiltForm &form)
    : QObject(window)
{
    const auto control = [&](const char *name) -> QWidget * {
        const QString objectName = QString::fromLatin1(name);
        return objectName == window->objectName() ? window : form.widgets.value(objectName);
    };

    for (const ColourBarSpec &row : kColourBars) {
        auto *bar = qobject_cast<QScrollBar *>(control(row.bar));
        QWidget *target = control(row.target);
        QWidget *follower = row.follower ? control(row.follower) : nullptr;
        Q_ASSERT(bar && target && (follower || !row.follower));
        // A dragged thumb recolours nothing until it is let go.
        bar->setTracking(false);
        const ColourTarget which = row.which;
        connect(bar, &QScrollBar::valueChanged, this, [target, which, follower](int value) {
            setColour(target, which, PaletteColor(value));
            if (follower)
                setColour(follower, ColourTarget::Back, colourOf(target, which));
        });
    }

    // An entry applies when the list's selection changes, by a click or by
    // the keyboard. Entering a list with Tab only makes an entry current and
    // selects nothing, so it applies nothing; the arrows of a one-entry list
    // only scroll it.
    for (const FontListSpec &row : kFontLists) {
        auto *list = qobject_cast<QListWidget *>(control(row.list));
        QWidget *target = control(row.target);
        Q_ASSERT(list && target);
        list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        const FontPart part = row.part;
        connect(list, &QListWidget::itemSelectionChanged, this, [list, target, part] {
            const QList<QListWidgetItem *> selected = list->selectedItems();
            if (!selected.isEmpty())
                applyEntry(target, part, selected.first()->text());
        });
    }

    for (const auto &[label, list] : kFontListLabels) {
        QWidget *labelWidget = control(label);
        auto *listWidget = qobject_cast<QListWidget *>(control(list));
        Q_ASSERT(labelWidget && listWidget);
        labelWidget->installEventFilter(this);
        m_labelLists.insert(labelWidget, listWidget);
    }
    // A double-click anywhere on the roll font list: on its entries, or on
    // its frame, which is all there is of it when it is collapsed.
    m_listFontsRoll = qobject_cast<QListWidget *>(control("List_Fonts_Roll"));
    m_listFontsRoll->installEventFilter(this);
    m_listFontsRoll->viewport()->installEventFilter(this);

    // Left, right, centred by the member's index; the vertical placement stays.
    auto *lblRoll = qobject_cast<QLabel *>(control("Lbl_Roll"));
    connect(form.groups.value(QStringLiteral("Opt_Align")), &QButtonGroup::idClicked, this, [lblRoll](int index) {
        static constexpr Qt::Alignment kHorizontal[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
        if (index < 0 || index > 2)
            return;
        lblRoll->setAlignment((lblRoll->alignment() & ~Qt::AlignHorizontal_Mask) | kHorizontal[index]);
    });
}

bool DisplaySettings::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        // The list handles the double-click too: its first click has already
        // applied the entry. The entries take the double-clicks on them, so
        // one on the viewport never reaches the list as well.
        if (watched == m_listFontsRoll->viewport() || watched == m_listFontsRoll)
            toggleFontListByItself(m_listFontsRoll);
        else if (QListWidget *list = m_labelLists.value(watched))
            toggleFontListByLabel(list);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace taviro
