// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tamo::util {

// The kinds of file the dialogs ask for; each remembers its own folder and documents.
enum class FileKind { Msp, Wav, Usd, Usv, Sfz, Export };

// How many documents a File menu lists.
inline constexpr int kRecentDocumentCount = 8;

// Stores what follows in the settings file at path (INI format) from now on. Until
// this is called nothing is remembered, so code run by tests leaves the user's
// settings alone; the program calls it with the user's settings file at start.
void useSettingsFile(const QString &path);
// The user's own settings file, where the program keeps what it remembers.
QString userSettingsFile();

// The folder a file of kind was last chosen in; empty when none is known or it has gone.
QString lastFolder(FileKind kind);
void rememberFolder(FileKind kind, const QString &folder);
// Where a dialog for kind starts: the folder last used, else the user's music
// folder, else the home folder (never the program's own).
QString startFolder(FileKind kind);

// The documents of kind last opened or saved, newest first, at most kRecentDocumentCount.
QStringList recentDocuments(FileKind kind);
// Puts path first among the recent documents and remembers its folder.
void rememberDocument(FileKind kind, const QString &path);

} // namespace tamo::util
