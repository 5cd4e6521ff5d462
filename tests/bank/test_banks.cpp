// SPDX-License-Identifier: GPL-3.0-or-later
// Drum-kit (USD) and user-voice (USV) banks, read, written and refused, and their two
// transfer windows driven through their controls. Any bytes: fuzz_usd and fuzz_usv;
// failed saves: test_app.

#include "faultsupport.h"
#include "ui/scriptedplatform.h"
#include "usd/drumkitwindow.h"
#include "usd/usdfile.h"
#include "usv/uservoicewindow.h"
#include "usv/usvfile.h"
#include "util/atomicfile.h"

#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace tamo;
using namespace tamo::test;
using namespace Qt::StringLiterals;
using bank::ReadOutcome;

Q_DECLARE_METATYPE(tamo::bank::ReadOutcome)

namespace {

// An entry of size bytes: the name padded with spaces to 12 bytes, then data that
// differs from entry to entry.
QByteArray bankEntry(QByteArrayView name, qsizetype size, int seed)
{
    QByteArray bytes = name.first(qMin<qsizetype>(name.size(), 12)).toByteArray().leftJustified(12, ' ');
    for (qsizetype i = bytes.size(); i < size; ++i)
        bytes += char((seed * 37 + i * 11) & 0xFF);
    return bytes;
}

// Appends bytes to image and stores its right checksum in its bytes 5 and 6.
QByteArray withTail(QByteArray image, const QByteArray &bytes)
{
    image += bytes;
    const bank::Checksum sum = bank::HeaderChecksum(QByteArrayView(image).sliced(7));
    image[5] = char(sum.high);
    image[6] = char(sum.low);
    return image;
}

QByteArray bankHead(bool usd) { return QByteArray(usd ? "KUSD\x03" : "KUSV\0", 5) + QByteArray(2, '\0'); }

// Kits named P1, P2...; or voices named P1..., the tag, and tagged entries PT1...
QByteArray bankImage(bool usd, QByteArray prefix, int entries, int tagged, QByteArrayView tag = "KORG1  ", bool goodChecksum = true)
{
    QList<QByteArray> parts;
    for (int i = 1; i <= entries; ++i)
        parts << bankEntry(prefix + QByteArray::number(i), usd ? 460 : 48, prefix[0] + i);
    if (!usd)
        parts << tag.toByteArray();
    for (int j = 1; j <= tagged; ++j)
        parts << bankEntry(prefix + 'T' + QByteArray::number(j), 32, prefix[0] + 50 + j);
    QByteArray image = withTail(bankHead(usd), parts.join());
    image[6] = char(quint8(image[6]) ^ (goodChecksum ? 0 : 0x5A));
    return image;
}

const QString kInfo = u"INFO : The file presents a bad CheckSum header. We will try to load it..."_s;
const QString kUsdHeader = u"This is not a valid Ketron SD1 Header (KUSD3) !"_s;
const QString kUsvHeader = u"This is not a valid Ketron SD1 Header (KUSV0) !"_s;
const QString kUsvFormat = u"Bad USV Format !"_s;

// An example entry: the name padded to 12 bytes, then data varied by variant. A
// kit's data is 112 items of note, level, pan and group.
QByteArray exampleEntry(QByteArrayView name, qsizetype size, int v)
{
    QByteArray bytes = name.toByteArray().leftJustified(bank::kNameSize, ' ', true);
    for (int item = 0; size == usd::kUsdEntrySize && item < 112; ++item)
        bytes.append(char(27 + item % 61)).append(char(64 + (item * 7 + v * 13) % 64)).append(char((item * 5 + v * 3) % 128)).append(char((item / 8 + v) % 16));
    for (qsizetype i = bytes.size(); i < size; ++i)
        bytes += char((i * 9 + v * 17) % 128);
    return bytes;
}

// Kits, or voices, the tag and tagged entries.
QByteArray exampleImage(bool kits, const QList<QByteArray> &names, const QList<QByteArray> &tagged, int variant)
{
    QList<QByteArray> parts;
    for (const QByteArray &name : names)
        parts << exampleEntry(name, kits ? usd::kUsdEntrySize : usv::kVoiceSize, variant++);
    if (!kits)
        parts << "KORG1  ";
    for (const QByteArray &name : tagged)
        parts << exampleEntry(name, usv::kTaggedEntrySize, variant++);
    return withTail(bankHead(kits), parts.join());
}

// Where entry row of list n (1, 2: kits or voices; 3, 4: tagged entries) starts in an
// image, and its size.
qsizetype offsetOf(bool usd, const QByteArray &image, int n, int row)
{
    return usd ? 7 + 460 * row : n <= 2 ? 7 + 48 * row : image.indexOf("KORG1", 7) + 7 + 32 * row;
}
qsizetype sizeOf(bool usd, int n) { return usd ? 460 : n <= 2 ? 48 : 32; }

// A window of either kind, seen through its controls and its documents.
struct Window {
    bool usd;
    std::unique_ptr<QWidget> form = usd ? std::unique_ptr<QWidget>(new usd::DrumKitWindow) : std::make_unique<usv::UserVoiceWindow>();

    QListWidget *list(int n) const { return form->findChild<QListWidget *>(u"List%1"_s.arg(n)); }
    void click(const char *name) const
    {
        auto *button = form->findChild<QPushButton *>(QLatin1String(name));
        button ? QTest::mouseClick(button, Qt::LeftButton) : form->findChild<QAction *>(QLatin1String(name))->trigger();
    }
    void drop(const QString &file, bool onLeft) const
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        QDropEvent event(QPointF(onLeft ? 20 : form->width() - 20, form->height() / 2), Qt::CopyAction, &mime,
                         Qt::LeftButton, {});
        static_cast<QObject *>(form.get())->event(&event); // as the drag manager hands it over
    }
    void open(ui::ScriptedPlatform &platform, int side, const QString &path) const
    {
        platform.queueFile(path);
        click(side == 1 ? "Command2" : "Command5");
    }
    // The one selected row of list n; -1: none.
    int selected(int n) const
    {
        const QList<QListWidgetItem *> items = list(n)->selectedItems();
        return items.isEmpty() ? -1 : items.size() > 1 ? -2 : list(n)->row(items.first());
    }
    // The side's file, and its document as it would be written.
    auto *kits() const { return static_cast<usd::DrumKitWindow *>(form.get()); }
    auto *voices() const { return static_cast<usv::UserVoiceWindow *>(form.get()); }
    QString path(int side) const { return usd ? kits()->kitPath(side) : voices()->usvPath(side); }
    QByteArray image(int side) const
    {
        return usd ? (kits()->kit(side) ? usd::usdBytes(*kits()->kit(side)) : QByteArray())
                   : (voices()->usv(side) ? usv::usvBytes(*voices()->usv(side)) : QByteArray());
    }
};

} // namespace

class TestBanks : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    // Rock: 3 kits, or 3 voices and 2 tagged entries. Jazz: 6 kits, or 4 voices, an odd
    // tag and 5 tagged entries; with a bad checksum.
    QString m_left, m_right;
    QByteArray m_leftImage, m_rightImage;

    // A window with Rock open on the left, Jazz on the right, and rows selected.
    Window openBoth(bool usd, ui::ScriptedPlatform &platform, const QList<int> &rows)
    {
        m_left = m_dir.filePath(usd ? u"Rock.usd"_s : u"Rock.usv"_s);
        m_right = m_dir.filePath(usd ? u"Jazz.USD"_s : u"Jazz.USV"_s);
        m_leftImage = bankImage(usd, "L", 3, usd ? 0 : 2);
        m_rightImage = bankImage(usd, "R", usd ? 6 : 4, usd ? 0 : 5, QByteArray("KORG1\0\x7F", 7), false);
        Window w{usd};
        w.form->show();
        test::writeAll(m_left, m_leftImage);
        test::writeAll(m_right, m_rightImage);
        w.open(platform, 1, m_left);
        w.open(platform, 2, m_right);
        for (int n = 1; n <= rows.size(); ++n)
            w.list(n)->setCurrentRow(rows[n - 1]);
        return w;
    }

private Q_SLOTS:
    // A child that is not root must still reach the folder.
    void initTestCase() { QVERIFY(m_dir.isValid() && QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7777))); }

    // The high byte takes the low byte's top bit (4848), or not (4660), and keeps only
    // its own 8 bits (65408); sums wrap at 65536. Stored in bytes 5 and 6: read(), copy().
    void checksum()
    {
        for (const auto &[sum, high, low] : {std::tuple{4848, 19, 240}, {4660, 18, 52}, {65408, 0, 128}, {65536 + 4848, 19, 240}})
            QCOMPARE(bank::HeaderChecksum(QByteArray(sum / 255, '\xff') + char(sum % 255)), (bank::Checksum{quint8(high), quint8(low)}));
    }

    // What is read, and for USV what is written back: the tag as "KORG1" and two
    // spaces, a fresh checksum, whole entries only.
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<ReadOutcome>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("tagged"); // -1: a USD row
        QTest::addColumn<QByteArray>("written"); // null: as read
        const QStringList none;
        // The checksum note first: it never stops the read.
        QTest::newRow("USD kits cut short") << bankImage(true, "K", 2, 0).chopped(1) << ReadOutcome::Refused << QStringList{kInfo, u"Bad Kit Format !"_s} << 0 << -1 << QByteArray();
        QTest::newRow("USD 32767 kits") << bankImage(true, "K", 32767, 0) << ReadOutcome::Loaded << none << 32767 << -1 << QByteArray();
        // More kits than the instrument's count holds: the file just does not load.
        QTest::newRow("USD 32768 kits") << bankImage(true, "K", 32768, 0) << ReadOutcome::Failed << none << 0 << -1 << QByteArray();
        QTest::newRow("32767 voices") << bankImage(false, "V", 32767, 1) << ReadOutcome::Loaded << none << 32767 << 1 << QByteArray();
        QTest::newRow("32768 voices") << bankImage(false, "V", 32768, 1) << ReadOutcome::Failed << none << 0 << 0 << QByteArray();
        // Only the 7-byte header (its checksum of nothing is 0): nothing to load, no message.
        QTest::newRow("USD header only") << QByteArray("KUSD\x03\0\0", 7) << ReadOutcome::Failed << none << 0 << -1 << QByteArray();
        QTest::newRow("USV header only") << QByteArray("KUSV\0\0\0", 7) << ReadOutcome::Failed << none << 0 << 0 << QByteArray();
        const QByteArray z16(16, 'z');
        QTest::newRow("tag + 2x32+16 rounds to even, down") << withTail(bankImage(false, "V", 3, 2), z16) << ReadOutcome::Loaded << none << 3 << 2 << bankImage(false, "V", 3, 2);
        // The last entry reaches past the end: its missing half is written as zero bytes.
        QTest::newRow("tag + 3x32+16 rounds to even, up") << withTail(bankImage(false, "V", 3, 3), z16) << ReadOutcome::Loaded << none << 3 << 4
                                                        << withTail(bankImage(false, "V", 3, 3), z16 + QByteArray(16, '\0'));
        QTest::newRow("tag bytes not spaces") << bankImage(false, "V", 2, 2, "KORG1xy") << ReadOutcome::Loaded << none << 2 << 2 << bankImage(false, "V", 2, 2);
        QTest::newRow("bad checksum") << bankImage(false, "V", 2, 2, "KORG1  ", false) << ReadOutcome::Loaded << QStringList{kInfo} << 2 << 2 << bankImage(false, "V", 2, 2);
        QTest::newRow("checksum message comes first") << bankImage(false, "V", 3, 0, "") + "abc" << ReadOutcome::Refused << QStringList{kInfo, kUsvFormat} << 0 << 0 << QByteArray();
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(ReadOutcome, outcome);
        QFETCH(QStringList, messages);
        QFETCH(int, entries);
        QFETCH(int, tagged);
        QFETCH(QByteArray, written);
        const usd::UsdReadResult kits = usd::readUsd(file);
        const usv::UsvReadResult voices = usv::readUsv(file);
        const bool isUsd = tagged < 0;
        QCOMPARE(isUsd ? kits.outcome : voices.outcome, outcome);
        QCOMPARE(isUsd ? kits.messages : voices.messages, messages);
        QCOMPARE(isUsd ? (kits.document ? kits.document->Entries.size() : 0) : voices.document ? voices.document->Voices.size() : 0, qsizetype(entries));
        if (!isUsd && voices.document) {
            QCOMPARE(voices.document->TaggedEntries.size(), qsizetype(tagged));
            QCOMPARE(usv::usvBytes(*voices.document), written.isNull() ? file : written);
        }
    }

    // Names are shown as Windows-1252; a zero byte, a control byte and a code
    // Windows-1252 leaves unassigned show as a space.
    void displayName()
    {
        QCOMPARE(bank::displayName(QByteArray("Pop\0\x1F\x81\x8D\x8F\x90\x9D", 10)), u"Pop       "_s);
        QCOMPARE(bank::displayName("\x80\x93\xE9\x9F"), u"\u20AC\u201C\u00E9\u0178"_s);
    }

    // What no reader may do: read a huge file, a FIFO or a device whole, or tell of a
    // folder or a file it cannot read. head: the start of a file size bytes long.
    void unreadable_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::addColumn<QString>("head"); // or "fifo", "folder", "locked", a path
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QStringList>("messages"); // none: a silent failure
        QTest::addColumn<qint64>("mostRead");
        const qint64 huge = qint64(64) << 20;
        QTest::newRow("USV 64 MiB, bad header") << false << "KUSX" << huge << QStringList{kUsvHeader} << qint64(5);
        QTest::newRow("USD past the largest bank") << true << "KUSD\x03" << usd::kMaxUsdFileSize + 460 << QStringList() << usd::kMaxUsdFileSize + 1;
        QTest::newRow("USV past the largest bank") << false << "KUSV" << usv::kMaxUsvFileSize + 1 << QStringList() << usv::kMaxUsvFileSize + 1;
        // Both kinds read through one reader: the special files once.
        for (const char *special : {"fifo", "folder", "locked", "/dev/zero"})
            QTest::newRow(special) << true << special << qint64(0) << QStringList() << qint64(0);
    }
    void unreadable()
    {
        QFETCH(bool, usd);
        QFETCH(QString, head);
        QFETCH(qint64, size);
        QFETCH(QStringList, messages);
        QFETCH(qint64, mostRead);
        QString path = head;
        if (!head.startsWith(u'/')) {
            path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
            // "KUSV" is completed with the byte 0 by the hole that follows it.
            QVERIFY(head == u"fifo" ? makeFifo(path) : head == u"folder" ? QDir().mkpath(path) : sparseFile(path, head.toLatin1(), size));
        }
        QVERIFY(head != u"locked" || QFile::setPermissions(path, QFileDevice::Permissions()));
        const auto check = [&] {
            const qint64 before = bytesReadSoFar();
            const auto fails = [&](const auto &result) {
                return result.outcome == (messages.isEmpty() ? ReadOutcome::Failed : ReadOutcome::Refused)
                       && result.messages == messages && !result.document && bytesReadSoFar() - before <= mostRead + 256;
            };
            return usd ? fails(usd::OpenUSDFile(path)) : fails(usv::OpenUSVFile(path));
        };
        // Root reads any file: the locked one is tried by an ordinary user.
        QVERIFY(head == u"locked" ? runInChildAsOrdinaryUser(check) : runWithinAMinute(check));
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
            << u"the voices 2 \"Organ\" and 3 \"ORG1 Jazz\" spell \"KORG1\", which would be read back as the section tag"_s;
        QTest::newRow("\"KORG1\" inside one name") << QByteArray("Piano") << QByteArray("My KORG1")
            << u"the voice 3 \"My KORG1\" spells \"KORG1\", which would be read back as the section tag"_s;
    }
    void saveReadsBack()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, problem);
        const QString path = m_dir.filePath(u"save.usv"_s);
        const QByteArray old = bankImage(false, "V", 4, 2);
        QVERIFY(writeAll(path, old));
        usv::UsvFile doc = *usv::readUsv(old).document;
        doc.Voices[1] = usv::UsvVoice(before.size() == 48 ? before : bankEntry(before, 48, 2));
        doc.Voices[2] = usv::UsvVoice(bankEntry(after, 48, 3));
        QCOMPARE(usv::SaveUSVFile(path, doc).error, problem);
        QCOMPARE(usv::OpenUSVFile(path).document->Voices, problem.isEmpty() ? doc.Voices : usv::readUsv(old).document->Voices);
    }

    // The example banks in examples/ are made here. Run with TAMO_WRITE_EXAMPLES=1
    // (through ctest, which tells where they are) to write them again; otherwise the
    // files must be as made and load without any message.
    void examples_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("KITS1") << u"KITS1.USD"_s << exampleImage(true, {"Studio Kit", "Brush Kit", "Dance Kit", "Latin Kit"}, {}, 1);
        QTest::newRow("KITS2") << u"KITS2.USD"_s << exampleImage(true, {"Rock Kit", "Jazz Kit", "Orchestra", "Electro Kit", "Room Kit"}, {}, 11);
        QTest::newRow("VOICES1") << u"VOICES1.USV"_s << exampleImage(false, {"Warm Pad", "Soft Piano", "Nylon Gtr"}, {"Split A", "Split B"}, 1);
        QTest::newRow("VOICES2") << u"VOICES2.USV"_s << exampleImage(false, {"Brass Sect", "Strings", "Organ Full", "Synth Lead"}, {"Layer 1", "Layer 2", "Layer 3"}, 21);
    }
    void examples()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = examplePath(name);
        if (qEnvironmentVariableIsSet("TAMO_WRITE_EXAMPLES"))
            QVERIFY(tamo::saveFileAtomically(path, bytes).ok);
        QCOMPARE(readAll(path), bytes);
        const bool kit = name.endsWith(u".USD");
        QCOMPARE(kit ? usd::OpenUSDFile(path).messages : usv::OpenUSVFile(path).messages, QStringList());
        QCOMPARE(kit ? usd::OpenUSDFile(path).outcome : usv::OpenUSVFile(path).outcome, ReadOutcome::Loaded);
    }

    void copy_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::addColumn<QList<int>>("rows"); // selected in List1, List2...; -1: none
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("from"); // the lists copied from and to; 0: nothing is copied
        QTest::addColumn<int>("to");
        QTest::newRow("kit, left arrow") << true << QList<int>{0, 4} << QByteArray("Command3") << 2 << 1;
        QTest::newRow("kit, nothing selected on the left") << true << QList<int>{-1, 4} << QByteArray("Command3") << 0 << 0;
        QTest::newRow("voice, left arrow") << false << QList<int>{0, 2, 1, 4} << QByteArray("Command3") << 2 << 1;
        QTest::newRow("voice, right arrow") << false << QList<int>{2, 3, -1, -1} << QByteArray("Command4") << 1 << 2;
        QTest::newRow("tagged, left arrow") << false << QList<int>{1, 1, 1, 4} << QByteArray("Command7") << 4 << 3;
        QTest::newRow("tagged, right arrow") << false << QList<int>{-1, -1, 0, 2} << QByteArray("Command8") << 3 << 4;
        QTest::newRow("voice arrow, one voice list selected") << false << QList<int>{-1, 1, 1, 3} << QByteArray("Command4") << 0 << 0;
    }
    // An arrow copies the entry selected on one side over the one selected on the
    // other, in memory; the lists of the target side are refilled without selection,
    // the others keep theirs. Without both selections it does nothing.
    void copy()
    {
        QFETCH(bool, usd);
        QFETCH(QList<int>, rows);
        QFETCH(QByteArray, button);
        QFETCH(int, from);
        QFETCH(int, to);
        ui::ScriptedPlatform platform;
        const Window w = openBoth(usd, platform, rows);
        QByteArray expected[] = {w.image(1), w.image(2)};
        if (to > 0) {
            QByteArray &target = expected[(to - 1) % 2];
            const QByteArray &source = expected[(from - 1) % 2];
            target = withTail(target.replace(offsetOf(usd, target, to, rows[to - 1]), sizeOf(usd, to), source.mid(offsetOf(usd, source, from, rows[from - 1]), sizeOf(usd, from))), {});
        }
        w.click(button.constData());
        QVERIFY(w.image(1) == expected[0] && w.image(2) == expected[1]);
        for (int n = 1; n <= rows.size(); ++n)
            QCOMPARE(w.selected(n), to > 0 && n % 2 == to % 2 ? -1 : rows[n - 1]);
        if (to > 0)
            QCOMPARE(w.list(to)->item(rows[to - 1])->text(), w.list(from)->item(rows[from - 1])->text());
        QVERIFY(test::readAll(m_left) == m_leftImage && test::readAll(m_right) == m_rightImage);
    }

    void refusedFileLeavesSide_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a kit bank") << true << QByteArray("RIFF....WAVE");
        QTest::newRow("no tag") << false << bankImage(false, "X", 2, 0, "");
    }
    // A refused or unreadable file (which file is refused: read()) leaves the side with
    // its bank, edits and file, which the next save writes.
    void refusedFileLeavesSide()
    {
        QFETCH(bool, usd);
        QFETCH(QByteArray, content);
        ui::ScriptedPlatform platform;
        const Window w = openBoth(usd, platform, {0, 3});
        QCOMPARE(platform.dialogs().at(1).filter, usd ? u"Ketron USerDrumkit Files (*.USD)|*.USD"_s : u"Ketron USerVoice Files (*.USV)|*.USV"_s);
        w.click("Command3");
        const QByteArray edited = w.image(1);
        const QString chosen = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(test::writeAll(chosen, content));
        platform.clear();
        platform.queueAnswer(ui::Answer::No); // the copy is unsaved: asked first
        w.open(platform, 1, chosen);
        QCOMPARE(platform.messageTexts().mid(1), usd ? QStringList{kUsdHeader} : QStringList());
        QVERIFY(w.path(1) == m_left && w.image(1) == edited && platform.busyDepth() == 0);
        QCOMPARE(w.list(1)->item(0)->text(), u"R4          "_s);
        w.click("Command1");
        QVERIFY(test::readAll(chosen) == content && test::readAll(m_left) == edited);
    }

    void askBeforeLosingCopies_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::addColumn<QString>("command"); // "close", "quit" (Ctrl+Q), "open" (side 1 again) or "drop" (on side 1)
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("proceeds");
        // Both kinds ask through bank::TransferWindow: the second only for its title.
        QTest::newRow("close, Cancel") << true << "close" << "Cancel" << false;
        QTest::newRow("close, Yes") << true << "close" << "Yes" << true;
        QTest::newRow("open, Cancel") << true << "open" << "Cancel" << false;
        QTest::newRow("USV drop, No") << false << "drop" << "No" << true;
        QTest::newRow("USV quit, Cancel") << false << "quit" << "Cancel" << false;
        QTest::newRow("quit, No") << true << "quit" << "No" << true;
    }
    // Closing, or opening or dropping a file on a side with unsaved copies asks first,
    // with Cancel; Yes saves, No drops the copies.
    void askBeforeLosingCopies()
    {
        QFETCH(bool, usd);
        QFETCH(QString, command);
        QFETCH(QString, answer);
        QFETCH(bool, proceeds);
        ui::ScriptedPlatform platform;
        const Window w = openBoth(usd, platform, {1, 0});
        w.click("Command3");
        const QByteArray copied = w.image(1);
        QVERIFY(copied != m_leftImage && w.form->isWindowModified());
        platform.clear();
        platform.queueAnswer(answer == u"Yes" ? ui::Answer::Yes : answer == u"No" ? ui::Answer::No : ui::Answer::Cancel);
        if (command == u"close")
            w.form->close();
        else if (command == u"quit") {
            QVERIFY(w.form->findChild<QAction *>(u"MnuEnd"_s)->shortcuts().contains(QKeySequence(u"Ctrl+Q"_s)));
            w.click("MnuEnd");
        }
        else if (command == u"open")
            w.click("Command2");
        else
            w.drop(m_right, true);

        QCOMPARE(platform.messages().first(), (ui::MessageBox{u"The file was modified.\r\n\r\nDo you want to save the modifications ?"_s, ui::Buttons::YesNoCancel, ui::Icon::Question, usd ? u"USD Editor"_s : u"USV Editor"_s}));
        QCOMPARE(platform.unexpected() + platform.pending(), 0);
        QCOMPARE(command == u"close" ? !w.form->isVisible() : command == u"quit" ? platform.quitRequests() == 1 : w.path(1) == m_right, proceeds);
        QCOMPARE(test::readAll(m_left), answer == u"Yes" ? copied : m_leftImage);
        if (!proceeds)
            QVERIFY(w.image(1) == copied && w.form->isWindowModified());
    }

    // The undo stack and the title are bank::TransferWindow's: one kind shows them.
    void undoAndRedoCopies()
    {
        ui::ScriptedPlatform platform;
        const Window w = openBoth(false, platform, {1, 0});
        QList<QByteArray> states{w.image(1)};
        for (int row : {1, 2}) { // List2 keeps its selection: copies refill List1 only
            w.list(1)->setCurrentRow(row);
            w.click("Command3");
            states << w.image(1);
        }
        for (int i = 2; i > 0; --i) {
            w.click("MnuUndo");
            QCOMPARE(w.image(1), states.at(i - 1));
        }
        QVERIFY(!w.form->isWindowModified());
        for (int i = 1; i <= 2; ++i) {
            w.click("MnuRedo");
            QCOMPARE(w.image(1), states.at(i));
        }
        w.click("Command1"); // saved: undo now leaves the file behind
        QVERIFY(!w.form->isWindowModified());
        w.click("MnuUndo");
        QVERIFY(w.form->isWindowModified() && test::readAll(m_left) == states.at(2));
        w.drop(m_right, false); // the same file dropped again on the right side
        QCOMPARE(w.path(2), m_right);
        QCOMPARE(w.form->windowTitle(), u"Rock.usv | Jazz.USV[*] \u2014 USV Editor for KETRON SD1"_s);
    }
};

QTEST_MAIN(TestBanks)
#include "test_banks.moc"
