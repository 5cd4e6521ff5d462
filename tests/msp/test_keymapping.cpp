#include "msp/keymapping.h"
#include "msp/valueformats.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tamo::msp;

Q_DECLARE_METATYPE(SlotRoots)

// A record of n samples whose every slot byte is distinct, so a moved slot is
// recognised whole.
static MspRecord numberedRecord(int n, QRandomGenerator &random)
{
    MspRecord record = MspRecord::newDocument();
    record.setGlobal(GlobalField::SampleCount, quint8(n));
    for (int k = 1; k <= kMaxSamples; ++k) {
        record.setSampleName(k, QByteArray::number(random.generate()).left(8));
        for (int f = int(SampleField::StartKey); f <= int(SampleField::Release); ++f)
            record.setSample(SampleField(f), k, quint8(random.bounded(256)));
        for (int block = 0; block < kSampleReservedBlocks; ++block)
            record.setSampleReserved(block, k, quint8(random.bounded(256)));
    }
    return record;
}

// The keys a zone covers as the editor shows it: from START's shown note to END.
static std::pair<int, int> shownZone(const MspRecord &record, int slot)
{
    return {record.sample(SampleField::StartKey, slot) + 1, record.sample(SampleField::EndKey, slot)};
}

class TestKeyMapping : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void examples_data()
    {
        QTest::addColumn<SlotRoots>("roots");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QList<int>>("starts"); // stored START of each new slot
        QTest::addColumn<QList<int>>("ends");
        QTest::newRow("one root takes the keyboard") << SlotRoots{60} << QList{1} << QList{0} << QList{127};
        QTest::newRow("two roots meet halfway") << SlotRoots{60, 64} << QList{1, 2} << QList{0, 62} << QList{62, 127};
        QTest::newRow("odd gap: the lower key") << SlotRoots{60, 61} << QList{1, 2} << QList{0, 60} << QList{60, 127};
        QTest::newRow("out of order") << SlotRoots{72, 48, 60} << QList{2, 3, 1} << QList{0, 54, 66} << QList{54, 66, 127};
        QTest::newRow("duplicates split their zone") << SlotRoots{60, 60, 72} << QList{1, 2, 3} << QList{0, 33, 66} << QList{33, 66, 127};
        QTest::newRow("rootless last, kept") << SlotRoots{std::nullopt, 40} << QList{2, 1} << QList{0, -1} << QList{127, -1};
    }
    void examples()
    {
        QFETCH(SlotRoots, roots);
        QFETCH(QList<int>, order);
        QFETCH(QList<int>, starts);
        QFETCH(QList<int>, ends);
        QRandomGenerator random(7);
        MspRecord record = numberedRecord(int(roots.size()), random);
        const MspRecord before = record;
        QCOMPARE(mapKeys(record, roots), order);
        for (int k = 1; k <= roots.size(); ++k) {
            const int from = order.at(k - 1);
            QCOMPARE(record.sampleName(k), before.sampleName(from));
            QCOMPARE(record.sample(SampleField::StartKey, k), starts.at(k - 1) < 0 ? before.sample(SampleField::StartKey, from) : starts.at(k - 1));
            QCOMPARE(record.sample(SampleField::EndKey, k), ends.at(k - 1) < 0 ? before.sample(SampleField::EndKey, from) : ends.at(k - 1));
        }
    }

    // Over random sets of 1..64 samples, some without a root: the mapped zones
    // cover every key 1..127 exactly once as shown, in root order, each slot moved
    // whole, and the rootless ones follow untouched.
    void tilingProperty()
    {
        QRandomGenerator random(12);
        for (int round = 0; round < 400; ++round) {
            const int n = round < 3 ? QList{1, 2, 64}.at(round) : 1 + int(random.bounded(64));
            const bool crowded = round % 4 == 0; // few distinct roots: many duplicates
            SlotRoots roots;
            for (int k = 0; k < n; ++k)
                roots << (round > 3 && random.bounded(8) == 0 ? std::nullopt
                                                              : std::optional(int(crowded ? 60 + random.bounded(3) : random.bounded(128))));
            MspRecord record = numberedRecord(n, random);
            const MspRecord before = record;
            const QList<int> order = mapKeys(record, roots);
            const auto mapped = std::count_if(roots.begin(), roots.end(), [](auto r) { return r.has_value(); });

            QList<int> cover(128, 0);
            int previousRoot = -1, previousSlot = 0;
            for (int k = 1; k <= n; ++k) {
                const int from = order.at(k - 1);
                const std::optional<int> root = roots.at(from - 1);
                QCOMPARE(k <= mapped, root.has_value());
                MspRecord expected = before;
                copySlotFrom(before, from, expected, k);
                if (root) {
                    QVERIFY(*root > previousRoot || (*root == previousRoot && from > previousSlot));
                    previousRoot = *root;
                    previousSlot = from;
                    expected.setSample(SampleField::Key, k, quint8(*root));
                    expected.setSample(SampleField::StartKey, k, record.sample(SampleField::StartKey, k));
                    expected.setSample(SampleField::EndKey, k, record.sample(SampleField::EndKey, k));
                    const auto [low, high] = shownZone(record, k);
                    for (int key = low; key <= high; ++key)
                        ++cover[key];
                }
                for (int block = 0; block < kSampleReservedBlocks; ++block)
                    QCOMPARE(record.sampleReserved(block, k), expected.sampleReserved(block, k));
                for (int f = int(SampleField::StartKey); f <= int(SampleField::Release); ++f)
                    QCOMPARE(record.sample(SampleField(f), k), expected.sample(SampleField(f), k));
                QCOMPARE(record.sampleName(k), expected.sampleName(k));
            }
            if (mapped == 0)
                continue;
            QCOMPARE(record.sample(SampleField::StartKey, 1), 0);
            QCOMPARE(record.sample(SampleField::EndKey, int(mapped)), 127);
            QCOMPARE(cover.mid(1), QList<int>(127, 1));
        }
    }
};

QTEST_GUILESS_MAIN(TestKeyMapping)
#include "test_keymapping.moc"
