// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace tamo::ui {

namespace {

// Debian's fonts-wine ships a Tahoma drawn to the metrics of the original, but
// outside fontconfig's folders. Its MS Sans Serif is bitmaps of three sizes only,
// so Tahoma, the scalable successor with nearly the same widths, stands in for it.
constexpr const char *kDesignFontFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
};

void addDesignFonts()
{
    static const bool added = [] {
        for (const char *file : kDesignFontFiles)
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        return true;
    }();
    Q_UNUSED(added);
}

} // namespace

QFont designFont(const QString &family, double points, bool bold, bool underline)
{
    addDesignFonts();
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
