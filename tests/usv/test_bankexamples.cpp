// The example banks in examples/ are made here. Run with TAMO_WRITE_EXAMPLES=1 (through
// ctest, which tells where they are) to write them again; otherwise the files must be
// as made and load without any message.

#include "../usd/bankbuilder.h"
#include "testsupport.h"
#include "usv/usvfile.h"

#include <QDir>
#include <QTest>

using namespace tamo;
using namespace Qt::StringLiterals;

// An entry: the name padded to 12 bytes, then data varied by variant. A kit's data is
// 112 items of note, level, pan and group.
static QByteArray entry(QByteArrayView name, qsizetype size, int v)
{
    QByteArray bytes = name.toByteArray().leftJustified(bank::kNameSize, ' ', true);
    for (int item = 0; size == usd::kUsdEntrySize && item < 112; ++item)
        bytes.append(char(27 + item % 61)).append(char(64 + (item * 7 + v * 13) % 64)).append(char((item * 5 + v * 3) % 128)).append(char((item / 8 + v) % 16));
    for (qsizetype i = bytes.size(); i < size; ++i)
        bytes += char((i * 9 + v * 17) % 128);
    return bytes;
}

// Kits, or voices, the tag and tagged entries.
static QByteArray bankImage(bool kits, const QList<QByteArray> &names, const QList<QByteArray> &tagged, int variant)
{
    QList<QByteArray> parts;
    for (const QByteArray &name : names)
        parts << entry(name, kits ? usd::kUsdEntrySize : usv::kVoiceSize, variant++);
    if (!kits)
        parts << "KORG1  ";
    for (const QByteArray &name : tagged)
        parts << entry(name, usv::kTaggedEntrySize, variant++);
    return test::bankImage(kits ? "KUSD" : "KUSV", kits ? 3 : 0, parts);
}

class TestBankExamples : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void examples_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("KITS1") << u"KITS1.USD"_s << bankImage(true, {"Studio Kit", "Brush Kit", "Dance Kit", "Latin Kit"}, {}, 1);
        QTest::newRow("KITS2") << u"KITS2.USD"_s << bankImage(true, {"Rock Kit", "Jazz Kit", "Orchestra", "Electro Kit", "Room Kit"}, {}, 11);
        QTest::newRow("VOICES1") << u"VOICES1.USV"_s << bankImage(false, {"Warm Pad", "Soft Piano", "Nylon Gtr"}, {"Split A", "Split B"}, 1);
        QTest::newRow("VOICES2") << u"VOICES2.USV"_s << bankImage(false, {"Brass Sect", "Strings", "Organ Full", "Synth Lead"}, {"Layer 1", "Layer 2", "Layer 3"}, 21);
    }
    void examples()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = test::examplePath(name);
        if (qEnvironmentVariableIsSet("TAMO_WRITE_EXAMPLES"))
            QVERIFY(tamo::saveFileAtomically(path, bytes).ok);
        QCOMPARE(test::readAll(path), bytes);
        const bool kit = name.endsWith(u".USD");
        QCOMPARE(kit ? usd::OpenUSDFile(path).outcome : usv::OpenUSVFile(path).outcome, bank::ReadOutcome::Loaded);
        QCOMPARE(kit ? usd::OpenUSDFile(path).messages : usv::OpenUSVFile(path).messages, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestBankExamples)
#include "test_bankexamples.moc"
