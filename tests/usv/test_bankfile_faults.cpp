// Bank files under faults: a huge file, a FIFO or a device is never read whole; a save
// that would not read back is refused; names show every byte as something printable.

#include "../usd/bankbuilder.h"
#include "faultsupport.h"
#include "usd/usdfile.h"
#include "usv/usvfile.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tamo;
using namespace tamo::test;
using bank::ReadOutcome;

Q_DECLARE_METATYPE(tamo::bank::ReadOutcome)

class TestBankFileFaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // head: the start of a file size bytes long; empty head: a FIFO; a path: that path.
    void read_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::addColumn<QString>("head");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<ReadOutcome>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<qint64>("mostRead");
        const qint64 huge = qint64(64) << 20;
        QTest::newRow("USD 64 MiB, bad header") << true << "KUSX" << huge << ReadOutcome::Refused << QStringList{usd::kUsdHeaderMessage} << qint64(5);
        QTest::newRow("USV 64 MiB, bad header") << false << "KUSX" << huge << ReadOutcome::Refused << QStringList{usv::kUsvHeaderMessage} << qint64(5);
        QTest::newRow("USD past the largest bank") << true << "KUSD\x03" << usd::kMaxUsdFileSize + 460 << ReadOutcome::Failed << QStringList() << usd::kMaxUsdFileSize + 1;
        QTest::newRow("USV past the largest bank") << false << "KUSV" << usv::kMaxUsvFileSize + 1 << ReadOutcome::Failed << QStringList() << usv::kMaxUsvFileSize + 1;
        QTest::newRow("USD FIFO") << true << "" << qint64(0) << ReadOutcome::Failed << QStringList() << qint64(0);
        QTest::newRow("USV FIFO") << false << "" << qint64(0) << ReadOutcome::Failed << QStringList() << qint64(0);
        QTest::newRow("USD /dev/zero") << true << "/dev/zero" << qint64(0) << ReadOutcome::Failed << QStringList() << qint64(0);
        QTest::newRow("USV /dev/zero") << false << "/dev/zero" << qint64(0) << ReadOutcome::Failed << QStringList() << qint64(0);
    }
    void read()
    {
        QFETCH(bool, usd);
        QFETCH(QString, head);
        QFETCH(qint64, size);
        QFETCH(ReadOutcome, outcome);
        QFETCH(QStringList, messages);
        QFETCH(qint64, mostRead);
        QString path = head;
        if (!head.startsWith(u'/')) {
            path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
            // "KUSV" is completed with the byte 0 by the hole that follows it.
            QVERIFY(head.isEmpty() ? makeFifo(path) : sparseFile(path, head.toLatin1(), size));
        }
        QVERIFY(runWithinAMinute([&] {
            const qint64 before = bytesReadSoFar();
            const auto check = [&](const auto &result) {
                return result.outcome == outcome && result.messages == messages && !result.document
                       && bytesReadSoFar() - before <= mostRead + 256;
            };
            return usd ? check(usd::OpenUSDFile(path)) : check(usv::OpenUSVFile(path));
        }));
    }

    // Voices copied side by side may spell "KORG1" across their bytes; such a bank
    // would read back split there, so the save names them and keeps the old file.
    void saveReadsBack_data()
    {
        QTest::addColumn<QByteArray>("before"); // the name of voice 2, or whole voice bytes
        QTest::addColumn<QByteArray>("after");  // the name of voice 3
        QTest::addColumn<QString>("problem");   // empty: saved
        QTest::newRow("plain voices") << QByteArray("Piano") << QByteArray("Jazz") << QString();
        QTest::newRow("'K' at the end, then \"ORG1 Jazz\"") << bankEntry("Organ", 47, 9) + 'K' << QByteArray("ORG1 Jazz")
            << QStringLiteral("the voices 2 \"Organ\" and 3 \"ORG1 Jazz\" spell \"KORG1\", which would be read back as the section tag");
        QTest::newRow("\"KORG1\" inside one name") << QByteArray("Piano") << QByteArray("My KORG1")
            << QStringLiteral("the voice 3 \"My KORG1\" spells \"KORG1\", which would be read back as the section tag");
    }
    void saveReadsBack()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, problem);
        const QString path = m_dir.filePath(QStringLiteral("save.usv"));
        const QByteArray old = usvImage(4, 2);
        QVERIFY(writeAll(path, old));
        usv::UsvFile doc = *usv::readUsv(old).document;
        doc.Voices[1] = usv::UsvVoice(before.size() == 48 ? before : bankEntry(before, 48, 2));
        doc.Voices[2] = usv::UsvVoice(bankEntry(after, 48, 3));
        const SaveResult saved = usv::SaveUSVFile(path, doc);
        QCOMPARE(saved.error, problem);
        const usv::UsvReadResult again = usv::OpenUSVFile(path);
        QCOMPARE(again.document->Voices, problem.isEmpty() ? doc.Voices : usv::readUsv(old).document->Voices);
    }

    // Codes Windows-1252 leaves unassigned show as spaces, as control bytes do.
    void displayName()
    {
        QCOMPARE(bank::displayName("A\x81\x8D\x8F\x90\x9D\x1F\x80"), QStringLiteral(u"A      \u20AC"));
    }
};

QTEST_GUILESS_MAIN(TestBankFileFaults)
#include "test_bankfile_faults.moc"
