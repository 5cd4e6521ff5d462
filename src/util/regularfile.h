// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace tamo::util {

// Opens path for reading if it is a regular file. A FIFO, a device or a folder is
// refused without blocking: opening a FIFO waits for a writer, and a device such as
// /dev/zero never ends. On failure returns false with the reason in *error (when given).
bool openRegularFile(QFile &file, const QString &path, QString *error = nullptr);

// Up to max bytes from the current position of file: fewer only at its end.
// nullopt on a read error.
std::optional<QByteArray> readAtMost(QFile &file, qint64 max);

} // namespace tamo::util
