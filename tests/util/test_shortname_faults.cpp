// Short names made on a system without them: each depends on its long name alone, so
// files added or removed beside it never move it to another file.

#include "util/shortname.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo::util;
using namespace Qt::StringLiterals;

class TestShortNameFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stable_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("removed");
        const QString c3 = u"Grand Piano C3.wav"_s;
        QTest::newRow("a name sorted before it is added") << QStringList{c3} << QStringList{u"Grand Piano A1.wav"_s} << QStringList{};
        QTest::newRow("a neighbour is deleted") << QStringList{u"Grand Piano A1.wav"_s, u"Grand Piano B2.wav"_s, c3}
                                                << QStringList{} << QStringList{u"Grand Piano A1.wav"_s, u"Grand Piano B2.wav"_s};
        QTest::newRow("its old short name appears as a file") << QStringList{c3} << QStringList{u"GRANDP~1.WAV"_s, u"GRA~1.WAV"_s} << QStringList{};
    }
    // The first file's short name stays and keeps finding it.
    void stable()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, added);
        QFETCH(QStringList, removed);
        QTemporaryDir dir;
        const auto create = [&](const QStringList &names) {
            for (const QString &name : names)
                QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        };
        create(files);
        const QString path = dir.filePath(files.last());
        const QString shortName = ShortFileName(path);
        QVERIFY2(QRegularExpression(u"/[^./ ]{1,8}\\.WAV$"_s).match(shortName).hasMatch(), qPrintable(shortName));
        create(added);
        for (const QString &name : removed)
            QVERIFY(QFile::remove(dir.filePath(name)));
        QCOMPARE(ShortFileName(path), shortName);
        QCOMPARE(longNameForShort(dir.path(), shortName.section(u'/', -1)), files.last());
    }

    // Among many names some share a short name: each such pair is told as a clash, and
    // its short name finds neither file rather than perhaps the wrong one.
    void clashes()
    {
        QTemporaryDir dir;
        QHash<QString, QStringList> byShortName;
        for (int i = 0; i < 6000; ++i) {
            const QString name = u"Piano take %1.wav"_s.arg(i);
            QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
            byShortName[ShortFileName(dir.filePath(name)).section(u'/', -1).toUpper()] << name;
        }
        int clashing = 0;
        for (auto it = byShortName.cbegin(); it != byShortName.cend(); ++it) {
            const QStringList &names = it.value();
            QCOMPARE(longNameForShort(dir.path(), it.key()), names.size() == 1 ? names.first() : QString());
            if (names.size() == 1)
                continue;
            ++clashing;
            QStringList others = shortNameClashes(dir.filePath(names.first()));
            QStringList expected = names.mid(1);
            others.sort();
            expected.sort();
            QCOMPARE(others, expected);
        }
        QVERIFY(clashing > 0);
        // Names already in 8.3 form clash when they differ only in case.
        QVERIFY(QFile(dir.filePath(u"PIANO.WAV"_s)).open(QIODevice::WriteOnly));
        QVERIFY(QFile(dir.filePath(u"piano.wav"_s)).open(QIODevice::WriteOnly));
        QCOMPARE(shortNameClashes(dir.filePath(u"piano.wav"_s)), QStringList{u"PIANO.WAV"_s});
    }
};

QTEST_GUILESS_MAIN(TestShortNameFaults)
#include "test_shortname_faults.moc"
