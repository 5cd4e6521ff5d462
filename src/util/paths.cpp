// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/paths.h"

#include <QDir>

namespace tamo::util {

QString fileNameExtract(const QString &path)
{
    const qsizetype last = path.lastIndexOf(QDir::separator());
    if (last < 0)
        return path;
    return path.mid(last + 1);
}

QString pathNameExtract(const QString &path)
{
    const qsizetype last = path.lastIndexOf(QDir::separator());
    if (last < 0)
        return {};
    return path.left(last + 1);
}

} // namespace tamo::util
