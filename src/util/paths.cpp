// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

bool makeFolders(const QString &path, QStringList *made, QString *error)
{
    QStringList missing;
    for (QString at = QDir::cleanPath(QDir().absoluteFilePath(path)); !QFileInfo::exists(at); at = QFileInfo(at).absolutePath())
        missing.prepend(at);
    QStringList done;
    for (const QString &folder : std::as_const(missing)) {
        if (!makeFolder(folder, error)) {
            removeEmptyFolders(done);
            return false;
        }
        done.prepend(folder);
    }
    if (made)
        *made = done;
    return true;
}

void removeEmptyFolders(const QStringList &folders)
{
    for (const QString &folder : folders)
        QDir().rmdir(folder);
}

} // namespace tamo::util
