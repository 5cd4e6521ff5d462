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

    // Some names share a short name: such a pair is told as a clash when either is
    // there, and its short name finds neither file rather than perhaps the wrong one.
    void clashes()
    {
        QHash<QString, QString> byShortName;
        QStringList pair;
        for (int i = 0; pair.isEmpty() && i < 1000000; ++i) {
            const QString name = u"Piano take %1.wav"_s.arg(i);
            const QString shortName = shortFormOf(name).toUpper();
            if (byShortName.contains(shortName))
                pair = QStringList{byShortName.value(shortName), name};
            byShortName.insert(shortName, name);
        }
        QCOMPARE(pair.size(), 2);
        QTemporaryDir dir;
        for (const QString &name : pair + QStringList{u"Piano take.wav"_s})
            QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        QCOMPARE(shortNameClashes(dir.filePath(pair[0])), QStringList{pair[1]});
        QCOMPARE(shortNameClashes(dir.filePath(pair[1])), QStringList{pair[0]});
        QCOMPARE(shortNameClashes(dir.filePath(u"Piano take.wav"_s)), QStringList());
        QCOMPARE(longNameForShort(dir.path(), shortFormOf(pair[0])), QString());
        // Names already in 8.3 form clash when they differ only in case.
        QVERIFY(QFile(dir.filePath(u"PIANO.WAV"_s)).open(QIODevice::WriteOnly));
        QVERIFY(QFile(dir.filePath(u"piano.wav"_s)).open(QIODevice::WriteOnly));
        QCOMPARE(shortNameClashes(dir.filePath(u"piano.wav"_s)), QStringList{u"PIANO.WAV"_s});
    }
};

QTEST_GUILESS_MAIN(TestShortNameFaults)
#include "test_shortname_faults.moc"
