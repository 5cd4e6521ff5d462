// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/recentfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace tamo::util {

namespace {

QString g_settingsPath;

std::unique_ptr<QSettings> openSettings()
{
    if (g_settingsPath.isEmpty())
        return nullptr;
    return std::make_unique<QSettings>(g_settingsPath, QSettings::IniFormat);
}

QString kindKey(FileKind kind)
{
    switch (kind) {
    case FileKind::Msp: return QStringLiteral("msp");
    case FileKind::Wav: return QStringLiteral("wav");
    case FileKind::Usd: return QStringLiteral("usd");
    case FileKind::Usv: return QStringLiteral("usv");
    case FileKind::Sfz: return QStringLiteral("sfz");
    case FileKind::Export: return QStringLiteral("export");
    }
    return QStringLiteral("other");
}

} // namespace

void useSettingsFile(const QString &path) { g_settingsPath = path; }

QString userSettingsFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("TAMO/TAMO.ini"));
}

QString lastFolder(FileKind kind)
{
    const auto settings = openSettings();
    if (!settings)
        return {};
    const QString folder = settings->value(kindKey(kind) + QStringLiteral("/lastFolder")).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void rememberFolder(FileKind kind, const QString &folder)
{
    if (const auto settings = openSettings())
        settings->setValue(kindKey(kind) + QStringLiteral("/lastFolder"), folder);
}

QString startFolder(FileKind kind)
{
    if (const QString last = lastFolder(kind); !last.isEmpty())
        return last;
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return !music.isEmpty() && QFileInfo(music).isDir() ? music : QDir::homePath();
}

QStringList recentDocuments(FileKind kind)
{
    const auto settings = openSettings();
    if (!settings)
        return {};
    return settings->value(kindKey(kind) + QStringLiteral("/recent")).toStringList().mid(0, kRecentDocumentCount);
}

void rememberDocument(FileKind kind, const QString &path)
{
    const auto settings = openSettings();
    if (!settings || path.isEmpty())
        return;
    const QString absolute = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QStringList recent = settings->value(kindKey(kind) + QStringLiteral("/recent")).toStringList();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    settings->setValue(kindKey(kind) + QStringLiteral("/recent"), recent.mid(0, kRecentDocumentCount));
    settings->setValue(kindKey(kind) + QStringLiteral("/lastFolder"), QFileInfo(path).absolutePath());
}

} // namespace tamo::util
