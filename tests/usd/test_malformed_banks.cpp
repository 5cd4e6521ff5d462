// Malformed drum-kit and user-voice banks, and paths that cannot be read: each
// ends in a load, a refusal with its message, or a silent failure, and nothing
// else. Inputs that the fuzz targets found harmful are kept here as rows.

#include "bankbuilder.h"
#include "testsupport.h"
#include "usd/usdfile.h"
#include "usv/usvfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using tamo::test::bankImage;
using tamo::test::fixChecksum;
using tamo::test::readAll;
using tamo::test::runInChildAsOrdinaryUser;
using tamo::test::usdImage;
using tamo::test::usvImage;
using tamo::test::writeAll;

Q_DECLARE_METATYPE(tamo::usd::ReadOutcome)

namespace {

const QString kInfo =
    QStringLiteral("INFO : The file presents a bad CheckSum header. We will try to load it...");
const QString kUsdHeader = QStringLiteral("This is not a valid Ketron SD1 Header (KUSD3) !");
const QString kUsdFormat = QStringLiteral("Bad Kit Format !");
const QString kUsvHeader = QStringLiteral("This is not a valid Ketron SD1 Header (KUSV0) !");
const QString kUsvFormat = QStringLiteral("Bad USV Format !");

using usd::ReadOutcome;

// A bank of zero-filled entries: cheap at any count, and its checksum is 0.
QByteArray blankBank(QByteArrayView magic, char version, qsizetype bodyBytes)
{
    return magic.toByteArray() + version + QByteArray(2 + bodyBytes, '\0');
}

QByteArray blankUsv(qsizetype voices, qsizetype tagged)
{
    QByteArray image = blankBank("KUSV", 0, 48 * voices) + "KORG1  " + QByteArray(32 * tagged, '\0');
    fixChecksum(image);
    return image;
}


} // namespace

class TestMalformedBanks : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString examplePath(const QString &name) const
    {
        return QDir(qEnvironmentVariable("TAMO_TEST_DATA")).filePath(QStringLiteral("../../examples/") + name);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void usd_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<ReadOutcome>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("kits");

        const QByteArray two = usdImage(2);
        QByteArray badSum = two;
        badSum[6] = char(badSum[6] ^ 0x5A);
        QTest::newRow("empty file") << QByteArray() << ReadOutcome::Refused << QStringList{kUsdHeader} << 0;
        QTest::newRow("magic only") << QByteArray("KUSD") << ReadOutcome::Refused << QStringList{kUsdHeader} << 0;
        QTest::newRow("version as a character") << "KUSD3" + two.mid(5) << ReadOutcome::Refused
                                                << QStringList{kUsdHeader} << 0;
        // The checksum bytes of a 5-byte file are missing: they count as zero, as
        // the sum of no entries is.
        QTest::newRow("5 bytes") << QByteArray("KUSD\x03", 5) << ReadOutcome::Refused << QStringList{kUsdFormat} << 0;
        QTest::newRow("header only") << blankBank("KUSD", 3, 0) << ReadOutcome::Failed << QStringList() << 0;
        QTest::newRow("header only, bad checksum") << QByteArray("KUSD\x03\x01\x02", 7) << ReadOutcome::Failed
                                                   << QStringList{kInfo} << 0;
        QTest::newRow("two kits") << two << ReadOutcome::Loaded << QStringList() << 2;
        QTest::newRow("bad checksum") << badSum << ReadOutcome::Loaded << QStringList{kInfo} << 2;
        QTest::newRow("one byte more") << two + "x" << ReadOutcome::Refused << QStringList{kInfo, kUsdFormat} << 0;
        QTest::newRow("one byte less") << two.chopped(1) << ReadOutcome::Refused << QStringList{kInfo, kUsdFormat}
                                       << 0;
        QTest::newRow("32767 kits") << blankBank("KUSD", 3, 460 * 32767) << ReadOutcome::Loaded << QStringList()
                                    << 32767;
        // More kits than the instrument's count holds: nothing to tell the user but
        // that the file did not load.
        QTest::newRow("32768 kits") << blankBank("KUSD", 3, 460 * 32768) << ReadOutcome::Failed << QStringList() << 0;
    }
    void usd()
    {
        QFETCH(QByteArray, file);
        QFETCH(ReadOutcome, outcome);
        QFETCH(QStringList, messages);
        QFETCH(int, kits);
        const QString path = m_dir.filePath(QStringLiteral("case.usd"));
        QVERIFY(writeAll(path, file));
        const usd::UsdReadResult result = usd::OpenUSDFile(path);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.messages, messages);
        QCOMPARE(result.document.has_value(), outcome == ReadOutcome::Loaded);
        if (result.document)
            QCOMPARE(result.document->Entries.size(), qsizetype(kits));
    }

    void usdEveryTruncation()
    {
        const QByteArray kits = readAll(examplePath(QStringLiteral("KITS1.USD")));
        QCOMPARE((kits.size() - 7) % 460, 0);
        for (qsizetype n = 0; n <= kits.size(); ++n) {
            const usd::UsdReadResult result = usd::readUsd(kits.left(n));
            if (n < 5) {
                QCOMPARE(result.messages, QStringList{kUsdHeader});
            } else if (n == kits.size()) {
                QCOMPARE(result.outcome, ReadOutcome::Loaded);
                QVERIFY(result.messages.isEmpty());
            } else if (n == 7) {
                QCOMPARE(result.outcome, ReadOutcome::Failed);
            } else if ((n - 7) % 460 == 0) {
                // Whole kits, but the checksum covers the ones cut away.
                QCOMPARE(result.outcome, ReadOutcome::Loaded);
                QCOMPARE(result.messages, QStringList{kInfo});
                QCOMPARE(result.document->Entries.size(), (n - 7) / 460);
            } else {
                QCOMPARE(result.outcome, ReadOutcome::Refused);
                QCOMPARE(result.messages.last(), kUsdFormat);
            }
        }
    }

    void usv_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<ReadOutcome>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("voices");
        QTest::addColumn<int>("tagged");

        const QByteArray good = usvImage(3, 5);
        QByteArray badSum = good;
        badSum[5] = char(badSum[5] ^ 0x11);
        const auto withTail = [](QByteArray image, qsizetype bytes) {
            image += QByteArray(bytes, '\0');
            fixChecksum(image);
            return image;
        };
        // "KORG1" inside the second voice, 20 bytes in: the first match is the tag.
        QByteArray inVoice = good;
        inVoice.replace(7 + 48 + 20, 5, "KORG1");
        fixChecksum(inVoice);
        // The second voice's name starts with "KORG1": one voice, the rest tagged.
        QByteArray atVoice = good;
        atVoice.replace(7 + 48, 5, "KORG1");
        fixChecksum(atVoice);

        QTest::newRow("empty file") << QByteArray() << ReadOutcome::Refused << QStringList{kUsvHeader} << 0 << 0;
        QTest::newRow("version as a character") << "KUSV0" + good.mid(5) << ReadOutcome::Refused
                                                << QStringList{kUsvHeader} << 0 << 0;
        QTest::newRow("5 bytes") << QByteArray("KUSV\0", 5) << ReadOutcome::Refused << QStringList{kUsvFormat} << 0
                                 << 0;
        QTest::newRow("header only") << blankBank("KUSV", 0, 0) << ReadOutcome::Failed << QStringList() << 0 << 0;
        QTest::newRow("3 voices, 5 entries") << good << ReadOutcome::Loaded << QStringList() << 3 << 5;
        QTest::newRow("bad checksum") << badSum << ReadOutcome::Loaded << QStringList{kInfo} << 3 << 5;
        QTest::newRow("KORG1 inside a voice") << inVoice << ReadOutcome::Refused << QStringList{kUsvFormat} << 0 << 0;
        QTest::newRow("KORG1 at a voice's start") << atVoice << ReadOutcome::Loaded << QStringList() << 1 << 8;
        QTest::newRow("no tag, whole voices") << bankImage("KUSV", 0, {QByteArray(96, 'v')}) << ReadOutcome::Failed
                                              << QStringList() << 0 << 0;
        QTest::newRow("no tag, part of a voice") << bankImage("KUSV", 0, {QByteArray(97, 'v')})
                                                 << ReadOutcome::Refused << QStringList{kUsvFormat} << 0 << 0;
        QTest::newRow("tag right after the header") << usvImage(0, 3) << ReadOutcome::Failed << QStringList() << 0 << 0;
        QTest::newRow("tag cut short") << bankImage("KUSV", 0, {QByteArray(48, 'v'), "KORG1"}) << ReadOutcome::Failed
                                       << QStringList() << 0 << 0;
        QTest::newRow("tag without entries") << usvImage(2, 0) << ReadOutcome::Failed << QStringList() << 0 << 0;
        QTest::newRow("10 bytes after the tag") << withTail(usvImage(1, 0), 10) << ReadOutcome::Failed << QStringList()
                                                << 0 << 0;
        QTest::newRow("16 bytes after the tag") << withTail(usvImage(1, 0), 16) << ReadOutcome::Failed << QStringList()
                                                << 0 << 0;
        QTest::newRow("17 bytes after the tag") << withTail(usvImage(1, 0), 17) << ReadOutcome::Loaded << QStringList()
                                                << 1 << 1;
        QTest::newRow("32767 voices") << blankUsv(32767, 1) << ReadOutcome::Loaded << QStringList() << 32767 << 1;
        QTest::newRow("32768 voices") << blankUsv(32768, 1) << ReadOutcome::Failed << QStringList() << 0 << 0;
        QTest::newRow("32767 entries") << blankUsv(1, 32767) << ReadOutcome::Loaded << QStringList() << 1 << 32767;
        QTest::newRow("32768 entries") << blankUsv(1, 32768) << ReadOutcome::Failed << QStringList() << 0 << 0;
    }
    void usv()
    {
        QFETCH(QByteArray, file);
        QFETCH(ReadOutcome, outcome);
        QFETCH(QStringList, messages);
        QFETCH(int, voices);
        QFETCH(int, tagged);
        const QString path = m_dir.filePath(QStringLiteral("case.usv"));
        QVERIFY(writeAll(path, file));
        const usv::UsvReadResult result = usv::OpenUSVFile(path);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.messages, messages);
        QCOMPARE(result.document.has_value(), outcome == ReadOutcome::Loaded);
        if (!result.document)
            return;
        QCOMPARE(result.document->Voices.size(), qsizetype(voices));
        QCOMPARE(result.document->TaggedEntries.size(), qsizetype(tagged));
        // Written back, it reads again the same, with a checksum that matches.
        const usv::UsvReadResult again = usv::readUsv(usv::usvBytes(*result.document));
        QCOMPARE(again.outcome, ReadOutcome::Loaded);
        QVERIFY(again.messages.isEmpty());
        QCOMPARE(again.document->Voices, result.document->Voices);
        QCOMPARE(again.document->TaggedEntries, result.document->TaggedEntries);
    }

    void usvEveryTruncation()
    {
        const QByteArray voices = readAll(examplePath(QStringLiteral("VOICES1.USV")));
        const qsizetype tag = voices.indexOf("KORG1");
        QVERIFY(tag > 7 && (tag - 7) % 48 == 0);
        for (qsizetype n = 0; n <= voices.size(); ++n) {
            const usv::UsvReadResult result = usv::readUsv(voices.left(n));
            if (n < 5) {
                QCOMPARE(result.messages, QStringList{kUsvHeader});
                continue;
            }
            if (n == voices.size()) {
                QCOMPARE(result.outcome, ReadOutcome::Loaded);
                QVERIFY(result.messages.isEmpty());
                continue;
            }
            // Cut before the whole tag, there are only voices; after it, the tagged
            // entries count to the nearest whole one.
            const bool tagWhole = n >= tag + 5;
            const qsizetype voicePart = (tagWhole ? tag : n) - 7;
            if (voicePart < 0 || voicePart % 48 != 0) {
                QCOMPARE(result.outcome, ReadOutcome::Refused);
                QCOMPARE(result.messages.last(), kUsvFormat);
                continue;
            }
            // after / 32 to the nearest whole number, an exact half to the even one.
            const qsizetype after = n - tag - 7;
            qsizetype entries = after <= 0 ? 0 : after / 32;
            if (after > 0 && (after % 32 > 16 || (after % 32 == 16 && entries % 2 == 1)))
                ++entries;
            if (!tagWhole || voicePart == 0 || entries == 0) {
                QCOMPARE(result.outcome, ReadOutcome::Failed);
            } else {
                QCOMPARE(result.outcome, ReadOutcome::Loaded);
                QCOMPARE(result.document->Voices.size(), voicePart / 48);
                QCOMPARE(result.document->TaggedEntries.size(), entries);
            }
        }
    }

    void badPath_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"missing", "directory", "unreadable", "through a file", "no name"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void badPath()
    {
        QFETCH(QString, kind);
        const QString folder = m_dir.filePath(QStringLiteral("bad"));
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        QString path;
        if (kind == u"missing") {
            path = folder + QStringLiteral("/missing.usd");
        } else if (kind == u"directory") {
            path = folder + QStringLiteral("/dir.usd");
            QVERIFY(QDir().mkpath(path));
        } else if (kind == u"unreadable") {
            path = folder + QStringLiteral("/locked.usd");
            QVERIFY(writeAll(path, usdImage(1)));
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
            // A child that is not root must still reach the folder.
            QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
            QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777));
        } else if (kind == u"through a file") {
            QVERIFY(writeAll(folder + QStringLiteral("/plain"), "x"));
            path = folder + QStringLiteral("/plain/inside.usd");
        }
        const auto silentFailure = [&path] {
            const usd::UsdReadResult kit = usd::OpenUSDFile(path);
            const usv::UsvReadResult voice = usv::OpenUSVFile(path);
            return kit.outcome == ReadOutcome::Failed && kit.messages.isEmpty() && !kit.document
                   && voice.outcome == ReadOutcome::Failed && voice.messages.isEmpty() && !voice.document;
        };
        QVERIFY(kind == u"unreadable" ? runInChildAsOrdinaryUser(silentFailure) : silentFailure());
    }
};

QTEST_GUILESS_MAIN(TestMalformedBanks)
#include "test_malformed_banks.moc"
