#include "util/shortname.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo::util;
using namespace Qt::StringLiterals;

class TestShortName : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shortNames_data();
    void shortNames();
    void missingFile();
    void collidingRandomNamesStayUniqueAndInvert();
    void findFile_data();
    void findFile();
    void longNameForShortName_data();
    void longNameForShortName();
};

namespace {

void touch(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
}

// Base of 1..8 characters, at most one ".", extension of at most 3, no spaces.
bool isEightDotThree(const QString &name)
{
    const QStringList parts = name.split(u'.');
    return parts.size() <= 2 && !parts[0].isEmpty() && parts[0].size() <= 8
           && (parts.size() == 1 || parts[1].size() <= 3) && !name.contains(u' ');
}

} // namespace

void TestShortName::shortNames_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("already short") << QStringList{u"PIANO.WAV"_s} << u"PIANO.WAV"_s << u"PIANO.WAV"_s;
    QTest::newRow("short in lower case") << QStringList{u"piano.wav"_s} << u"piano.wav"_s
                                         << u"piano.wav"_s;
    QTest::newRow("eight and three") << QStringList{u"GRANDPNO.WAV"_s} << u"GRANDPNO.WAV"_s
                                     << u"GRANDPNO.WAV"_s;
    QTest::newRow("no extension, short") << QStringList{u"KICK"_s} << u"KICK"_s << u"KICK"_s;
    QTest::newRow("spaces") << QStringList{u"Grand Piano C3.wav"_s} << u"Grand Piano C3.wav"_s
                            << u"GRANDP~1.WAV"_s;
    QTest::newRow("space in a short base") << QStringList{u"my s.wav"_s} << u"my s.wav"_s
                                           << u"MYS~1.WAV"_s;
    QTest::newRow("nine characters") << QStringList{u"Bassdrum1.wav"_s} << u"Bassdrum1.wav"_s
                                     << u"BASSDR~1.WAV"_s;
    QTest::newRow("long extension") << QStringList{u"Strings.aiff"_s} << u"Strings.aiff"_s
                                    << u"STRING~1.AIF"_s;
    QTest::newRow("two dots") << QStringList{u"a.b.wav"_s} << u"a.b.wav"_s << u"AB~1.WAV"_s;
    QTest::newRow("long, no extension") << QStringList{u"LongFileName"_s} << u"LongFileName"_s
                                        << u"LONGFI~1"_s;
    QTest::newRow("characters invalid in short names")
        << QStringList{u"a+b=c;d.wav"_s} << u"a+b=c;d.wav"_s << u"ABCD~1.WAV"_s;
    QTest::newRow("leading dot") << QStringList{u".hidden"_s} << u".hidden"_s << u"HIDDEN~1"_s;
    QTest::newRow("non-ASCII dropped") << QStringList{QStringLiteral("\u00c9lan vital.wav")}
                                       << QStringLiteral("\u00c9lan vital.wav")
                                       << u"LANVIT~1.WAV"_s;
    QTest::newRow("nothing usable") << QStringList{QStringLiteral("\u65e5\u672c.wav")}
                                    << QStringLiteral("\u65e5\u672c.wav") << u"_~1.WAV"_s;

    const QStringList piano = {u"Grand Piano C4.wav"_s, u"Grand Piano C2.wav"_s, u"Grand Piano C3.wav"_s};
    QTest::newRow("collision, first in order") << piano << u"Grand Piano C2.wav"_s << u"GRANDP~1.WAV"_s;
    QTest::newRow("collision, last in order") << piano << u"Grand Piano C4.wav"_s << u"GRANDP~3.WAV"_s;
    QTest::newRow("collision across extensions")
        << QStringList{u"Grand Piano.wav"_s, u"Grand Piano.txt"_s} << u"Grand Piano.wav"_s
        << u"GRANDP~2.WAV"_s;
    QTest::newRow("a real file holds the number")
        << QStringList{u"GRANDP~1.WAV"_s, u"Grand Piano.wav"_s} << u"Grand Piano.wav"_s << u"GRANDP~2.WAV"_s;
    QTest::newRow("a folder holds the number")
        << QStringList{u"GRANDP~1/"_s, u"Grand Piano.wav"_s} << u"Grand Piano.wav"_s << u"GRANDP~2.WAV"_s;

    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QStringLiteral("Grand Piano %1.wav").arg(i);
    QTest::newRow("tenth collision shortens the prefix") << ten << u"Grand Piano 9.wav"_s
                                                         << u"GRAND~10.WAV"_s;
}

void TestShortName::shortNames()
{
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const QString &file : files) {
        if (file.endsWith(u'/'))
            QVERIFY(QDir(dir.path()).mkdir(file.chopped(1)));
        else
            touch(dir.filePath(file));
    }
    const QString folder = dir.path() + QDir::separator();
    QCOMPARE(ShortFileName(folder + name), folder + expected);
    QCOMPARE(longNameForShort(dir.path(), expected), name);
}

void TestShortName::missingFile()
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("Grand Piano C3.wav")));
    QCOMPARE(ShortFileName(dir.filePath(QStringLiteral("Grand Piano C4.wav"))), QString());
    QCOMPARE(ShortFileName(dir.filePath(QStringLiteral("PIANO.WAV"))), QString());
    QCOMPARE(ShortFileName(dir.filePath(QStringLiteral("no such folder/PIANO.WAV"))), QString());
    QCOMPARE(ShortFileName(QString()), QString());
}

void TestShortName::collidingRandomNamesStayUniqueAndInvert()
{
    QTemporaryDir dir;
    QRandomGenerator rng(7);
    const QStringList stems = {u"Grand Piano"_s, u"Grand Pianola"_s, u"grandp"_s, u"GRANDP~1"_s, u"Strings"_s};
    const QStringList exts = {u".wav"_s, u".WAV"_s, u".wave"_s, u""_s, u".txt"_s};
    QSet<QString> names;
    while (names.size() < 150) {
        names.insert(stems[rng.bounded(int(stems.size()))] + QString::number(rng.bounded(60))
                     + QStringLiteral(" x") + exts[rng.bounded(int(exts.size()))]);
        if (rng.bounded(4) == 0)
            names.insert(stems[rng.bounded(int(stems.size()))].left(8).remove(u' ')
                         + exts[rng.bounded(int(exts.size()))].left(4));
    }
    for (const QString &name : std::as_const(names))
        touch(dir.filePath(name));

    const QString folder = dir.path() + QDir::separator();
    QHash<QString, int> baseCount;
    QStringList generated;
    for (const QString &name : std::as_const(names)) {
        const QString shortPath = ShortFileName(folder + name);
        QVERIFY2(shortPath.startsWith(folder), qPrintable(name));
        const QString shortName = shortPath.mid(folder.size());
        QVERIFY2(isEightDotThree(shortName), qPrintable(name + u" -> "_s + shortName));
        QCOMPARE(longNameForShort(dir.path(), shortName), name);
        // Computed again, the answer is the same.
        QCOMPARE(ShortFileName(folder + name), shortPath);
        const QString base = shortName.section(u'.', 0, 0).toUpper();
        ++baseCount[base];
        if (shortName != name)
            generated << base;
    }
    // The sample name keeps only the base, so a made-up base must be one of a kind.
    for (const QString &base : std::as_const(generated))
        QVERIFY2(baseCount.value(base) == 1, qPrintable(base));
}

void TestShortName::findFile_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("exact") << QStringList{u"PIANO1.WAV"_s} << u"PIANO1.WAV"_s << u"PIANO1.WAV"_s;
    QTest::newRow("other case") << QStringList{u"PIANO1.WAV"_s} << u"PIANO1.wav"_s << u"PIANO1.WAV"_s;
    QTest::newRow("exact wins over other case")
        << QStringList{u"PIANO1.WAV"_s, u"piano1.wav"_s, u"PIANO1.wav"_s} << u"PIANO1.wav"_s << u"PIANO1.wav"_s;
    QTest::newRow("none") << QStringList{u"PIANO2.WAV"_s} << u"PIANO1.wav"_s << u""_s;
    QTest::newRow("a folder is no file") << QStringList{u"PIANO1.WAV/"_s} << u"PIANO1.wav"_s << u""_s;
    QTest::newRow("empty name") << QStringList{u"PIANO1.WAV"_s} << u""_s << u""_s;
}

void TestShortName::findFile()
{
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const QString &file : files) {
        if (file.endsWith(u'/'))
            QVERIFY(QDir(dir.path()).mkdir(file.chopped(1)));
        else
            touch(dir.filePath(file));
    }
    QCOMPARE(findFileCaseInsensitive(dir.path(), name), expected);
}

void TestShortName::longNameForShortName_data()
{
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QString>("expected");
    // The sample list looks a sample up by its name plus u".wav"_s.
    QTest::newRow("short of a long name") << u"GRANDP~1.wav"_s << u"Grand Piano C3.wav"_s;
    QTest::newRow("second of the prefix") << u"grandp~2.WAV"_s << u"Grand Piano C4.wav"_s;
    QTest::newRow("own name, other case") << u"PIANO1.wav"_s << u"PIANO1.WAV"_s;
    QTest::newRow("number not given out") << u"GRANDP~3.wav"_s << u""_s;
    QTest::newRow("wrong extension") << u"GRANDP~1.aif"_s << u""_s;
    QTest::newRow("base only") << u"GRANDP~1"_s << u""_s;
}

void TestShortName::longNameForShortName()
{
    QFETCH(QString, shortName);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const char *file : {"Grand Piano C3.wav", "Grand Piano C4.wav", "PIANO1.WAV"})
        touch(dir.filePath(QString::fromLatin1(file)));
    QCOMPARE(longNameForShort(dir.path(), shortName), expected);
}

QTEST_GUILESS_MAIN(TestShortName)
#include "test_shortname.moc"
