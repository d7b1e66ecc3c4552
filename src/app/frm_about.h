#pragma once

#include "ui/form_layout.h"

#include <QDialog>

namespace taviro {

class FrmMain;

// The About window's layout.
const FormSpec &aboutFormSpec();

// The usage notes, ten lines each ending in CR LF.
QString usageNotes();

// The small modal window with the version line, a contact line and the usage
// notes. It is created anew at every opening.
class FrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit FrmAbout(QWidget *parent = nullptr);

    const BuiltForm &form() const { return m_form; }

    // Creates the window, shows it modally over `parent` and returns when it
    // has been closed.
    static void showModal(QWidget *parent);

private:
    BuiltForm m_form;
};

// Lets the main window's About button open the About window.
void connectAboutWindow(FrmMain &main);

} // namespace taviro
