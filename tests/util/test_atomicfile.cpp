#include "util/atomicfile.h"

#include "testsupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

using namespace tamo;
using namespace tamo::test;

class TestAtomicFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeUnderSizeLimit_data()
    {
        QTest::addColumn<qsizetype>("oldSize"); // -1: no old file
        QTest::addColumn<qsizetype>("newSize");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<qsizetype>("chunk"); // 0: one saveFileAtomically call
        QTest::newRow("fails at the first byte") << qsizetype(2644) << qsizetype(2644) << qint64(0) << qsizetype(0);
        QTest::newRow("one byte short") << qsizetype(2644) << qsizetype(2644) << qint64(2643) << qsizetype(0);
        // Small enough to sit in the write buffer until the final flush.
        QTest::newRow("fails at the final flush") << qsizetype(2644) << qsizetype(100) << qint64(50) << qsizetype(0);
        QTest::newRow("many small writes") << qsizetype(5000) << qsizetype(2644) << qint64(2000) << qsizetype(7);
        QTest::newRow("no old file") << qsizetype(-1) << qsizetype(2644) << qint64(1000) << qsizetype(0);
        QTest::newRow("exactly the limit, in writes") << qsizetype(100) << qsizetype(2644) << qint64(2644) << qsizetype(100);
    }
    // The limit is set in a child process, as a full disk would hit the program.
    void writeUnderSizeLimit()
    {
        QFETCH(qsizetype, oldSize);
        QFETCH(qsizetype, newSize);
        QFETCH(qint64, limit);
        QFETCH(qsizetype, chunk);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("SET.MSP"));
        const QByteArray oldBytes(std::max<qsizetype>(oldSize, 0), 'o'), newBytes(newSize, 'n');
        QVERIFY(oldSize < 0 || writeAll(path, oldBytes));
        const QStringList before = filesIn(dir.path());
        const bool fits = newSize <= limit;
        QVERIFY(runInChildWithFileSizeLimit(limit, [&] {
            SaveResult r = chunk == 0 ? saveFileAtomically(path, newBytes) : SaveResult{};
            if (chunk != 0) {
                AtomicFileWriter writer(path);
                bool ok = writer.open();
                for (qsizetype at = 0; ok && at < newSize; at += chunk)
                    ok = writer.write(QByteArrayView(newBytes).sliced(at, std::min(chunk, newSize - at)));
                r = {ok && writer.commit(), writer.errorString()};
            }
            return r.ok == fits && r.error == (fits ? QString() : errorText(EFBIG));
        }));
        QCOMPARE(readAll(path), fits ? newBytes : oldBytes);
        QCOMPARE(filesIn(dir.path()), fits ? QStringList{QStringLiteral("SET.MSP")} : before);
    }

    void badTarget_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("reason"); // errno whose text the error holds, 0: any
        QTest::newRow("a folder") << QStringLiteral("SET.MSP") << 0;
        QTest::newRow("missing folder") << QStringLiteral("nowhere/SET.MSP") << 0;
        QTest::newRow("read-only folder") << QStringLiteral("ro/SET.MSP") << EACCES;
    }
    void badTarget()
    {
        QFETCH(QString, target);
        QFETCH(int, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("SET.MSP")) && QDir(dir.path()).mkdir(QStringLiteral("ro")));
        QVERIFY(writeAll(dir.filePath(QStringLiteral("ro/SET.MSP")), "old"));
        const QByteArray ro = QFile::encodeName(dir.filePath(QStringLiteral("ro")));
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0 && ::chmod(ro.constData(), 0555) == 0);
        const auto save = [&] {
            const SaveResult r = saveFileAtomically(dir.filePath(target), "new");
            return !r.ok && !r.error.isEmpty() && (reason == 0 || r.error.contains(errorText(reason)));
        };
        const bool failed = reason == 0 ? save() : runInChildAsOrdinaryUser(save);
        QVERIFY(::chmod(ro.constData(), 0755) == 0 && failed);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("ro"), QStringLiteral("SET.MSP")}));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("ro/SET.MSP"))), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
