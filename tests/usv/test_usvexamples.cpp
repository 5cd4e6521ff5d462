// The example user-voice banks in examples/ are made here. Run with
// TAMO_WRITE_EXAMPLES=1 to write them again; otherwise the test checks that the files
// are as made and load cleanly.

#include "testsupport.h"
#include "usv/usvfile.h"

#include <QDir>
#include <QTest>

using namespace tamo;
using namespace tamo::usv;

namespace {

QByteArray entry(QByteArrayView name, qsizetype size, int variant)
{
    QByteArray bytes = name.toByteArray().leftJustified(usd::kNameSize, ' ', true);
    for (qsizetype i = bytes.size(); i < size; ++i)
        bytes += char((i * 9 + variant * 17) % 128);
    return bytes;
}

QByteArray bank(const QList<QByteArray> &voices, const QList<QByteArray> &tagged, int variant)
{
    UsvFile doc;
    doc.Magic = "KUSV";
    doc.Version = 0;
    for (const QByteArray &name : voices)
        doc.Voices << UsvVoice(entry(name, kVoiceSize, variant++));
    doc.SectionTag = kWrittenTag;
    for (const QByteArray &name : tagged)
        doc.TaggedEntries << UsvTaggedEntry(entry(name, kTaggedEntrySize, variant++));
    return usvBytes(doc);
}

QString examplesFolder()
{
    return QDir(qEnvironmentVariable("TAMO_TEST_DATA")).absoluteFilePath(QStringLiteral("../../examples"));
}

} // namespace

class TestUsvExamples : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void examples_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("VOICES1") << QStringLiteral("VOICES1.USV")
                                 << bank({"Warm Pad", "Soft Piano", "Nylon Gtr"},
                                         {"Split A", "Split B"}, 1);
        QTest::newRow("VOICES2") << QStringLiteral("VOICES2.USV")
                                 << bank({"Brass Sect", "Strings", "Organ Full", "Synth Lead"},
                                         {"Layer 1", "Layer 2", "Layer 3"}, 21);
    }
    void examples()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = QDir(examplesFolder()).filePath(name);
        if (qEnvironmentVariableIsSet("TAMO_WRITE_EXAMPLES"))
            QVERIFY(SaveUSVFile(path, *readUsv(bytes).document).ok);
        QCOMPARE(test::readAll(path), bytes);
        const UsvReadResult loaded = OpenUSVFile(path);
        QCOMPARE(loaded.outcome, ReadOutcome::Loaded);
        QCOMPARE(loaded.messages, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestUsvExamples)
#include "test_usvexamples.moc"
