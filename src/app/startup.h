// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/commandline.h"

#include <QLocale>
#include <QString>

namespace tamo::app {

// Shows the editor of the file's kind, as the one window of this run, with the file
// at path opened in it (a bank on the left side). A file the editor cannot read is
// reported by the editor, which then stays open empty.
void openInEditor(FileKind kind, const QString &path);

// TAMO's translation for a locale's first language: none for C/POSIX (the design's
// texts), ":/i18n/tamo_fr.qm" for French, ":/i18n/tamo_en.qm" for every other one.
QString translationFile(const QLocale &locale);
// Installs that translation and Qt's own for the locale (where it is installed) on the
// application, in place of those an earlier call installed.
void installTranslations(const QLocale &locale);

} // namespace tamo::app
