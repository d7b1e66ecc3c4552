#include "frm_about.h"

#include "ui/compact_style.h"
#include "ui/frm_main.h"
#include "ui/version.h"

#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>

namespace taviro {

namespace {

using K = ControlKind;

const char *const kUsageNotes =
    "★本摇号软件绿色免费。\r\n"
    "★使用时请在软件目录下的bonus.txt文件为摇号(抽奖)的资料库。可以从Excel、Word文档等直接复制粘贴过来。\r\n"
    "★每次软件刚运行，点击一次初始化，然后就可以摇号了。\r\n"
    "★开始按钮旁边的文本框里输入本次摇号需要摇出的号码个数。（默认是1个）可以直接按回车或空格键\r\n"
    "★进行摇号开始或停止。\r\n"
    "★字体设置的地方，双击字体二字可以伸缩字体列表，方便选择操作。\r\n"
    "★单击结果区右下角“V”“H”小按钮可以分别实现垂直伸缩和水平伸缩。\r\n"
    "★打印按钮可以打印当前结果区的内容。\r\n"
    "--------------\r\n"
    "★请关注我的博客上最新版本下载信息。\r\n";

const char *const kContactLine = "问题与建议：请提交到 Taviro 项目的问题跟踪页。";

FormSpec makeAboutForm()
{
    FormSpec f;
    f.name = "FrmAbout";
    f.caption = "关于";
    f.clientWidth = 4680;
    f.clientHeight = 2910;
    f.frameLeft = 45;
    f.frameTop = 315;
    f.frameRight = 45;
    f.frameBottom = 45;
    f.fontPointSize = 9;
    // name, index, kind, container, caption, tool tip, left, top, width, height, tab, value
    f.controls = {
        {"Txt_Help", -1, K::MultiLineTextBox, nullptr, kUsageNotes, nullptr, 120, 1200, 4455, 1575, 1, 0},
        {"Label2", -1, K::Label, nullptr, kContactLine, nullptr, 240, 720, 4215, 375, 2, 0},
        {"LblVer", -1, K::Label, nullptr, "", nullptr, 120, 0, 4455, 735, 0, 0},
    };
    // name, families, fallbacks, points, bold, text, back, centred, border
    f.appearance = {
        {"LblVer", "微软雅黑|Microsoft YaHei", kSansFallbacks, 14.25, true, kHighlightColour, kDefaultColour, true,
         false},
        {"Label2", "宋体|SimSun|NSimSun", kSerifFallbacks, 9, true, rgbColour(0xC00000), kDefaultColour, false, false},
        {"Txt_Help", nullptr, nullptr, 0, false, rgbColour(0x0000FF), kDefaultColour, false, false},
    };
    return f;
}

} // namespace

const FormSpec &aboutFormSpec()
{
    static const FormSpec form = makeAboutForm();
    return form;
}

QString usageNotes() { return QString::fromUtf8(kUsageNotes); }

FrmAbout::FrmAbout(QWidget *parent)
    : QDialog(parent)
{
    useCompactStyle();
    // A tool window: a small title bar with the caption and a close box, no
    // task-bar entry.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // No icon: an icon of its own, an empty one, keeps it from showing the
    // main window's.
    setWindowIcon(QIcon());
    setModal(true);
    m_form = buildForm(aboutFormSpec(), this);
    m_form.get<QLabel>(QStringLiteral("Label2"))->setWordWrap(true);

    m_form.get<QLabel>(QStringLiteral("LblVer"))->setText(aboutVersionLine());
    m_form.get<QPlainTextEdit>(QStringLiteral("Txt_Help"))->setFocus();
    centreOnScreen(aboutFormSpec(), this);
}

void FrmAbout::showModal(QWidget *parent)
{
    FrmAbout about(parent);
    about.exec();
}

void connectAboutWindow(FrmMain &main)
{
    QObject::connect(&main, &FrmMain::aboutRequested, &main, [&main] { FrmAbout::showModal(&main); });
}

} // namespace taviro
