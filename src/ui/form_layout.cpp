#include "form_layout.h"

#include "fitting_text.h"
#include "twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QTextLayout>
#include <QTimer>
#include <QtMath>

#include <algorithm>

namespace taviro {

namespace {

using K = ControlKind;

// Chinese families to use when the laid-out ones are not installed, in order
// of preference: the sans-serif ones for the bold roll label, the serif ones
// (then any) for the results box.
const char *const kFontTip = "双击字体二字可以伸缩";
const char *const kSizeTip = "上下按钮调节，点击变蓝生效";

FormSpec makeMainForm()
{
    FormSpec f;
    f.name = "FrmMain";
    f.caption = "Taviro V1.0  -  最简单摇号软件";
    f.clientWidth = 7140;
    f.clientHeight = 5505;
    f.frameLeft = 45;
    f.frameTop = 435;
    f.frameRight = 45;
    f.frameBottom = 45;
    f.fontPointSize = 9;
    // name, index, kind, container, caption, tool tip, left, top, width, height, tab, value
    f.controls = {
        // Directly on the window.
        {"Timer2", -1, K::Timer, nullptr, nullptr, nullptr, 0, 0, 0, 0, -1, 0},
        {"Cmd_Size_H", -1, K::CommandButton, nullptr, "&H", "点击可以左右伸缩", 6960, 4200, 135, 180, 40, 0},
        {"Cmd_Size_V", -1, K::CommandButton, nullptr, "&V", "点击可以上下伸缩", 6840, 4200, 135, 180, 39, 0},
        {"Frame_Settings", -1, K::Frame, nullptr, "设置", nullptr, 7200, 120, 2535, 5295, 9, 0},
        {"Frame_Oper", -1, K::Frame, nullptr, "", nullptr, 120, 4440, 6975, 975, 3, 0},
        {"Pic_Roll", -1, K::PictureBox, nullptr, nullptr, nullptr, 240, 360, 6735, 855, 1, 0},
        {"Timer1", -1, K::Timer, nullptr, nullptr, nullptr, 0, 0, 0, 0, -1, 0},
        {"Txt_Results", -1, K::MultiLineTextBox, nullptr, "摇号结果\r\n", nullptr, 120, 1440, 6975, 2775, 0, 0},
        {"Shape1", -1, K::Shape, nullptr, nullptr, nullptr, 120, 240, 6975, 1095, -1, 0},

        // Inside Frame_Settings.
        {"Check_Title", -1, K::CheckBox, "Frame_Settings", "", nullptr, 2160, 2880, 255, 255, 41, 2},
        {"CmdAbout", -1, K::CommandButton, "Frame_Settings", "关\n于", "关于本软件", 2160, 4440, 255, 735, 38, 0},
        // 75 twips lower and shorter than first drawn (720, 1815), clear of
        // Label7's three lines at the Chinese faces' 15-pixel line height.
        {"VScroll_Color_Frame", -1, K::VScrollBar, "Frame_Settings", nullptr, nullptr, 2160, 795, 255, 1740, 35, 0},
        {"Frame_Results", -1, K::Frame, "Frame_Settings", "结果区", nullptr, 120, 3600, 1935, 1575, 11, 0},
        {"Frame_Roll", -1, K::Frame, "Frame_Settings", "滚动区", nullptr, 120, 240, 1935, 3375, 10, 0},
        {"Label8", -1, K::Label, "Frame_Settings", "窗\n体\n标\n题\n栏", nullptr, 2160, 3240, 255, 975, 42, 0},
        {"Label7", -1, K::Label, "Frame_Settings", "背\n景\n色", nullptr, 2160, 120, 255, 615, 36, 0},

        // Inside Frame_Results.
        {"List_Fonts_Results", -1, K::ListBox, "Frame_Results", nullptr, kFontTip, 480, 1200, 1335, 240, 28, 0},
        {"HScroll_Color_Results_Back", -1, K::HScrollBar, "Frame_Results", nullptr, nullptr, 840, 840, 975, 255, 30, 0},
        {"HScroll_Color_Results", -1, K::HScrollBar, "Frame_Results", nullptr, nullptr, 840, 600, 975, 255, 29, 0},
        {"List_FontSize_Results", -1, K::ListBox, "Frame_Results", nullptr, kSizeTip, 840, 240, 975, 240, 26, 0},
        {"Lbl_Font_Results", -1, K::Label, "Frame_Results", "字体", kFontTip, 120, 1200, 360, 180, 21, 0},
        {"Label5", -1, K::Label, "Frame_Results", "背景色", nullptr, 120, 840, 540, 180, 19, 0},
        {"Label4", -1, K::Label, "Frame_Results", "字号", kSizeTip, 120, 240, 360, 180, 18, 0},
        {"Label3", -1, K::Label, "Frame_Results", "字体颜色", nullptr, 120, 600, 720, 180, 17, 0},

        // Inside Frame_Roll.
        {"List_Fonts_Roll", -1, K::ListBox, "Frame_Roll", nullptr, kFontTip, 480, 3000, 1335, 240, 27, 0},
        {"HScroll_Color_Roll", -1, K::HScrollBar, "Frame_Roll", nullptr, nullptr, 840, 2400, 975, 255, 32, 0},
        {"HScroll_Color_Roll_Back", -1, K::HScrollBar, "Frame_Roll", nullptr, nullptr, 840, 2640, 975, 255, 31, 0},
        {"List_FontSize_Roll", -1, K::ListBox, "Frame_Roll", nullptr, kSizeTip, 840, 2040, 975, 240, 25, 0},
        {"Frame1", -1, K::Frame, "Frame_Roll", "滚动区缩放", nullptr, 120, 1200, 1335, 735, 22, 0},
        {"Opt_Size", 1, K::OptionButton, "Frame1", "二倍宽度", nullptr, 120, 480, 1095, 180, 24, 1},
        {"Opt_Size", 0, K::OptionButton, "Frame1", "一倍宽度", nullptr, 120, 240, 1095, 255, 23, 0},
        {"Frame_DuiQi", -1, K::Frame, "Frame_Roll", "对齐", nullptr, 120, 240, 1335, 975, 12, 0},
        {"Opt_Align", 2, K::OptionButton, "Frame_DuiQi", "居中", nullptr, 120, 720, 735, 180, 15, 1},
        {"Opt_Align", 1, K::OptionButton, "Frame_DuiQi", "右对齐", nullptr, 120, 480, 855, 255, 14, 0},
        {"Opt_Align", 0, K::OptionButton, "Frame_DuiQi", "左对齐", nullptr, 120, 240, 855, 255, 13, 0},
        {"Label6", -1, K::Label, "Frame_Roll", "字体颜色", nullptr, 120, 2400, 720, 180, 34, 0},
        {"Label2", -1, K::Label, "Frame_Roll", "背景色", nullptr, 120, 2640, 540, 180, 33, 0},
        {"Lbl_Font_Roll", -1, K::Label, "Frame_Roll", "字体", kFontTip, 120, 3000, 360, 180, 20, 0},
        {"Label1", -1, K::Label, "Frame_Roll", "字号", nullptr, 120, 2040, 360, 180, 16, 0},

        // Inside Frame_Oper.
        {"Cmd_Print", -1, K::CommandButton, "Frame_Oper", "打印&P", "直接打印当前结果", 2880, 240, 855, 615, 37, 0},
        {"Cmd_Init", -1, K::CommandButton, "Frame_Oper", "初始化&I", "初始化一次方可进行摇号", 120, 240, 855, 615, 8,
         0},
        {"Cmd_Start", -1, K::CommandButton, "Frame_Oper", "开始&G", nullptr, 1440, 240, 855, 615, 7, 0},
        {"Cmd_Save", -1, K::CommandButton, "Frame_Oper", "保存&S", "保存当前结果", 4200, 240, 855, 615, 6, 0},
        {"Cmd_Exit", -1, K::CommandButton, "Frame_Oper", "退出&X", "退出本程序", 5520, 240, 855, 615, 5, 0},
        {"Txt_Num", -1, K::TextBox, "Frame_Oper", "", "设置本轮点一次抽几个人！", 2280, 240, 375, 270, 4, 0},

        // Inside Pic_Roll.
        {"Lbl_Roll", -1, K::Label, "Pic_Roll", "摇号", nullptr, -1440, 0, 9735, 855, 2, 0},
    };
    // name, families, fallbacks, points, bold, text, back, centred, border
    f.appearance = {
        {"Lbl_Roll", "黑体|SimHei", kSansFallbacks, 42, true, rgbColour(0xC00000), rgbColour(0x80FFFF), true, true},
        {"Txt_Results", "宋体|SimSun|NSimSun", kSerifFallbacks, 26.25, true, rgbColour(0x0000FF), kDefaultColour, false,
         false},
        {"Frame_Settings", nullptr, nullptr, 0, false, kHighlightColour, kDefaultColour, false, false},
        {"Frame_Results", nullptr, nullptr, 0, false, kHighlightColour, kDefaultColour, false, false},
        {"Frame_Roll", nullptr, nullptr, 0, false, kHighlightColour, kDefaultColour, false, false},
        {"Frame1", nullptr, nullptr, 0, false, kHighlightColour, kDefaultColour, false, false},
        {"Frame_DuiQi", nullptr, nullptr, 0, false, kHighlightColour, kDefaultColour, false, false},
        {"Shape1", nullptr, nullptr, 0, false, kDefaultColour, rgbColour(0x0000FF), false, false},
    };
    f.lists = {
        {"List_FontSize_Results", "10|12|14|16|18|20|22|24|26|30|40|50|60|70|80|100|120|150|180|240|300"},
        {"List_FontSize_Roll", "22|26|30|34|38|42"},
    };
    return f;
}

QStringList splitList(const char *text)
{
    return text ? QString::fromUtf8(text).split(QLatin1Char('|'), Qt::SkipEmptyParts) : QStringList();
}

QString utf8(const char *text) { return text ? QString::fromUtf8(text) : QString(); }

// Labels and shapes are painted on their container's surface, beneath the
// container's other controls.
bool isGraphical(ControlKind kind) { return kind == K::Label || kind == K::Shape; }

bool takesFocus(ControlKind kind)
{
    switch (kind) {
    case K::CommandButton:
    case K::PictureBox:
    case K::TextBox:
    case K::MultiLineTextBox:
    case K::CheckBox:
    case K::HScrollBar:
    case K::VScrollBar:
    case K::ListBox:
    case K::OptionButton:
        return true;
    case K::Timer:
    case K::Frame:
    case K::Shape:
    case K::Label:
        return false;
    }
    return false;
}

QWidget *createWidget(const ControlSpec &row, QWidget *container)
{
    const QString caption = utf8(row.caption);
    switch (row.kind) {
    case K::CommandButton: {
        auto *button = new QPushButton(caption, container);
        button->setAutoDefault(false);
        return button;
    }
    case K::Frame:
        return new FrameBox(caption, container);
    case K::PictureBox:
        return new QWidget(container);
    case K::TextBox: {
        auto *edit = new QLineEdit(caption, container);
        edit->setFrame(true);
        return edit;
    }
    case K::MultiLineTextBox: {
        auto *edit = new QPlainTextEdit(container);
        edit->setReadOnly(true);
        // Read-only for the user, but the caret still moves and selects.
        edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setTabChangesFocus(true);
        edit->setPlainText(toDisplayText(caption));
        return edit;
    }
    case K::Shape: {
        auto *shape = new QWidget(container);
        shape->setAttribute(Qt::WA_TransparentForMouseEvents);
        shape->setAutoFillBackground(true);
        return shape;
    }
    case K::CheckBox: {
        auto *box = new QCheckBox(caption, container);
        box->setTristate(true);
        box->setCheckState(checkStateOf(row.value));
        return box;
    }
    case K::HScrollBar:
    case K::VScrollBar: {
        // Every scroll bar of the layout picks one of 16 palette colours.
        auto *bar = new QScrollBar(row.kind == K::HScrollBar ? Qt::Horizontal : Qt::Vertical, container);
        bar->setRange(0, 15);
        bar->setValue(0);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        // Qt inverts a scroll bar's controls for the wheel's sake, which makes
        // the Right key step a horizontal bar to the left. These bars take the
        // focus, so their keys step the way they point.
        if (row.kind == K::HScrollBar)
            bar->setInvertedControls(false);
        return bar;
    }
    case K::ListBox: {
        auto *list = new QListWidget(container);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        // A thin frame leaves the one entry of a 16-pixel list its whole height.
        list->setFrameShape(QFrame::Panel);
        list->setFrameShadow(QFrame::Sunken);
        list->setLineWidth(1);
        return list;
    }
    case K::Label: {
        // A one-line label draws its text smaller rather than cut it off.
        QLabel *label = caption.contains(QLatin1Char('\n'))
            ? static_cast<QLabel *>(new StackedLabel(caption, container))
            : new FittingLabel(caption, container);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case K::OptionButton: {
        auto *option = new QRadioButton(caption, container);
        option->setChecked(row.value != 0);
        option->setProperty("index", row.index);
        return option;
    }
    case K::Timer:
        break;
    }
    return nullptr;
}

// An option group is one tab stop, its chosen member, as in a dialog of the
// platform; the arrow keys move within the group.
void keepChosenOptionTheTabStop(QRadioButton *option)
{
    const auto update = [option](bool checked) { option->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus); };
    update(option->isChecked());
    QObject::connect(option, &QAbstractButton::toggled, option, update);
}

QColor resolve(const LaidOutColour &colour, const QWidget *widget)
{
    switch (colour.kind) {
    case LaidOutColour::Kind::Rgb:
        return QColor(colour.rgb);
    case LaidOutColour::Kind::Highlight:
        return widget->palette().color(QPalette::Highlight);
    case LaidOutColour::Kind::Default:
        break;
    }
    return QColor();
}

void applyAppearance(const AppearanceSpec &look, QWidget *widget)
{
    if (look.fontFamilies) {
        QFont font = widget->font();
        const QString family = installedFamily(splitList(look.fontFamilies), splitList(look.fallbacks));
        if (!family.isEmpty())
            font.setFamily(family);
        font.setPointSizeF(look.pointSize);
        font.setBold(look.bold);
        widget->setFont(font);
    }

    auto *label = qobject_cast<QLabel *>(widget);
    if (label) {
        if (look.centred)
            label->setAlignment(Qt::AlignCenter);
        if (look.border) {
            label->setFrameShape(QFrame::Box);
            label->setFrameShadow(QFrame::Plain);
            label->setLineWidth(1);
        }
    }

    if (auto *frame = dynamic_cast<FrameBox *>(widget)) {
        if (look.text.kind == LaidOutColour::Kind::Highlight)
            frame->setCaptionRole(QPalette::Highlight);
        return;
    }

    // Text boxes paint on Base with Text; everything else on Window with WindowText.
    const bool textBox = qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QLineEdit *>(widget);
    QPalette palette = widget->palette();
    const QColor text = resolve(look.text, widget);
    const QColor back = resolve(look.back, widget);
    if (text.isValid())
        palette.setColor(textBox ? QPalette::Text : QPalette::WindowText, text);
    if (back.isValid()) {
        palette.setColor(textBox ? QPalette::Base : QPalette::Window, back);
        if (!textBox)
            widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

} // namespace

int StackedLabel::lineHeight() const
{
    // A text layout measures with the face that actually draws each
    // character, which for Chinese is often a fallback taller than the font.
    int height = QFontMetrics(font()).height();
    for (const QString &line : text().split(QLatin1Char('\n'))) {
        QTextLayout layout(line, font());
        layout.beginLayout();
        const QTextLine measured = layout.createLine();
        layout.endLayout();
        if (measured.isValid())
            height = qMax(height, qCeil(measured.height()));
    }
    return height;
}

void StackedLabel::fitLines()
{
    resize(width(), qMax(height(), int(text().count(QLatin1Char('\n')) + 1) * lineHeight()));
}

void StackedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QStringList lines = text().split(QLatin1Char('\n'));
    const int pitch = lineHeight();
    painter.setPen(palette().color(foregroundRole()));
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QRect(0, i * pitch, width(), pitch), Qt::AlignLeft | Qt::AlignTop, lines.at(i));
}

void FrameBox::setCaptionRole(QPalette::ColorRole role)
{
    m_captionRole = role;
    update();
}

// The style places the caption by the left margin it leaves; the same margin
// is kept on the right. The room is measured for the caption as set (an
// ampersand doubled so that it shows counts twice) and the blank the style
// adds after it.
QFont FrameBox::captionFont() const
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect laidOut = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    return fittingFont(font(), title() + QLatin1Char(' '), width() - 2 * laidOut.left());
}

// How far a smaller caption moves down to keep centred on the frame's top edge.
int FrameBox::captionDrop(const QFont &drawn) const
{
    return (fontMetrics().height() - QFontMetrics(drawn).height()) / 2;
}

QRect FrameBox::captionRect() const
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QFont drawn = captionFont();
    option.fontMetrics = QFontMetrics(drawn);
    return style()
        ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this)
        .translated(0, captionDrop(drawn));
}

void FrameBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    if (m_captionRole != QPalette::NoRole)
        option.textColor = palette().color(m_captionRole);
    // The style sizes the caption by the option's metrics and draws it in the
    // painter's font. The frame is drawn from the caption's middle down, so a
    // smaller caption, drawn lower by the same amount that the frame is drawn
    // shorter, leaves the frame's edges where they are.
    const QFont drawn = captionFont();
    const int drop = captionDrop(drawn);
    option.fontMetrics = QFontMetrics(drawn);
    option.rect.setHeight(height() - drop);
    painter.setFont(drawn);
    painter.translate(0, drop);
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

Qt::CheckState checkStateOf(int value)
{
    switch (value) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

int checkValueOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

const FormSpec &mainFormSpec()
{
    static const FormSpec form = makeMainForm();
    return form;
}

QString objectNameOf(const ControlSpec &row)
{
    const QString name = QString::fromLatin1(row.name);
    return row.index >= 0 ? name + QLatin1Char('_') + QString::number(row.index) : name;
}

const ControlSpec *findControl(const FormSpec &form, const QString &objectName)
{
    for (const ControlSpec &row : form.controls)
        if (objectNameOf(row) == objectName)
            return &row;
    return nullptr;
}

QString toDisplayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString installedFamily(const QStringList &families, const QStringList &fallbacks)
{
    for (const QStringList *list : {&families, &fallbacks})
        for (const QString &family : *list)
            if (QFontDatabase::hasFamily(family))
                return family;
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return chinese.isEmpty() ? QString() : chinese.first();
}

BuiltForm buildForm(const FormSpec &form, QWidget *window)
{
    BuiltForm built;
    window->setObjectName(QString::fromLatin1(form.name));
    window->setWindowTitle(utf8(form.caption));
    QFont font = window->font();
    font.setPointSizeF(form.fontPointSize);
    window->setFont(font);
    window->setFixedSize(twipsToPixels(form.clientWidth), twipsToPixels(form.clientHeight));

    for (const ControlSpec &row : form.controls) {
        const QString name = objectNameOf(row);
        if (row.kind == K::Timer) {
            auto *timer = new QTimer(window);
            timer->setObjectName(name);
            timer->setInterval(1);
            built.timers.insert(name, timer);
            continue;
        }
        QWidget *container = row.container ? built.widgets.value(QString::fromLatin1(row.container)) : window;
        Q_ASSERT_X(container, "buildForm", "a container must come before its contents");
        QWidget *widget = createWidget(row, container);
        widget->setObjectName(name);
        if (row.toolTip)
            widget->setToolTip(utf8(row.toolTip));
        widget->setGeometry(twipsToPixels(row.left, row.top, row.width, row.height));
        widget->setFocusPolicy(takesFocus(row.kind) ? Qt::StrongFocus : Qt::NoFocus);
        built.widgets.insert(name, widget);

        if (row.kind == K::OptionButton) {
            const QString groupName = QString::fromLatin1(row.name);
            QButtonGroup *group = built.groups.value(groupName);
            if (!group) {
                group = new QButtonGroup(window);
                group->setObjectName(groupName);
                built.groups.insert(groupName, group);
            }
            group->addButton(static_cast<QRadioButton *>(widget), row.index);
            keepChosenOptionTheTabStop(static_cast<QRadioButton *>(widget));
        }
    }

    // Stacking: within each container the first control of the table lies on
    // top, and labels and shapes lie beneath every other control.
    for (auto it = form.controls.crbegin(); it != form.controls.crend(); ++it)
        if (QWidget *w = built.widgets.value(objectNameOf(*it)))
            w->raise();
    for (const ControlSpec &row : form.controls)
        if (isGraphical(row.kind))
            built.widgets.value(objectNameOf(row))->lower();

    // Tab order by tab index; labels and frames keep theirs but take no focus.
    QVector<const ControlSpec *> tabStops;
    for (const ControlSpec &row : form.controls)
        if (row.tabIndex >= 0 && takesFocus(row.kind))
            tabStops.append(&row);
    std::sort(tabStops.begin(), tabStops.end(),
              [](const ControlSpec *a, const ControlSpec *b) { return a->tabIndex < b->tabIndex; });
    for (int i = 1; i < tabStops.size(); ++i)
        QWidget::setTabOrder(built.widgets.value(objectNameOf(*tabStops[i - 1])),
                             built.widgets.value(objectNameOf(*tabStops[i])));

    for (const AppearanceSpec &look : form.appearance)
        if (QWidget *w = built.widgets.value(QString::fromLatin1(look.name)))
            applyAppearance(look, w);
    for (QWidget *w : qAsConst(built.widgets))
        if (auto *label = dynamic_cast<StackedLabel *>(w))
            label->fitLines();

    for (const ListSpec &list : form.lists)
        if (auto *w = built.get<QListWidget>(QString::fromLatin1(list.name)))
            w->addItems(splitList(list.entries));

    return built;
}

QSize outerSizeOf(const FormSpec &form)
{
    return QSize(twipsToPixels(form.frameLeft + form.clientWidth + form.frameRight),
                 twipsToPixels(form.frameTop + form.clientHeight + form.frameBottom));
}

void centreOnScreen(const FormSpec &form, QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = outerSizeOf(form);
    window->move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

} // namespace taviro
