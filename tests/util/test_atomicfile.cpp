#include "util/atomicfile.h"

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using tamo::AtomicFileWriter;
using tamo::saveFileAtomically;
using namespace tamo::test;

class TestAtomicFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeUnderSizeLimit_data();
    void writeUnderSizeLimit();
    void failureInChildProcess();
    void directoryAsTarget();
    void missingFolder();
    void unwritableFolder();
};

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b(size, '\0');
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

QString tooLarge()
{
    return QString::fromLocal8Bit(std::strerror(EFBIG));
}

} // namespace

void TestAtomicFile::writeUnderSizeLimit_data()
{
    QTest::addColumn<qsizetype>("oldSize"); // -1: no old file
    QTest::addColumn<qsizetype>("newSize");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<qsizetype>("chunk"); // 0: one saveFileAtomically call

    QTest::newRow("fails at the first byte") << qsizetype(2644) << qsizetype(2644) << qint64(0)
                                             << qsizetype(0);
    QTest::newRow("fails part-way") << qsizetype(2644) << qsizetype(2644) << qint64(1000)
                                    << qsizetype(0);
    QTest::newRow("one byte short") << qsizetype(2644) << qsizetype(2644) << qint64(2643)
                                    << qsizetype(0);
    // Small enough to sit in the write buffer until the final flush.
    QTest::newRow("fails at the final flush") << qsizetype(2644) << qsizetype(100) << qint64(50)
                                              << qsizetype(0);
    QTest::newRow("many writes") << qsizetype(5000) << qsizetype(1 << 20) << qint64(300000)
                                 << qsizetype(4096);
    QTest::newRow("many small writes") << qsizetype(5000) << qsizetype(2644) << qint64(2000)
                                       << qsizetype(7);
    QTest::newRow("old file past the limit") << qsizetype(10000) << qsizetype(5000)
                                             << qint64(3000) << qsizetype(0);
    QTest::newRow("no old file") << qsizetype(-1) << qsizetype(2644) << qint64(1000)
                                 << qsizetype(0);
    QTest::newRow("exactly the limit") << qsizetype(100) << qsizetype(2644) << qint64(2644)
                                       << qsizetype(0);
    QTest::newRow("exactly the limit, in writes") << qsizetype(100) << qsizetype(2644)
                                                  << qint64(2644) << qsizetype(100);
}

void TestAtomicFile::writeUnderSizeLimit()
{
    QFETCH(qsizetype, oldSize);
    QFETCH(qsizetype, newSize);
    QFETCH(qint64, limit);
    QFETCH(qsizetype, chunk);
    const bool fits = newSize <= limit;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SET.MSP"));
    const QByteArray oldBytes = randomBytes(std::max<qsizetype>(oldSize, 0), 1);
    const QByteArray newBytes = randomBytes(newSize, 2);
    if (oldSize >= 0)
        QVERIFY(writeAll(path, oldBytes));
    const QStringList before = filesIn(dir.path());

    bool ok = false;
    QString error;
    QStringList whileOpen;
    {
        FileSizeLimit limited(limit);
        if (chunk == 0) {
            const tamo::SaveResult r = saveFileAtomically(path, newBytes);
            ok = r.ok;
            error = r.error;
        } else {
            AtomicFileWriter writer(path);
            ok = writer.open();
            for (qsizetype at = 0; ok && at < newBytes.size(); at += chunk)
                ok = writer.write(QByteArrayView(newBytes).sliced(at, std::min(chunk, newSize - at)));
            ok = ok && writer.commit();
            error = writer.errorString();
            whileOpen = filesIn(dir.path());
        }
    }

    QCOMPARE(ok, fits);
    if (fits) {
        QVERIFY(error.isEmpty());
        QCOMPARE(readAll(path), newBytes);
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("SET.MSP")});
        return;
    }
    QCOMPARE(error, tooLarge());
    QCOMPARE(filesIn(dir.path()), before);
    if (chunk != 0)
        QCOMPARE(whileOpen, before);
    if (oldSize >= 0)
        QCOMPARE(readAll(path), oldBytes);
}

void TestAtomicFile::failureInChildProcess()
{
    // The same failure with the limit set in a separate process, as a full disk
    // would hit the program, leaves the same picture.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SET.MSP"));
    const QByteArray oldBytes = randomBytes(2644, 3);
    QVERIFY(writeAll(path, oldBytes));
    const bool childSawFailure = runInChildWithFileSizeLimit(1500, [&] {
        const tamo::SaveResult r = saveFileAtomically(path, randomBytes(2644, 4));
        return !r.ok && r.error == tooLarge();
    });
    QVERIFY(childSawFailure);
    QCOMPARE(readAll(path), oldBytes);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("SET.MSP")});
}

void TestAtomicFile::directoryAsTarget()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("SET.MSP")));
    const QString inside = dir.filePath(QStringLiteral("SET.MSP/keep.txt"));
    QVERIFY(writeAll(inside, "keep"));

    const tamo::SaveResult r = saveFileAtomically(dir.filePath(QStringLiteral("SET.MSP")), "new");
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("SET.MSP"))).isDir());
    QCOMPARE(readAll(inside), QByteArray("keep"));
    QCOMPARE(filesIn(dir.path()), QStringList());
}

void TestAtomicFile::missingFolder()
{
    QTemporaryDir dir;
    const tamo::SaveResult r =
        saveFileAtomically(dir.filePath(QStringLiteral("nowhere/SET.MSP")), "new");
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestAtomicFile::unwritableFolder()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("readonly"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("readonly")));
    const QString path = folder + QStringLiteral("/SET.MSP");
    const QByteArray oldBytes = randomBytes(2644, 5);
    QVERIFY(writeAll(path, oldBytes));
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);

    // Root writes anywhere, so the save runs as an ordinary user in a child.
    const bool childSawFailure = runInChildWithFileSizeLimit(qint64(1) << 40, [&] {
        if (geteuid() == 0) {
            [[maybe_unused]] const int ignored = setgid(65534); // may be refused; 0555 is enough
            if (setuid(65534) != 0)
                return false;
        }
        const tamo::SaveResult r = saveFileAtomically(path, randomBytes(100, 6));
        return !r.ok && r.error.contains(QString::fromLocal8Bit(std::strerror(EACCES)));
    });
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    QVERIFY(childSawFailure);
    QCOMPARE(readAll(path), oldBytes);
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("SET.MSP")});
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
