// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/shortname.h"

#include "util/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
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

QString shortNameChars(QStringView text)
{
    QString kept;
    for (const QChar c : text) {
        if (isShortNameChar(c))
            kept.append(c.toUpper());
    }
    return kept;
}

// The short form of a name not already in 8.3 form: up to three characters of its
// base, "~", then four characters of a hash of the whole long name, and up to three
// of its extension ("Grand Piano C3.wav" gives "GRA~" + four characters + ".WAV").
// It depends on the name alone, so adding or removing other files never moves it,
// the way Samba makes its 8.3 aliases; where two names meet on one short form, the
// folder's assignment (shortFormsIn) moves the later one to the next free tail.
QString mangledName(const QString &longName, quint32 step = 0)
{
    // Leading dots are dropped; the extension is what follows the last remaining dot.
    qsizetype start = 0;
    while (start < longName.size() && longName.at(start) == u'.')
        ++start;
    const QStringView rest = QStringView(longName).mid(start);
    const qsizetype dot = rest.lastIndexOf(u'.');
    QString prefix = shortNameChars(dot < 0 ? rest : rest.left(dot)).left(3);
    const QString extension = shortNameChars(dot < 0 ? QStringView() : rest.mid(dot + 1)).left(3);
    if (prefix.isEmpty())
        prefix = QStringLiteral("_");

    // FNV-1a over the UTF-8 bytes: the same on every system and in every run.
    quint32 hash = 2166136261u;
    for (const char c : longName.toUtf8()) {
        hash ^= quint8(c);
        hash *= 16777619u;
    }
    static constexpr quint32 kTails = 36 * 36 * 36 * 36;
    hash = (hash % kTails + step) % kTails;
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QString tail(4, u'0');
    for (qsizetype i = tail.size() - 1; i >= 0; --i) {
        tail[i] = QLatin1Char(kDigits[hash % 36]);
        hash /= 36;
    }
    QString name = prefix + u'~' + tail;
    if (!extension.isEmpty())
        name += u'.' + extension;
    return name;
}

QStringList entriesOf(const QString &folder, QDir::Filters kind)
{
    return QDir(folder.isEmpty() ? QStringLiteral(".") : folder)
        .entryList(kind | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

#ifndef Q_OS_WIN
// The short form of each entry of a folder, upper-cased names as keys: names in
// 8.3 form keep their own, the others, in name order, take their hashed form or,
// when an earlier one holds it, the next free tail. The same folder contents give
// the same forms.
QHash<QString, QString> shortFormsIn(const QStringList &entries)
{
    QHash<QString, QString> forms;
    QSet<QString> taken;
    for (const QString &entry : entries) {
        if (isValidShortName(entry))
            taken.insert(entry.toUpper());
    }
    for (const QString &entry : entries) {
        if (isValidShortName(entry)) {
            forms.insert(entry, entry);
            continue;
        }
        QString form = mangledName(entry);
        for (quint32 step = 1; taken.contains(form.toUpper()); ++step)
            form = mangledName(entry, step);
        taken.insert(form.toUpper());
        forms.insert(entry, form);
    }
    return forms;
}
#endif

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

QString shortNameCharacters(QStringView text) { return shortNameChars(text); }

bool isStickName(QStringView name)
{
    static const QRegularExpression rule(QStringLiteral("^[A-Z0-9_~-]{1,8}$"));
    return rule.match(name.toString()).hasMatch();
}

QString stickName(QStringView text, qsizetype length)
{
    QStringList words{QString()};
    for (const QChar c : text) {
        const char16_t u = c.toUpper().unicode();
        if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9'))
            words.last() += QChar(u);
        else if (u == u'#')
            words.last() += u'S';
        else if (!words.last().isEmpty())
            words << QString();
    }
    words.removeAll(QString());
    if (words.isEmpty())
        return QStringLiteral("_");
    // A device name (CON, LPT1) is no file name on the stick.
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9]|CLOCK)$"));
    if (words.size() == 1 && device.match(words.first()).hasMatch())
        words.first().prepend(u'_');
    if (words.join(u'_').size() <= length)
        return words.join(u'_');
    if (words.join(QString()).size() <= length)
        return words.join(QString());
    // Long numbers (a library's catalogue numbers) say least.
    static const QRegularExpression longNumber(QStringLiteral("^[0-9]{4,}$"));
    if (words.size() > words.filter(longNumber).size())
        words.removeIf([](const QString &word) { return longNumber.match(word).hasMatch(); });
    static const QString kVowels = QStringLiteral("AEIOU");
    for (QString &word : words) {
        for (qsizetype i = word.size() - 2; i >= 1; --i) {
            if (kVowels.contains(word.at(i)))
                word.remove(i, 1);
        }
    }
    if (words.join(u'_').size() <= length)
        return words.join(u'_');
    while (words.join(QString()).size() > length) {
        const auto longest = std::max_element(words.begin(), words.end(),
                                              [](const QString &a, const QString &b) { return a.size() < b.size(); });
        if (longest->size() <= 1)
            break;
        longest->chop(1);
    }
    return words.join(QString()).left(length);
}

QString freeStickName(const QString &stem, const QString &tail, const std::function<bool(const QString &)> &isFree)
{
    constexpr qsizetype kLength = 8;
    if (isFree(stem + tail))
        return stem + tail;
    for (int n = 2;; ++n) {
        const QString number = QString::number(n);
        const QString name = stem.left(std::max<qsizetype>(0, kLength - tail.size() - number.size())) + number + tail;
        if (isFree(name))
            return name;
    }
}

QString shortFormOf(const QString &fileName)
{
    return isValidShortName(fileName) ? fileName : mangledName(fileName);
}

QString ShortFileName(const QString &longName)
{
    if (longName.isEmpty() || !QFileInfo::exists(longName))
        return {};
#ifdef Q_OS_WIN
    return systemShortPath(longName);
#else
    const QString name = fileNameExtract(longName);
    if (name.isEmpty() || name == u"." || name == u"..")
        return longName;
    if (isValidShortName(name))
        return longName;
    const QString folder = pathNameExtract(longName);
    return folder + shortFormsIn(entriesOf(folder, QDir::AllEntries)).value(name, shortFormOf(name));
#endif
}

QStringList ShortFileNames(const QStringList &longNames)
{
    // A short name needs no look at the folder beyond the file's own existence.
    QStringList result;
    result.reserve(longNames.size());
    for (const QString &longName : longNames)
        result << ShortFileName(longName);
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

QString findPathCaseInsensitive(const QString &folder, const QString &relative)
{
    const QString exact = QDir::cleanPath(QDir(folder).absoluteFilePath(relative));
    if (QFileInfo(exact).isFile())
        return exact;
    QString current = QDir::isAbsolutePath(relative) ? QDir::rootPath() : folder;
    const QStringList parts = QDir::cleanPath(relative).split(u'/', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        const bool last = i + 1 == parts.size();
        QDir dir(current);
        if (part == u"..") {
            current = QDir::cleanPath(dir.filePath(part));
            continue;
        }
        if (const QFileInfo asWritten(dir.filePath(part)); last ? asWritten.isFile() : asWritten.isDir()) {
            current = dir.filePath(part);
            continue;
        }
        const QStringList entries = dir.entryList((last ? QDir::Files : QDir::Dirs) | QDir::Hidden | QDir::System
                                                  | QDir::NoDotAndDotDot, QDir::Name);
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [&](const QString &e) { return e.compare(part, Qt::CaseInsensitive) == 0; });
        if (found == entries.end())
            return {};
        current = dir.filePath(*found);
    }
    return QFileInfo(current).isFile() ? current : QString();
}

QString longNameForShort(const QString &folder, const QString &shortName)
{
    const QString direct = findFileCaseInsensitive(folder, shortName);
    if (!direct.isEmpty() || shortName.isEmpty())
        return direct;
#ifdef Q_OS_WIN
    const QString dir = folder.isEmpty() ? QStringLiteral(".") : folder;
    for (const QString &file : entriesOf(folder, QDir::Files)) {
        if (fileNameExtract(QDir::toNativeSeparators(systemShortPath(QDir(dir).filePath(file))))
                .compare(shortName, Qt::CaseInsensitive)
            == 0)
            return file;
    }
    return {};
#else
    const QHash<QString, QString> forms = shortFormsIn(entriesOf(folder, QDir::AllEntries));
    for (auto it = forms.cbegin(); it != forms.cend(); ++it) {
        if (it.value().compare(shortName, Qt::CaseInsensitive) == 0)
            return QFileInfo(QDir(folder.isEmpty() ? QStringLiteral(".") : folder).filePath(it.key())).isFile() ? it.key() : QString();
    }
    return {};
#endif
}

QStringList shortNameClashes(const QString &longName)
{
#ifdef Q_OS_WIN
    Q_UNUSED(longName);
    return {}; // the system keeps its short names apart
#else
    const QString name = fileNameExtract(longName);
    if (name.isEmpty())
        return {};
    // Only a name in 8.3 form that differs from another in case alone can meet it.
    const QHash<QString, QString> forms = shortFormsIn(entriesOf(pathNameExtract(longName), QDir::AllEntries));
    const QString shortName = forms.value(name, shortFormOf(name));
    QStringList others;
    for (auto it = forms.cbegin(); it != forms.cend(); ++it) {
        if (it.key() != name && it.value().compare(shortName, Qt::CaseInsensitive) == 0)
            others << it.key();
    }
    others.sort();
    return others;
#endif
}

} // namespace tamo::util
