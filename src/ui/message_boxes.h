#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace taviro {

// Every report to the user goes through here, so tests can read each box's
// text and caption and answer the questions.
class MessageBoxes
{
public:
    // The button Enter presses in a Yes/No box: No where Yes would do harm.
    enum class Default { Yes, No };

    virtual ~MessageBoxes() = default;
    // A modal box with an OK button only.
    virtual void inform(QWidget *parent, const QString &text, const QString &caption) = 0;
    // A modal Yes/No box with Escape as No; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &text, const QString &title,
                          Default byDefault = Default::Yes) = 0;
    // A modal box asking for one line of text, `text` holding what it starts
    // with; false when it is cancelled.
    virtual bool askText(QWidget *parent, const QString &label, const QString &title, QString &text) = 0;
    // A modal dialog choosing one or more files to read, opening in `folder`;
    // empty when it is cancelled.
    virtual QStringList askFiles(QWidget *parent, const QString &title, const QString &folder) = 0;
};

// QMessageBox without an icon.
MessageBoxes &standardMessageBoxes();

} // namespace taviro
