// The Keyboard menu on real sound files: roots found on add and mapped, the list's
// marks, renaming, the key map, the export and an SFZ import, each undoable.

#include "../wav/helper_sound.h"
#include "helper_editor.h"
#include "msp/keymapping.h"
#include "msp_editor/keyboardtools.h"
#include "msp_editor/keymapwindow.h"
#include "msp_editor/mspeditorwindow.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using namespace tamo;
using namespace Qt::StringLiterals;
using msp::SampleField;
using msp_editor::MspEditorWindow;

namespace {

constexpr int kPcm16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

QStringList names(const MspEditorWindow &editor)
{
    QStringList result;
    for (int slot = 1; slot <= editor.record().sampleCount(); ++slot)
        result << QString::fromLatin1(editor.record().sampleName(slot)).trimmed();
    return result;
}

} // namespace

class TestKeyboardTools : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString &name, int format = kPcm16, std::optional<int> root = {})
    {
        const QString path = m_dir.filePath(name);
        return test::sound::write(path, format, 44100, 1, 2000, root) ? path : QString();
    }

private Q_SLOTS:
    // Added files are mapped when a root is found; the list tells where it came from
    // and marks what the keyboard would refuse; one undo takes the mapping back.
    void addMapsAndMarks()
    {
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        const QStringList files{file(u"HI_C4.wav"_s), file(u"LO.wav"_s, kPcm16, 43), file(u"MID-C3.wav"_s),
                                file(u"DEEP.wav"_s, SF_FORMAT_WAV | SF_FORMAT_PCM_24)};
        editor.addWavFiles(files);
        QCOMPARE(names(editor), QStringList({u"LO"_s, u"MID-C3"_s, u"HI_C4"_s, u"DEEP"_s}));
        QCOMPARE(editor.record().sample(SampleField::Key, 2), quint8(60));
        msp::MspRecord rooted = editor.record(); // the rootless DEEP keeps its whole keyboard
        rooted.setGlobal(msp::GlobalField::SampleCount, 3);
        const QList<int> coverage = msp::keyCoverage(rooted);
        QVERIFY(std::all_of(coverage.begin() + 1, coverage.end(), [](int n) { return n == 1; }));
        const QListWidget *list = editor.sampleList();
        QVERIFY(list->item(0)->toolTip().contains(u"Root G1, from the sampler chunk"_s));
        QVERIFY(list->item(1)->toolTip().contains(u"from the file name"_s) && list->item(1)->icon().isNull());
        QVERIFY(list->item(3)->toolTip().contains(u"No root key found"_s));
        QVERIFY(list->item(3)->toolTip().contains(u"24-bit"_s) && !list->item(3)->icon().isNull());
        editor.undoStack()->undo();
        QCOMPARE(names(editor), QStringList({u"HI_C4"_s, u"LO"_s, u"MID-C3"_s, u"DEEP"_s}));
        QCOMPARE(platform.unexpected(), 0);
    }

    void rename_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name"); // of slot 1 afterwards
        QTest::addColumn<QString>("message");
        QTest::newRow("readable") << u"piano c3"_s.remove(u' ') << u"PIANOC3"_s << QString();
        QTest::newRow("too long") << u"NINECHARS"_s << u"A"_s << u"A sample name has 1 to 8"_s;
        QTest::newRow("a space") << u"A B"_s << u"A"_s << u"A sample name has 1 to 8"_s;
        QTest::newRow("taken") << u"b"_s << u"A"_s << u"Another sample is already named B."_s;
    }
    void rename()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(QString, message);
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        editor.addWavFiles({file(u"A.wav"_s), file(u"B.wav"_s)});
        editor.selectSlot(1);
        platform.queueText(typed);
        editor.keyboardTools()->renameSelectedSample();
        QCOMPARE(names(editor).first(), name);
        QCOMPARE(platform.messageTexts().size(), message.isEmpty() ? 0 : 1);
        QVERIFY(platform.messageTexts().join(u' ').startsWith(message));
        // The sound stays with the renamed sample.
        QCOMPARE(QFileInfo(editor.sampleSourceFile(1)).fileName(), u"A.wav"_s);
    }

    // The key map selects what is clicked and plays the sample mapped to a key.
    void keyMap()
    {
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        editor.addWavFiles({file(u"P_C3.wav"_s), file(u"P_C5.wav"_s)});
        editor.keyboardTools()->showKeyMap();
        msp_editor::KeyMapWindow *map = editor.keyboardTools()->keyMap();
        QVERIFY(map && map->isVisible());
        QTest::mouseClick(map->canvas(), Qt::LeftButton, {}, QPoint(200, 14 + 5));
        QCOMPARE(editor.selectedSlot(), 2);
        QVERIFY(editor.keyboardTools()->playKey(90));
        QVERIFY(!editor.keyboardTools()->playKey(0)); // no START can show key 0
        QCOMPARE(map->keyAt(QPoint(72 + 60 * 8 + 1, 2 * 14 + 10)), 60);
    }

    // The export writes the set under the stored names; an SFZ import replaces the
    // document with its regions.
    void exportAndImport()
    {
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        const QString wav = file(u"S_E2.wav"_s), target = m_dir.filePath(u"STICK"_s);
        QVERIFY(QDir().mkpath(target));
        editor.addWavFiles({wav, file(u"T_A3.wav"_s, SF_FORMAT_WAV | SF_FORMAT_FLOAT)});
        platform.queueFile(target);
        editor.keyboardTools()->exportForKeyboard();
        QCOMPARE(test::filesIn(target), QStringList({u"STICK.MSP"_s, u"S_E2.WAV"_s, u"T_A3.WAV"_s}));
        QCOMPARE(test::readAll(target + u"/S_E2.WAV"_s), test::readAll(wav));
        QCOMPARE(test::readAll(target + u"/STICK.MSP"_s), editor.record().bytes());
        QCOMPARE(test::sound::read(target + u"/T_A3.WAV"_s).info.format, kPcm16);

        QVERIFY(test::writeAll(m_dir.filePath(u"kit.sfz"_s), "<region> sample=S_E2.wav lokey=40 hikey=50 pitch_keycenter=45\n"));
        platform.queueAnswer(ui::Answer::No); // the unsaved document is let go
        editor.keyboardTools()->importSfz(m_dir.filePath(u"kit.sfz"_s));
        QCOMPARE(editor.record().sampleCount(), 1);
        QCOMPARE(editor.record().sample(SampleField::EndKey, 1), quint8(50));
        QCOMPARE(editor.sampleSourceFile(1), wav);
        QVERIFY(editor.isWindowModified() && editor.CurrentMspPath.isEmpty());
        QCOMPARE(platform.unexpected(), 0);
    }
};

QTEST_MAIN(TestKeyboardTools)
#include "test_keyboardtools.moc"
