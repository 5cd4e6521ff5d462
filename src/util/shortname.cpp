#include "util/shortname.h"

#include "util/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace tamo::util {

namespace {

bool isShortNameChar(QChar c)
{
    if (c.unicode() > 0x7e || c.unicode() <= 0x20)
        return false;
    if (c.isLetterOrNumber())
        return true;
    return QStringView(u"!#$%&'()-@^_`{}~").contains(c);
}

// Already in 8.3 form: kept as it is, the way the system leaves such names alone.
bool isValidShortName(const QString &name)
{
    if (name.count(u'.') > 1)
        return false;
    const qsizetype dot = name.indexOf(u'.');
    const qsizetype baseLength = dot < 0 ? name.size() : dot;
    const qsizetype extLength = dot < 0 ? 0 : name.size() - dot - 1;
    if (baseLength < 1 || baseLength > 8 || extLength > 3)
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](QChar c) { return c == u'.' || isShortNameChar(c); });
}

struct NameParts {
    QString prefix; // up to six characters, before "~"
    QString extension; // up to three characters, without "."
};

// Leading dots are dropped; the extension is what follows the last remaining dot.
NameParts partsOf(const QString &longName)
{
    qsizetype start = 0;
    while (start < longName.size() && longName.at(start) == u'.')
        ++start;
    const QStringView rest = QStringView(longName).mid(start);
    const qsizetype dot = rest.lastIndexOf(u'.');
    const QStringView base = dot < 0 ? rest : rest.left(dot);
    const QStringView ext = dot < 0 ? QStringView() : rest.mid(dot + 1);
    NameParts parts{shortNameCharacters(base).left(6), shortNameCharacters(ext).left(3)};
    if (parts.prefix.isEmpty())
        parts.prefix = QStringLiteral("_");
    return parts;
}

QString numbered(const NameParts &parts, int number)
{
    const QString tail = u'~' + QString::number(number);
    QString name = parts.prefix.left(8 - tail.size()) + tail;
    if (!parts.extension.isEmpty())
        name += u'.' + parts.extension;
    return name;
}

QString baseOf(const QString &shortName)
{
    const qsizetype dot = shortName.indexOf(u'.');
    return (dot < 0 ? shortName : shortName.left(dot)).toUpper();
}

// The short name of every entry of the folder, keyed by long name. Names already in
// 8.3 form stay; the others are numbered in sorted order of their long names, each
// taking the lowest number whose base is not used by any other entry, so the
// 8-character base alone tells the entries apart.
QHash<QString, QString> shortNamesOf(const QString &folder)
{
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end());

    QHash<QString, QString> result;
    QSet<QString> takenBases;
    QStringList toNumber;
    for (const QString &name : std::as_const(names)) {
        if (isValidShortName(name)) {
            result.insert(name, name);
            takenBases.insert(baseOf(name));
        } else {
            toNumber.append(name);
        }
    }
    QHash<QString, int> nextNumber; // by prefix
    for (const QString &name : std::as_const(toNumber)) {
        const NameParts parts = partsOf(name);
        int number = nextNumber.value(parts.prefix, 1);
        QString candidate = numbered(parts, number);
        while (takenBases.contains(baseOf(candidate)))
            candidate = numbered(parts, ++number);
        nextNumber.insert(parts.prefix, number + 1);
        takenBases.insert(baseOf(candidate));
        result.insert(name, candidate);
    }
    return result;
}

#ifdef Q_OS_WIN
QString systemShortPath(const QString &path)
{
    const std::wstring wide = QDir::toNativeSeparators(path).toStdWString();
    const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0)
        return {};
    std::wstring buffer(needed, L'\0');
    const DWORD written = GetShortPathNameW(wide.c_str(), buffer.data(), needed);
    if (written == 0 || written >= needed)
        return {};
    buffer.resize(written);
    return QString::fromStdWString(buffer);
}
#endif

} // namespace

QString shortNameCharacters(QStringView text)
{
    QString kept;
    for (const QChar c : text) {
        if (isShortNameChar(c))
            kept.append(c.toUpper());
    }
    return kept;
}

QString ShortFileName(const QString &longName)
{
    if (longName.isEmpty() || !QFileInfo::exists(longName))
        return {};
#ifdef Q_OS_WIN
    return systemShortPath(longName);
#else
    const QString name = fileNameExtract(longName);
    if (name.isEmpty() || name == u"." || name == u".." || isValidShortName(name))
        return longName;
    const QString folder = pathNameExtract(longName);
    const QString shortName = shortNamesOf(folder.isEmpty() ? QStringLiteral(".") : folder)
                                  .value(name);
    if (shortName.isEmpty())
        return {};
    return folder + shortName;
#endif
}

QStringList ShortFileNames(const QStringList &longNames)
{
    QStringList result;
#ifdef Q_OS_WIN
    for (const QString &longName : longNames)
        result << ShortFileName(longName);
#else
    QHash<QString, QHash<QString, QString>> folders;
    for (const QString &longName : longNames) {
        const QString name = fileNameExtract(longName);
        const QString folder = pathNameExtract(longName);
        if (longName.isEmpty() || !QFileInfo::exists(longName) || name.isEmpty() || name == u"."
            || name == u".." || isValidShortName(name)) {
            result << ShortFileName(longName);
            continue;
        }
        auto it = folders.find(folder);
        if (it == folders.end())
            it = folders.insert(folder, shortNamesOf(folder.isEmpty() ? QStringLiteral(".") : folder));
        const QString shortName = it->value(name);
        result << (shortName.isEmpty() ? QString() : folder + shortName);
    }
#endif
    return result;
}

QString findFileCaseInsensitive(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return {};
    const QStringList files = QDir(folder.isEmpty() ? QStringLiteral(".") : folder)
                                  .entryList(QDir::Files | QDir::Hidden | QDir::System,
                                             QDir::Name);
    if (files.contains(name))
        return name;
    for (const QString &file : files) {
        if (file.compare(name, Qt::CaseInsensitive) == 0)
            return file;
    }
    return {};
}

QString longNameForShort(const QString &folder, const QString &shortName)
{
    const QString direct = findFileCaseInsensitive(folder, shortName);
    if (!direct.isEmpty())
        return direct;
    if (shortName.isEmpty())
        return {};
    const QString dir = folder.isEmpty() ? QStringLiteral(".") : folder;
    const QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System,
                                                  QDir::Name);
#ifdef Q_OS_WIN
    for (const QString &file : files) {
        if (fileNameExtract(QDir::toNativeSeparators(systemShortPath(QDir(dir).filePath(file))))
                .compare(shortName, Qt::CaseInsensitive)
            == 0)
            return file;
    }
#else
    const QHash<QString, QString> shortNames = shortNamesOf(dir);
    for (const QString &file : files) {
        if (shortNames.value(file).compare(shortName, Qt::CaseInsensitive) == 0)
            return file;
    }
#endif
    return {};
}

} // namespace tamo::util
