#include "ui/fonts.h"

#include <QStringList>

namespace tamo::ui {

QFont designFont(const QString &family, double points, bool bold, bool underline)
{
    QStringList families{family};
    if (family.compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0
        || family.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0) {
        families << QStringLiteral("Tahoma") << QStringLiteral("DejaVu Sans Condensed")
                 << QStringLiteral("Liberation Sans Narrow") << QStringLiteral("Arial")
                 << QStringLiteral("Liberation Sans") << QStringLiteral("Nimbus Sans");
    } else if (family.compare(QLatin1String("Verdana"), Qt::CaseInsensitive) == 0) {
        families << QStringLiteral("DejaVu Sans") << QStringLiteral("Bitstream Vera Sans");
    }
    families.removeDuplicates();
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

} // namespace tamo::ui
