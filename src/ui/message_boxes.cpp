#include "message_boxes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace taviro {

namespace {

// The screen area a box over `parent` may take.
QRect availableArea(const QWidget *parent)
{
    const QScreen *screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// A text too long for a message box on the screen (the last group of a long
// list names every one left) in a box that fits the screen: the text scrolls,
// wraps at the box's width and can be selected and copied; 确定 stays on the
// screen and is the default, and Escape closes the box as well.
void informScrolling(QWidget *parent, const QString &text, const QString &caption, const QRect &area)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto *view = new QPlainTextEdit(&dialog);
    view->setPlainText(text);
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("确定"));
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(view);
    layout->addWidget(buttons);
    view->setFocus(); // the keys scroll the text, Ctrl+C copies it; Enter and Escape still reach the dialog
    // Room is left for the window's frame and title bar; the dialog places
    // itself over its parent, within the screen's available area.
    dialog.resize(qMin(area.width() * 3 / 4, 640), area.height() * 3 / 4);
    dialog.exec();
}

// Built by hand rather than with QMessageBox's static helpers, which add an
// icon. The buttons carry Chinese captions whatever translation is loaded.
class StandardMessageBoxes : public MessageBoxes
{
public:
    void inform(QWidget *parent, const QString &text, const QString &caption) override
    {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        // A message box grows with its text, past the screen's edge and its
        // button with it.
        const QRect area = availableArea(parent);
        const QSize wanted = box.sizeHint();
        if (!area.isEmpty() && (wanted.width() > area.width() || wanted.height() > area.height())) {
            informScrolling(parent, text, caption, area);
            return;
        }
        box.exec();
    }

    bool askYesNo(QWidget *parent, const QString &text, const QString &title, Default byDefault) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        box.setDefaultButton(byDefault == Default::Yes ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    bool askText(QWidget *parent, const QString &label, const QString &title, QString &text) override
    {
        QInputDialog dialog(parent);
        dialog.setWindowTitle(title);
        dialog.setLabelText(label);
        dialog.setTextValue(text);
        dialog.setOkButtonText(QStringLiteral("确定"));
        dialog.setCancelButtonText(QStringLiteral("取消"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        text = dialog.textValue();
        return true;
    }
    QStringList askFiles(QWidget *parent, const QString &title, const QString &folder) override
    {
        return QFileDialog::getOpenFileNames(parent, title, folder,
                                             QStringLiteral("中奖名单 (*.txt *.csv *.xlsx);;所有文件 (*)"));
    }
};

} // namespace

MessageBoxes &standardMessageBoxes()
{
    static StandardMessageBoxes boxes;
    return boxes;
}

} // namespace taviro
