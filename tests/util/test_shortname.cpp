#include "util/shortname.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo::util;
using namespace Qt::StringLiterals;

// A name ending in "/" is made a folder.
static void create(const QTemporaryDir &dir, const QStringList &files)
{
    for (const QString &file : files)
        QVERIFY(file.endsWith(u'/') ? QDir(dir.path()).mkdir(file.chopped(1)) : QFile(dir.filePath(file)).open(QIODevice::WriteOnly));
}

class TestShortName : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shortNames_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // a wildcard pattern; empty: no such file
        QTest::newRow("already short") << QStringList{u"piano.wav"_s} << u"piano.wav"_s << u"piano.wav"_s;
        QTest::newRow("long base and extension") << QStringList{u"Bassdrum1.aiff"_s} << u"Bassdrum1.aiff"_s << u"BAS~????.AIF"_s;
        QTest::newRow("space and invalid characters") << QStringList{u"a+b c;d.wav"_s} << u"a+b c;d.wav"_s << u"ABC~????.WAV"_s;
        QTest::newRow("two dots") << QStringList{u"a.b.wav"_s} << u"a.b.wav"_s << u"AB~????.WAV"_s;
        QTest::newRow("leading dot") << QStringList{u".hidden"_s} << u".hidden"_s << u"HID~????"_s;
        QTest::newRow("nothing usable") << QStringList{u"\u65e5\u672c.wav"_s} << u"\u65e5\u672c.wav"_s << u"_~????.WAV"_s;
        const QStringList piano = {u"Grand Piano C4.wav"_s, u"Grand Piano C2.wav"_s, u"Grand Piano C3.wav"_s};
        QTest::newRow("one of several alike") << piano << u"Grand Piano C4.wav"_s << u"GRA~????.WAV"_s;
                QTest::newRow("missing file") << piano << u"Grand Piano C5.wav"_s << QString();
    }
    void shortNames()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        create(dir, files);
        const QString folder = dir.path() + QDir::separator();
        const QString shortName = ShortFileName(folder + name).mid(folder.size());
        QVERIFY2(expected.isEmpty() ? shortName.isEmpty() : QRegularExpression(QRegularExpression::wildcardToRegularExpression(expected)).match(shortName).hasMatch(), qPrintable(shortName));
        QCOMPARE(longNameForShort(dir.path(), shortName), expected.isEmpty() ? QString() : name);
    }

    // Many colliding names, ten and more on one prefix: every short name is 8.3 and
    // leads back to its file, and a made-up base is one of a kind, as the sample
    // name keeps only the base.
    void collidingRandomNames()
    {
        QTemporaryDir dir;
        QRandomGenerator rng(7);
        QSet<QString> names;
        while (names.size() < 150)
            names << QStringList{u"Grand Piano"_s, u"Grand Pianola"_s, u"grandp"_s, u"GRANDP~"_s, u"Strings"_s}[rng.bounded(5)]
                         + QString::number(rng.bounded(60)) + QStringList{u".wav"_s, u".WAV"_s, u".wave"_s, u""_s, u".txt"_s}[rng.bounded(5)];
        create(dir, names.values());
        const QString folder = dir.path() + QDir::separator();
        QStringList bases, generated, paths, shortPaths;
        for (const QString &name : std::as_const(names)) {
            paths << folder + name;
            shortPaths << ShortFileName(paths.last());
            const QString shortName = shortPaths.last().mid(folder.size());
            QVERIFY2(QRegularExpression(u"^[^. ]{1,8}(\\.[^. ]{0,3})?$"_s).match(shortName).hasMatch(), qPrintable(name + u" -> "_s + shortName));
            QCOMPARE(longNameForShort(dir.path(), shortName), name);
            bases << shortName.section(u'.', 0, 0).toUpper();
            if (shortName != name)
                generated << bases.last();
        }
        for (const QString &base : std::as_const(generated))
            QVERIFY2(bases.count(base) == 1, qPrintable(base));
        QCOMPARE(ShortFileNames(paths + QStringList{folder + u"gone.wav"_s}), shortPaths + QStringList{QString()});
    }

    void lookUp_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found"); // by findFileCaseInsensitive
        QTest::addColumn<QString>("longName"); // by longNameForShort
        QTest::newRow("exact") << u"PIANO1.WAV"_s << u"PIANO1.WAV"_s << u"PIANO1.WAV"_s;
        QTest::newRow("exact wins over other case") << u"piano1.WAV"_s << u"piano1.WAV"_s << u"piano1.WAV"_s;
        QTest::newRow("other case") << u"strings.wav"_s << u"Strings.WAV"_s << u"Strings.WAV"_s;
        QTest::newRow("short name in other case") << shortFormOf(u"Grand Piano C4.wav"_s).toLower() << u""_s << u"Grand Piano C4.wav"_s;
        QTest::newRow("number not given out") << u"GRANDP~3.wav"_s << u""_s << u""_s;
        QTest::newRow("a folder is no file") << u"PIANO2.WAV"_s << u""_s << u""_s;
    }
    void lookUp()
    {
        QFETCH(QString, name);
        QFETCH(QString, found);
        QFETCH(QString, longName);
        QTemporaryDir dir;
        create(dir, {u"PIANO1.WAV"_s, u"piano1.WAV"_s, u"Grand Piano C3.wav"_s, u"Grand Piano C4.wav"_s, u"Strings.WAV"_s, u"piano2.wav/"_s});
        QCOMPARE(findFileCaseInsensitive(dir.path(), name), found);
        QCOMPARE(longNameForShort(dir.path(), name), longName);
    }
};

QTEST_GUILESS_MAIN(TestShortName)
#include "test_shortname.moc"
