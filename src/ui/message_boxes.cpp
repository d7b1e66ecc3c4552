#include "message_boxes.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace taviro {

namespace {

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
        box.exec();
    }

    bool askYesNo(QWidget *parent, const QString &text, const QString &title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        box.setDefaultButton(QMessageBox::Yes);
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
};

} // namespace

MessageBoxes &standardMessageBoxes()
{
    static StandardMessageBoxes boxes;
    return boxes;
}

} // namespace taviro
