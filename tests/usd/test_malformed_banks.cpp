// Malformed drum-kit and user-voice banks, and paths that cannot be read: each
// ends in a load, a refusal with its message, or a silent failure, and nothing else.

#include "bankbuilder.h"
#include "testsupport.h"
#include "usd/usdfile.h"
#include "usv/usvfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::test;
using bank::ReadOutcome;

Q_DECLARE_METATYPE(tamo::bank::ReadOutcome)

namespace {

const QString kInfo = QStringLiteral("INFO : The file presents a bad CheckSum header. We will try to load it...");
const QString kUsdHeader = QStringLiteral("This is not a valid Ketron SD1 Header (KUSD3) !");
const QString kUsdFormat = QStringLiteral("Bad Kit Format !");
const QString kUsvHeader = QStringLiteral("This is not a valid Ketron SD1 Header (KUSV0) !");
const QString kUsvFormat = QStringLiteral("Bad USV Format !");

// "KORG1" written into the voices, with the checksum made right again.
QByteArray korgAt(qsizetype at)
{
    QByteArray image = usvImage(3, 5).replace(at, 5, "KORG1");
    fixChecksum(image);
    return image;
}

} // namespace

class TestMalformedBanks : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QByteArray example(const QString &name) const
    {
        return readAll(tamo::test::examplePath(name));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Both formats in one table: a USD row has tagged == -1.
    void bank_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<ReadOutcome>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("tagged");
        QTest::newRow("USD empty file") << QByteArray() << ReadOutcome::Refused << QStringList{kUsdHeader} << 0 << -1;
        QTest::newRow("USD 32767 kits") << usdImage(32767)
                                        << ReadOutcome::Loaded << QStringList() << 32767 << -1;
        // More kits than the instrument's count holds: the file just does not load.
        QTest::newRow("USD 32768 kits") << usdImage(32768)
                                        << ReadOutcome::Failed << QStringList() << 0 << -1;
        QTest::newRow("USV empty file") << QByteArray() << ReadOutcome::Refused << QStringList{kUsvHeader} << 0 << 0;
        // The first "KORG1" is the tag: inside the second voice it splits a voice...
        QTest::newRow("KORG1 inside a voice") << korgAt(7 + 48 + 20) << ReadOutcome::Refused
                                              << QStringList{kUsvFormat} << 0 << 0;
        // ...at its start it leaves one voice and makes the rest tagged entries.
        QTest::newRow("KORG1 at a voice's start") << korgAt(7 + 48) << ReadOutcome::Loaded << QStringList() << 1 << 8;
        QTest::newRow("32767 voices") << usvImage(32767, 1) << ReadOutcome::Loaded << QStringList() << 32767 << 1;
        QTest::newRow("32768 voices") << usvImage(32768, 1) << ReadOutcome::Failed << QStringList() << 0 << 0;
        QTest::newRow("32767 entries") << usvImage(1, 32767) << ReadOutcome::Loaded << QStringList() << 1 << 32767;
        QTest::newRow("32768 entries") << usvImage(1, 32768) << ReadOutcome::Failed << QStringList() << 0 << 0;
    }
    void bank()
    {
        QFETCH(QByteArray, file);
        QFETCH(ReadOutcome, outcome);
        QFETCH(QStringList, messages);
        QFETCH(int, entries);
        QFETCH(int, tagged);
        const QString path = m_dir.filePath(QStringLiteral("case.bank"));
        QVERIFY(writeAll(path, file));
        if (tagged < 0) {
            const usd::UsdReadResult result = usd::OpenUSDFile(path);
            QCOMPARE(result.outcome, outcome);
            QCOMPARE(result.messages, messages);
            QCOMPARE(result.document ? result.document->Entries.size() : 0, qsizetype(entries));
            return;
        }
        const usv::UsvReadResult result = usv::OpenUSVFile(path);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.messages, messages);
        QCOMPARE(result.document ? result.document->Voices.size() : 0, qsizetype(entries));
        QCOMPARE(result.document ? result.document->TaggedEntries.size() : 0, qsizetype(tagged));
    }

    void usdEveryTruncation()
    {
        const QByteArray kits = example(QStringLiteral("KITS1.USD"));
        QCOMPARE((kits.size() - 7) % 460, 0);
        for (qsizetype n = 0; n <= kits.size(); ++n) {
            const usd::UsdReadResult result = usd::readUsd(kits.left(n));
            if (n < 5) {
                QCOMPARE(result.messages, QStringList{kUsdHeader});
            } else if (n == 7) {
                QCOMPARE(result.outcome, ReadOutcome::Failed);
            } else if ((n - 7) % 460 == 0) {
                // Whole kits, but the checksum covers the ones cut away.
                QVERIFY(result.document);
                QCOMPARE(result.messages, n == kits.size() ? QStringList() : QStringList{kInfo});
                QCOMPARE(result.document->Entries.size(), (n - 7) / 460);
            } else {
                // The checksum note first: it never stops the read.
                QCOMPARE(result.outcome, ReadOutcome::Refused);
                QCOMPARE(result.messages, (n > 5 ? QStringList{kInfo, kUsdFormat} : QStringList{kUsdFormat}));
            }
        }
    }

    void usvEveryTruncation()
    {
        const QByteArray voices = example(QStringLiteral("VOICES1.USV"));
        const qsizetype tag = voices.indexOf("KORG1");
        QVERIFY(tag > 7 && (tag - 7) % 48 == 0);
        for (qsizetype n = 0; n <= voices.size(); ++n) {
            const usv::UsvReadResult result = usv::readUsv(voices.left(n));
            // Cut before the whole tag, there are only voices; after it, the tagged
            // entries count to the nearest whole one, an exact half to the even one.
            const bool tagWhole = n >= tag + 5;
            const qsizetype voicePart = (tagWhole ? tag : n) - 7;
            const qsizetype after = std::max<qsizetype>(n - tag - 7, 0);
            const qsizetype entries = after / 32 + (after % 32 > 16 || (after % 32 == 16 && after / 32 % 2 == 1));
            if (n < 5) {
                QCOMPARE(result.messages, QStringList{kUsvHeader});
            } else if (voicePart < 0 || voicePart % 48 != 0) {
                QCOMPARE(result.outcome, ReadOutcome::Refused);
                QCOMPARE(result.messages.last(), kUsvFormat);
            } else if (!tagWhole || voicePart == 0 || entries == 0) {
                QCOMPARE(result.outcome, ReadOutcome::Failed);
            } else {
                QCOMPARE(result.outcome, ReadOutcome::Loaded);
                QCOMPARE(result.messages, n == voices.size() ? QStringList() : QStringList{kInfo});
                QCOMPARE(result.document->Voices.size(), voicePart / 48);
                QCOMPARE(result.document->TaggedEntries.size(), entries);
            }
        }
    }

    // A directory or an unreadable file fails silently in both readers.
    void badPath()
    {
        const auto silentFailure = [](const QString &path) {
            const usd::UsdReadResult kit = usd::OpenUSDFile(path);
            const usv::UsvReadResult voice = usv::OpenUSVFile(path);
            return kit.outcome == ReadOutcome::Failed && kit.messages.isEmpty() && !kit.document
                   && voice.outcome == ReadOutcome::Failed && voice.messages.isEmpty() && !voice.document;
        };
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("dir.usd"))));
        QVERIFY(silentFailure(m_dir.filePath(QStringLiteral("dir.usd"))));
        const QString locked = m_dir.filePath(QStringLiteral("locked.usd"));
        QVERIFY(writeAll(locked, usdImage(1)));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        // A child that is not root must still reach the folder.
        QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777));
        QVERIFY(runInChildAsOrdinaryUser([&] { return silentFailure(locked); }));
    }
};

QTEST_GUILESS_MAIN(TestMalformedBanks)
#include "test_malformed_banks.moc"
