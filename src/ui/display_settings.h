#pragma once

#include <QColor>
#include <QHash>
#include <QObject>

class QListWidget;
class QWidget;

namespace taviro {

struct BuiltForm;

// The sixteen colours a colour bar chooses from; its value 0..15 is the index.
QColor PaletteColor(int index);

// The settings panel's behaviour: the colour bars, the font and size lists,
// the alignment of the roll label and the expanding and collapsing of the
// font lists. It keeps no settings of its own: the current setting is the
// target's property. Lives as a child of `window`.
class DisplaySettings : public QObject
{
public:
    DisplaySettings(QWidget *window, const BuiltForm &form);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<QObject *, QListWidget *> m_labelLists; // a 字体 label and the font list it expands
    QListWidget *m_listFontsRoll = nullptr;
};

} // namespace taviro
