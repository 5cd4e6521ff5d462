#include "util/paths.h"

#include <QTest>

using namespace tamo::util;

class TestPaths : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void extract_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("folder");
        QTest::newRow("(empty)") << QString() << QString() << QString();
        QTest::newRow("PIANO.WAV") << QStringLiteral("PIANO.WAV") << QStringLiteral("PIANO.WAV") << QString();
        QTest::newRow("/sets/Grand Piano.WAV") << QStringLiteral("/sets/Grand Piano.WAV") << QStringLiteral("Grand Piano.WAV") << QStringLiteral("/sets/");
        QTest::newRow("/sets/") << QStringLiteral("/sets/") << QString() << QStringLiteral("/sets/");
        QTest::newRow("/") << QStringLiteral("/") << QString() << QStringLiteral("/");
        QTest::newRow("a//.wav") << QStringLiteral("a//.wav") << QStringLiteral(".wav") << QStringLiteral("a//");
        // The other platform's slash is an ordinary character.
        QTest::newRow("/home/me\\x/a\\b.wav") << QStringLiteral("/home/me\\x/a\\b.wav") << QStringLiteral("a\\b.wav") << QStringLiteral("/home/me\\x/");
    }
    void extract()
    {
        QFETCH(QString, path);
        QFETCH(QString, file);
        QFETCH(QString, folder);
        QCOMPARE(fileNameExtract(path), file);
        QCOMPARE(pathNameExtract(path), folder);
    }
};

QTEST_GUILESS_MAIN(TestPaths)
#include "test_paths.moc"
