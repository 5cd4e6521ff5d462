// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/paths.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#endif

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

bool makeFolder(const QString &path, QString *error)
{
#ifdef Q_OS_UNIX
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return true;
    if (error)
        *error = qt_error_string(errno);
    return false;
#else
    if (QDir().mkdir(path))
        return true;
    if (error)
        *error = qt_error_string();
    return false;
#endif
}

} // namespace tamo::util
