// What an MSP save leaves of the file it writes over, where it may write, and what a
// read of a path that is no plain file does.

#include "msp/mspfile.h"

#include "faultsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamo;
using namespace tamo::msp;
using namespace tamo::test;

class TestMspFileFaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A child that is not root must reach the folders.
        QVERIFY(QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7755)));
    }

    void save_data()
    {
        QTest::addColumn<QByteArray>("old"); // null: no file
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<bool>("writableFile");
        QTest::addColumn<bool>("saved");
        QByteArray valid = MspRecord::newDocument().bytes();
        QByteArray wav = "RIFF" + QByteArray(40040, '\x11');
        QTest::newRow("no file") << QByteArray() << false << true << true;
        QTest::newRow("shorter file") << QByteArray(100, 'x') << false << true << true;
        QTest::newRow("longer valid file keeps its tail") << valid + "tail bytes" << false << true << true;
        QTest::newRow("40,044-byte WAV keeps its tail") << wav << false << true << true;
        QTest::newRow("read-only folder, writable file") << valid + "tail" << true << true << true;
        QTest::newRow("read-only folder, read-only file") << valid + "tail" << true << false << false;
        QTest::newRow("writable folder, read-only file") << valid << false << false << false;
    }
    void save()
    {
        QFETCH(QByteArray, old);
        QFETCH(bool, readOnlyFolder);
        QFETCH(bool, writableFile);
        QFETCH(bool, saved);
        const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const QString path = folder + QStringLiteral("/TAKE1.MSP");
        QVERIFY(QDir().mkpath(folder));
        if (!old.isNull())
            QVERIFY(writeAll(path, old));
        MspRecord record = MspRecord::newDocument();
        record.setGlobal(GlobalField::Level, 99);

        using P = QFileDevice;
        QVERIFY(QFile::setPermissions(folder, P::ReadOwner | P::ExeOwner | P::ReadOther | P::ExeOther
                                                  | (readOnlyFolder ? P::Permissions() : P::WriteOwner | P::WriteOther)));
        if (!old.isNull())
            QVERIFY(QFile::setPermissions(path, P::ReadOwner | P::ReadOther
                                                    | (writableFile ? P::WriteOwner | P::WriteOther : P::Permissions())));
        const bool result = runInChildAsOrdinaryUser([&] { return SaveMspFile(path, record).ok == saved; });
        QFile::setPermissions(folder, P::Permissions(0x7777));
        QVERIFY(result);
        QCOMPARE(readAll(path), saved ? record.bytes() + old.mid(kMspRecordSize) : old);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("TAKE1.MSP")});
    }

    // A FIFO or a device is refused at once; a file is read no further than the record.
    void load_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<qint64>("mostRead");
        QTest::newRow("FIFO") << m_dir.filePath(QStringLiteral("fifo.msp")) << false << qint64(0);
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero") << false << qint64(0);
        QTest::newRow("1 GiB file") << m_dir.filePath(QStringLiteral("huge.msp")) << true << qint64(kMspRecordSize);
    }
    void load()
    {
        QFETCH(QString, path);
        QFETCH(bool, loads);
        QFETCH(qint64, mostRead);
        QVERIFY(QFile::exists(path) || (loads ? sparseFile(path, "TAMO00", qint64(1) << 30) : makeFifo(path)));
        QVERIFY(runWithinAMinute([&] {
            MspRecord record;
            const qint64 before = bytesReadSoFar();
            const bool loaded = LoadMspFile(path, record, nullptr);
            return loaded == loads && bytesReadSoFar() - before <= mostRead + 256 && record.isValid() == loads;
        }));
    }
};

QTEST_GUILESS_MAIN(TestMspFileFaults)
#include "test_mspfile_faults.moc"
