#include "compact_style.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace taviro {

void useCompactStyle()
{
    static const QString kStyle = QStringLiteral("windows");
    if (QApplication::style() && QApplication::style()->name().compare(kStyle, Qt::CaseInsensitive) == 0)
        return;
    if (QStyle *style = QStyleFactory::create(kStyle))
        QApplication::setStyle(style);
}

} // namespace taviro
