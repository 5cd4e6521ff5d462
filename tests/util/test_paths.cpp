#include "util/paths.h"

#include <QDir>
#include <QTest>

using tamo::util::fileNameExtract;
using tamo::util::pathNameExtract;

class TestPaths : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void extract_data();
    void extract();
};

// Rows are written with "|" for the platform's separator and "^" for the other slash,
// which must stay an ordinary character.
static QString native(const char *pattern)
{
    const QChar sep = QDir::separator();
    const QChar other = sep == u'/' ? u'\\' : u'/';
    QString s = QString::fromLatin1(pattern);
    s.replace(u'|', sep);
    s.replace(u'^', other);
    return s;
}

void TestPaths::extract_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("folder");

    auto row = [](const char *path, const char *file, const char *folder) {
        QTest::newRow(*path ? path : "(empty)") << native(path) << native(file) << native(folder);
    };
    row("", "", "");
    row("PIANO.WAV", "PIANO.WAV", "");
    row("C:|SETS|PIANO.WAV", "PIANO.WAV", "C:|SETS|");
    row("C:|SETS|", "", "C:|SETS|");
    row("|PIANO", "PIANO", "|");
    row("|", "", "|");
    row("C:^SETS^PIANO.WAV", "C:^SETS^PIANO.WAV", "");
    row("|home|me^x|a^b.wav", "a^b.wav", "|home|me^x|");
    row("a||b", "b", "a||");
    row("|sets|.wav", ".wav", "|sets|");
    row("|Grand Piano C3.wav", "Grand Piano C3.wav", "|");
}

void TestPaths::extract()
{
    QFETCH(QString, path);
    QFETCH(QString, file);
    QFETCH(QString, folder);
    QCOMPARE(fileNameExtract(path), file);
    QCOMPARE(pathNameExtract(path), folder);
    QCOMPARE(pathNameExtract(path) + fileNameExtract(path), path);
}

QTEST_GUILESS_MAIN(TestPaths)
#include "test_paths.moc"
