// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "util/recentfiles.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace tamo::app {

using util::FileKind;

// The kind of a document (Msp, Usd or Usv) from its first bytes ("TAMO00", "KUSD", "KUSV"), else from the
// extension of its name (.MSP, .USD, .USV in any case); nothing when neither tells.
std::optional<FileKind> fileKindOf(QByteArrayView firstBytes, const QString &fileName);

// What the arguments ask the program to do.
struct StartRequest {
    enum class Action {
        ShowLauncher, // no file: the launcher, as always
        OpenFile,     // the file in the editor of its kind
        Exit,         // done already (help, version, or a bad argument): end with exitCode
    };
    Action action = Action::ShowLauncher;
    FileKind kind = FileKind::Msp;
    QString path;
    int exitCode = 0;
};

// Reads the program's arguments (its name first), before any window exists, so that
// --help, --version and errors work without a display. Help and version text go to
// out; a bad argument or an unreadable or unknown file gets one line on err and exit
// code 2.
StartRequest parseCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace tamo::app
