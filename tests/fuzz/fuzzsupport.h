// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared pieces of the fuzz targets: a failed property aborts (libFuzzer then
// keeps the input), and inputs reach the path-based readers through files. Only
// the header-only parts of testsupport.h may be used here.

#include "../support/testsupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>


#define FUZZ_CHECK(cond) \
    ((cond) ? void() : (std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond), std::abort()))

namespace tamo::fuzz {

inline QByteArrayView input(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A private folder, in memory where the system offers it: the atomic writer syncs
// every file it commits.
inline QDir scratchFolder()
{
    static const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                                    : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/tamo-fuzz-XXXXXX"));
    FUZZ_CHECK(dir.isValid());
    return QDir(dir.path());
}

// Writes bytes to a file of the scratch folder and returns its path.
inline QString writeFile(const QString &name, QByteArrayView bytes)
{
    const QString path = scratchFolder().filePath(name);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes.data(), bytes.size()) == bytes.size());
    return path;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

template <class T> T *child(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    FUZZ_CHECK(found);
    return found;
}

// A tool must leave no temporary file behind.
inline bool onlyFile(const QString &name)
{
    return scratchFolder().entryList(QDir::Files | QDir::Hidden | QDir::System) == QStringList{name};
}

} // namespace tamo::fuzz
