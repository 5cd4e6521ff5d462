// SPDX-License-Identifier: GPL-3.0-or-later
#include "sfz/sfzparser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <utility>

namespace tamo::sfz {

namespace {

using namespace Qt::StringLiterals;

// SFZ texts are small; anything larger is not one, and the cap keeps a wrong file
// from filling memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
// Deeper than any real instrument; stops a chain of distinct files early.
constexpr int kMaxIncludeDepth = 64;
// Caps far above real instruments that keep small hostile files (a #define that
// doubles itself, an #include tree fanning out) from exhausting the program.
constexpr qsizetype kMaxLineLength = 1024 * 1024;
constexpr qint64 kMaxIncludedBytes = 32 * 1024 * 1024;
constexpr qsizetype kMaxRegions = 20000;
// Each region holds the opcodes of its headers, and each line may expand: both
// totals are capped too, so neither a huge <group> nor many expanding lines multiply.
constexpr qsizetype kMaxOpcodesInRegions = 500000;
constexpr qsizetype kMaxExpandedTotal = 16 * 1024 * 1024;

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Opcodes whose value is a key: note names are turned into numbers and the
// <control> offsets applied when they are read, as players do.
bool isKeyOpcode(QStringView name)
{
    static const QStringList keys = {u"key"_s, u"lokey"_s, u"hikey"_s, u"pitch_keycenter"_s,
                                     u"sw_last"_s, u"sw_lokey"_s, u"sw_hikey"_s, u"sw_up"_s,
                                     u"sw_down"_s, u"sw_previous"_s, u"sw_default"_s};
    return keys.contains(name);
}

// Key opcodes the import reads: a value that is no note there stops the import;
// in the others it is read past with a warning.
bool isNeededKeyOpcode(QStringView name)
{
    return name == u"key" || name == u"lokey" || name == u"hikey" || name == u"pitch_keycenter" || name == u"sw_last"
        || name == u"sw_default";
}

// Where a #define or #include starts in line: at its start or after a space.
qsizetype directiveAt(QStringView line)
{
    qsizetype first = -1;
    for (const QStringView word : {QStringView(u"#define"), QStringView(u"#include")}) {
        for (qsizetype at = line.indexOf(word); at >= 0; at = line.indexOf(word, at + 1)) {
            if (at == 0 || line.at(at - 1).isSpace()) {
                first = first < 0 ? at : std::min(first, at);
                break;
            }
        }
    }
    return first;
}

QString slashes(QString path)
{
    return path.replace(u'\\', u'/');
}

bool readFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

class Parser {
public:
    SfzDocument document;

    // Returns false once an error is set.
    // identity: the file's canonical path; empty for the top text, whose own is
    // looked up (a text from memory has no file yet: its absolute path stands for it).
    bool parse(QByteArrayView text, const QString &path, int depth, QString identity = {})
    {
        SourcePlace place{path, 0}; // an included file's path is already clean and absolute
        if (identity.isEmpty()) {
            const QFileInfo info(path);
            identity = info.canonicalFilePath();
            place.file = info.absoluteFilePath();
        }
        m_includeStack.append(identity.isEmpty() ? place.file : identity);
        bool inComment = false;
        SourcePlace commentStart;
        const QList<QByteArrayView> lines = split(text);
        for (const QByteArrayView line : lines) {
            ++place.line;
            QString clean = stripComments(QString::fromUtf8(line), inComment);
            if (inComment && commentStart.line == 0)
                commentStart = place;
            if (!inComment)
                commentStart = {};
            if (!parseLine(clean, place, depth))
                return false;
        }
        if (inComment)
            return fail(QCoreApplication::translate("SfzParser", "The comment started here is never closed with */"), commentStart);
        m_includeStack.removeLast();
        return true;
    }

private:
    enum class Level { None, Control, Global, Master, Group, Region, Other };

    Level m_level = Level::None;
    QList<Opcode> m_global, m_master, m_group;
    QList<Opcode> m_inherited; // the three together
    bool m_inheritedValid = false;
    QString m_defaultPath;
    int m_octaveOffset = 0;
    int m_noteOffset = 0;
    QHash<QString, QString> m_defines; // by name, $ included
    QList<qsizetype> m_defineLengths;  // of the names, longest first
    QStringList m_includeStack;
    qint64 m_includedBytes = 0;
    qint64 m_expanded = 0;
    qsizetype m_opcodesInRegions = 0;
    struct IncludedFile {
        QString identity; // canonical path; empty when it cannot be read
        QByteArray bytes;
        bool exists;
    };
    QHash<QString, IncludedFile> m_included; // by clean absolute path

    static QList<QByteArrayView> split(QByteArrayView text)
    {
        QList<QByteArrayView> lines;
        qsizetype start = 0;
        while (start <= text.size()) {
            qsizetype end = text.indexOf('\n', start);
            if (end < 0)
                end = text.size();
            QByteArrayView line = text.sliced(start, end - start);
            if (line.endsWith('\r'))
                line.chop(1);
            lines.append(line);
            start = end + 1;
        }
        return lines;
    }

    // Removes // to the end of the line and /* */ (which may span lines).
    static QString stripComments(const QString &line, bool &inComment)
    {
        QString kept;
        qsizetype i = 0;
        while (i < line.size()) {
            if (inComment) {
                const qsizetype end = line.indexOf(u"*/", i);
                if (end < 0)
                    return kept;
                inComment = false;
                i = end + 2;
                kept += u' ';
                continue;
            }
            const qsizetype slash = line.indexOf(u'/', i);
            if (slash < 0 || slash + 1 >= line.size()) {
                kept += QStringView(line).sliced(i);
                return kept;
            }
            kept += QStringView(line).sliced(i, slash - i);
            i = slash;
            if (line.at(i + 1) == u'/')
                return kept;
            if (line.at(i + 1) == u'*') {
                inComment = true;
                i += 2;
            } else {
                kept += line.at(i++);
            }
        }
        return kept;
    }

    bool fail(const QString &message, const SourcePlace &place)
    {
        document.error = {message, place};
        return false;
    }

    void warn(const QString &message, const SourcePlace &place)
    {
        document.notes << SfzError{message, place}.text();
    }

    // text with each $NAME replaced by its value, the longest defined name first, in
    // one pass; false (and an error) when the result grows beyond the cap.
    bool expand(QString &text, const SourcePlace &place)
    {
        if (m_defines.isEmpty() || !text.contains(u'$'))
            return true;
        QString out;
        qsizetype i = 0;
        while (i < text.size()) {
            const qsizetype dollar = text.indexOf(u'$', i);
            if (dollar < 0) {
                out += QStringView(text).sliced(i);
                break;
            }
            out += QStringView(text).sliced(i, dollar - i);
            qsizetype run = dollar + 1;
            while (run < text.size() && isNameChar(text.at(run)))
                ++run;
            i = dollar + 1;
            const QString *value = nullptr;
            for (const qsizetype length : std::as_const(m_defineLengths)) {
                if (length <= run - dollar) {
                    const auto found = m_defines.constFind(text.sliced(dollar, length));
                    if (found != m_defines.cend()) {
                        value = &*found;
                        i = dollar + length;
                        break;
                    }
                }
            }
            out += value ? *value : u"$"_s;
            if (out.size() > kMaxLineLength)
                return fail(QCoreApplication::translate("SfzParser", "The line grows beyond %1 characters once its $names are replaced").arg(kMaxLineLength), place);
        }
        m_expanded += out.size();
        if (m_expanded > kMaxExpandedTotal)
            return fail(QCoreApplication::translate("SfzParser", "The $names expand to more than %1 MB of text in all").arg(kMaxExpandedTotal >> 20), place);
        text = out;
        return true;
    }

    bool parseLine(QString line, const SourcePlace &place, int depth)
    {
        if (line.size() > kMaxLineLength)
            return fail(QCoreApplication::translate("SfzParser", "The line is longer than %1 characters").arg(kMaxLineLength), place);
        const qsizetype directive = directiveAt(line);
        if (directive > 0) {
            // Opcodes before a directive on the same line are read first.
            if (!parseLine(line.left(directive), place, depth))
                return false;
            line = line.mid(directive);
        }
        if (directive >= 0) {
            const bool isDefine = line.startsWith(u"#define");
            const QString rest = line.mid(isDefine ? 7 : 8).trimmed();
            return isDefine ? define(rest, place) : include(rest, place, depth);
        }
        if (!expand(line, place))
            return false;

        qsizetype i = 0;
        while (true) {
            while (i < line.size() && line.at(i).isSpace())
                ++i;
            if (i >= line.size())
                return true;
            if (line.at(i) == u'<') {
                const qsizetype close = line.indexOf(u'>', i);
                if (close < 0)
                    return fail(QCoreApplication::translate("SfzParser", "The header is not closed with >"), place);
                if (!header(line.mid(i + 1, close - i - 1).trimmed(), place))
                    return false;
                i = close + 1;
                continue;
            }
            qsizetype nameEnd = i;
            while (nameEnd < line.size() && isNameChar(line.at(nameEnd)))
                ++nameEnd;
            if (nameEnd == i || nameEnd >= line.size() || line.at(nameEnd) != u'=') {
                const QString word = shownValue(line.mid(i).section(u' ', 0, 0));
                return fail(QCoreApplication::translate("SfzParser", "Expected an opcode (name=value) but found \"%1\"").arg(word), place);
            }
            const qsizetype valueStart = nameEnd + 1;
            const qsizetype valueEnd = endOfValue(line, valueStart);
            const QString name = line.mid(i, nameEnd - i);
            const QString value = line.mid(valueStart, valueEnd - valueStart).trimmed();
            if (value.isEmpty())
                warn(QCoreApplication::translate("SfzParser", "The opcode %1 has no value; it is read past").arg(name), place);
            else if (!opcode(name, value, place))
                return false;
            i = valueEnd;
        }
    }

    // A value runs to the next header, the next "name=" after a space, or the end of
    // the line: so file names may hold spaces. Each run of spaces is looked at once.
    static qsizetype endOfValue(const QString &line, qsizetype from)
    {
        qsizetype i = from;
        while (i < line.size()) {
            if (line.at(i) == u'<')
                return i;
            if (!line.at(i).isSpace()) {
                ++i;
                continue;
            }
            qsizetype j = i;
            while (j < line.size() && line.at(j).isSpace())
                ++j;
            qsizetype k = j;
            while (k < line.size() && isNameChar(line.at(k)))
                ++k;
            if (k > j && k < line.size() && line.at(k) == u'=')
                return i;
            i = j;
        }
        return line.size();
    }

    bool define(const QString &rest, const SourcePlace &place)
    {
        const qsizetype space = std::find_if(rest.begin(), rest.end(), [](QChar c) { return c.isSpace(); }) - rest.begin();
        const QString name = rest.left(space);
        const QString value = rest.mid(space).trimmed();
        if (name.size() < 2 || !name.startsWith(u'$')
            || !std::all_of(name.begin() + 1, name.end(), isNameChar) || value.isEmpty())
            return fail(QCoreApplication::translate("SfzParser", "Expected #define $NAME value"), place);
        // A value naming earlier defines holds their values: each expansion is then
        // one pass, and its growth is checked here.
        QString expanded = value;
        if (!expand(expanded, place))
            return false;
        m_defines.insert(name, expanded);
        // $AB before $A, so the shorter name never eats part of the longer one.
        if (!m_defineLengths.contains(name.size())) {
            m_defineLengths.append(name.size());
            std::sort(m_defineLengths.begin(), m_defineLengths.end(), std::greater<>());
        }
        return true;
    }

    bool include(QString rest, const SourcePlace &place, int depth)
    {
        if (!expand(rest, place))
            return false;
        if (rest.size() < 2 || !rest.startsWith(u'"') || !rest.endsWith(u'"'))
            return fail(u"Expected #include \"file\""_s, place);
        const QString name = slashes(rest.mid(1, rest.size() - 2));
        const QString path = QDir::cleanPath(QFileInfo(place.file).absoluteDir().filePath(name));
        // A file included many times is looked up and read once.
        auto known = m_included.constFind(path);
        if (known == m_included.cend()) {
            IncludedFile file{QFileInfo(path).canonicalFilePath(), {}, false};
            file.exists = !file.identity.isEmpty() && QFileInfo(path).isFile();
            if (file.exists && !readFile(path, file.bytes))
                file.identity.clear();
            known = m_included.insert(path, file);
        }
        if (!known->exists)
            return fail(QCoreApplication::translate("SfzParser", "The included file \"%1\" does not exist").arg(name), place);
        if (known->identity.isEmpty())
            return fail(QCoreApplication::translate("SfzParser", "The included file \"%1\" cannot be read").arg(name), place);
        if (m_includeStack.contains(known->identity))
            return fail(u"#include loop: \"%1\" is already being read"_s.arg(name), place);
        if (depth + 1 > kMaxIncludeDepth)
            return fail(u"#include nested too deeply at \"%1\""_s.arg(name), place);
        m_includedBytes += known->bytes.size();
        if (m_includedBytes > kMaxIncludedBytes)
            return fail(u"The #include files come to more than %1 MB in all at \"%2\""_s.arg(kMaxIncludedBytes >> 20).arg(name), place);
        const IncludedFile file = *known; // the hash may grow while it is read
        return parse(file.bytes, path, depth + 1, file.identity);
    }

    bool header(const QString &name, const SourcePlace &place)
    {
        if (name != u"region")
            m_inheritedValid = false;
        if (name == u"control") {
            // Each <control> starts afresh, as players do.
            m_level = Level::Control;
            m_defaultPath.clear();
            m_octaveOffset = m_noteOffset = 0;
        } else if (name == u"global") {
            m_level = Level::Global;
            m_global.clear();
            m_master.clear();
            m_group.clear();
        } else if (name == u"master") {
            m_level = Level::Master;
            m_master.clear();
            m_group.clear();
        } else if (name == u"group") {
            m_level = Level::Group;
            m_group.clear();
        } else if (name == u"region") {
            if (document.regions.size() >= kMaxRegions)
                return fail(QCoreApplication::translate("SfzParser", "More than %1 regions").arg(kMaxRegions), place);
            m_level = Level::Region;
            // Made once per change of the headers, shared by the regions until each adds its own.
            if (!m_inheritedValid) {
                m_inherited = m_global + m_master + m_group;
                m_inheritedValid = true;
            }
            m_opcodesInRegions += m_inherited.size();
            if (m_opcodesInRegions > kMaxOpcodesInRegions)
                return fail(QCoreApplication::translate("SfzParser", "The regions hold more than %1 opcodes in all").arg(kMaxOpcodesInRegions), place);
            document.regions.append({m_inherited, place});
        } else {
            m_level = Level::Other;
            const QString note = QCoreApplication::translate("SfzParser", "<%1> header read past (first at %2)").arg(name, place.text());
            if (!std::any_of(document.notes.cbegin(), document.notes.cend(), [&](const QString &n) {
                    return n.startsWith(u'<' + name + u'>');
                }))
                document.notes.append(note);
        }
        return true;
    }

    bool opcode(const QString &name, QString value, const SourcePlace &place)
    {
        if (m_level == Level::None)
            return fail(QCoreApplication::translate("SfzParser", "The opcode %1 comes before any header").arg(name), place);
        if (m_level == Level::Other)
            return true;
        if (m_level == Level::Control) {
            if (name == u"default_path") {
                m_defaultPath = slashes(value);
                if (!m_defaultPath.endsWith(u'/'))
                    m_defaultPath += u'/';
            } else if (name == u"octave_offset" || name == u"note_offset") {
                bool ok = false;
                const int offset = value.toInt(&ok);
                if (!ok)
                    return fail(QCoreApplication::translate("SfzParser", "%1 needs a whole number, not \"%2\"").arg(name, value), place);
                (name == u"octave_offset" ? m_octaveOffset : m_noteOffset) = offset;
            } else {
                document.controlOpcodes.append({name, value, place});
            }
            return true;
        }
        if (isKeyOpcode(name) && !(name == u"pitch_keycenter" && value == u"sample")) {
            const std::optional<int> note = parseNote(value);
            if (!note && isNeededKeyOpcode(name))
                return fail(QCoreApplication::translate("SfzParser", "\"%1\" is not a note for %2").arg(shownValue(value), name), place);
            if (!note) {
                warn(QCoreApplication::translate("SfzParser", "\"%1\" is not a note for %2; it is read past").arg(shownValue(value), name), place);
                return true;
            }
            value = QString::number(*note + 12 * m_octaveOffset + m_noteOffset);
        } else if (name == u"sample") {
            value = slashes(value);
            if (!QDir::isAbsolutePath(value) && !value.startsWith(u'*'))
                value.prepend(m_defaultPath);
        }
        const Opcode parsed{name, value, place};
        switch (m_level) {
        case Level::Global: m_global.append(parsed); m_inheritedValid = false; break;
        case Level::Master: m_master.append(parsed); m_inheritedValid = false; break;
        case Level::Group: m_group.append(parsed); m_inheritedValid = false; break;
        default:
            if (++m_opcodesInRegions > kMaxOpcodesInRegions)
                return fail(QCoreApplication::translate("SfzParser", "The regions hold more than %1 opcodes in all").arg(kMaxOpcodesInRegions), place);
            document.regions.last().opcodes.append(parsed);
            break;
        }
        return true;
    }
};

} // namespace

QString SourcePlace::text() const
{
    if (line == 0) // a place that is no line of a file (a SoundFont's zone)
        return file;
    return QCoreApplication::translate("SfzParser", "%1, line %2").arg(QFileInfo(file).fileName()).arg(line);
}

QString SfzError::text() const
{
    return place.text() + u": "_s + message;
}

const Opcode *Region::find(QStringView name) const
{
    for (auto it = opcodes.crbegin(); it != opcodes.crend(); ++it) {
        if (it->name == name)
            return &*it;
    }
    return nullptr;
}

std::optional<int> parseNote(QStringView text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        return number;
    if (text.isEmpty())
        return std::nullopt;
    // C D E F G A B
    static constexpr int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7}; // a..g
    const char16_t letter = text.at(0).toLower().unicode();
    if (letter < u'a' || letter > u'g')
        return std::nullopt;
    int note = kSemitones[letter - u'a'];
    qsizetype i = 1;
    if (i < text.size() && (text.at(i) == u'#' || text.at(i) == u'b')) {
        note += text.at(i) == u'#' ? 1 : -1;
        ++i;
    }
    const int octave = text.sliced(i).toInt(&ok);
    if (!ok || i == text.size())
        return std::nullopt;
    return note + 12 * (octave + 1);
}

QString shownValue(const QString &value)
{
    constexpr qsizetype kShown = 40;
    return value.size() <= kShown ? value : value.left(kShown) + u"..."_s;
}

SfzDocument parseSfzText(QByteArrayView text, const QString &path)
{
    Parser parser;
    parser.document.folder = QFileInfo(path).absolutePath();
    parser.parse(text, path, 0);
    return std::move(parser.document);
}

SfzDocument parseSfzFile(const QString &path)
{
    QByteArray bytes;
    if (!readFile(path, bytes)) {
        SfzDocument document;
        document.error = {QCoreApplication::translate("SfzParser", "The file cannot be read"), {QFileInfo(path).absoluteFilePath(), 0}};
        return document;
    }
    return parseSfzText(bytes, path);
}

} // namespace tamo::sfz
