// The two bank transfer windows, DrumKitWindow (drum kits) and UserVoiceWindow (user voices), driven
// through their controls and the scripted platform. Failed saves: test_failed_saves.

#include "../usd/bankbuilder.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace Qt::StringLiterals;

namespace {

const QString kInfo = u"INFO : The file presents a bad CheckSum header. We will try to load it..."_s;

// Kits named P1, P2...; or voices named P1..., the tag, and tagged entries PT1...
QByteArray bankImage(bool usd, QByteArray prefix, int entries, int tagged, QByteArrayView tag = "KORG1  ", bool goodChecksum = true)
{
    QList<QByteArray> parts;
    for (int i = 1; i <= entries; ++i)
        parts << test::bankEntry(prefix + QByteArray::number(i), usd ? 460 : 48, prefix[0] + i);
    if (!usd)
        parts << tag.toByteArray();
    for (int j = 1; j <= tagged; ++j)
        parts << test::bankEntry(prefix + 'T' + QByteArray::number(j), 32, prefix[0] + 50 + j);
    return test::bankImage(usd ? "KUSD" : "KUSV", usd ? 3 : 0, parts, goodChecksum);
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
    QString label(int side) const { return form->findChild<QLabel *>(side == 1 ? u"Label2"_s : u"Label3"_s)->text(); }
    void click(const char *button) const { QTest::mouseClick(form->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton); }
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
    QString path(int side) const { return usd ? drumKits()->kitPath(side) : formUsv()->usvPath(side); }
    QByteArray image(int side) const
    {
        if (usd)
            return drumKits()->kit(side) ? usd::usdBytes(*drumKits()->kit(side)) : QByteArray();
        return formUsv()->usv(side) ? usv::usvBytes(*formUsv()->usv(side)) : QByteArray();
    }
    usd::DrumKitWindow *drumKits() const { return static_cast<usd::DrumKitWindow *>(form.get()); }
    usv::UserVoiceWindow *formUsv() const { return static_cast<usv::UserVoiceWindow *>(form.get()); }
};

} // namespace

class TestBankWindows : public QObject {
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
    void copy_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::addColumn<QList<int>>("rows"); // selected in List1, List2...; -1: none
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("from"); // the lists copied from and to; 0: nothing is copied
        QTest::addColumn<int>("to");
        QTest::newRow("kit, left arrow") << true << QList<int>{0, 4} << QByteArray("Command3") << 2 << 1;
        QTest::newRow("kit, right arrow") << true << QList<int>{2, 5} << QByteArray("Command4") << 1 << 2;
        QTest::newRow("kit, nothing selected on the left") << true << QList<int>{-1, 4} << QByteArray("Command3") << 0 << 0;
        QTest::newRow("kit, nothing selected on the right") << true << QList<int>{1, -1} << QByteArray("Command4") << 0 << 0;
        QTest::newRow("voice, left arrow") << false << QList<int>{0, 2, 1, 4} << QByteArray("Command3") << 2 << 1;
        QTest::newRow("voice, right arrow") << false << QList<int>{2, 3, -1, -1} << QByteArray("Command4") << 1 << 2;
        QTest::newRow("tagged, left arrow") << false << QList<int>{1, 1, 1, 4} << QByteArray("Command7") << 4 << 3;
        QTest::newRow("tagged, right arrow") << false << QList<int>{-1, -1, 0, 2} << QByteArray("Command8") << 3 << 4;
        QTest::newRow("tagged arrow, voices selected only") << false << QList<int>{0, 2, -1, -1} << QByteArray("Command7") << 0 << 0;
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
            target.replace(offsetOf(usd, target, to, rows[to - 1]), sizeOf(usd, to), source.mid(offsetOf(usd, source, from, rows[from - 1]), sizeOf(usd, from)));
            test::fixChecksum(target);
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
        QTest::addColumn<QByteArray>("content"); // empty: no such file
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("not a kit bank") << true << QByteArray("RIFF....WAVE") << QStringList{u"This is not a valid Ketron SD1 Header (KUSD3) !"_s};
        QTest::newRow("kits cut short") << true << bankImage(true, "X", 2, 0).chopped(1) << QStringList{kInfo, u"Bad Kit Format !"_s};
        QTest::newRow("no kits") << true << test::bankImage("KUSD", 3, {}) << QStringList();
        QTest::newRow("no such kit bank") << true << QByteArray() << QStringList();
        QTest::newRow("kits as voices") << false << bankImage(true, "X", 1, 0) << QStringList{u"This is not a valid Ketron SD1 Header (KUSV0) !"_s};
        QTest::newRow("voices cut short") << false << test::withTail(bankImage(false, "X", 2, 0, ""), "xyz") << QStringList{u"Bad USV Format !"_s};
        QTest::newRow("no tag") << false << bankImage(false, "X", 2, 0, "") << QStringList();
    }
    // A refused or unreadable file leaves the side with its bank, edits, label and
    // file, which the next save writes. Both sides share one dialog, which offers the
    // name chosen last.
    void refusedFileLeavesSide()
    {
        QFETCH(bool, usd);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, messages);
        ui::ScriptedPlatform platform;
        const Window w = openBoth(usd, platform, {0, 3});
        QCOMPARE(platform.dialogs().at(1).filter, usd ? u"Ketron USerDrumkit Files (*.USD)|*.USD"_s : u"Ketron USerVoice Files (*.USV)|*.USV"_s);
        QVERIFY(platform.dialogs().at(1).fileName == m_left && platform.dialogs().at(1).initialFolder == ui::programFolder());
        w.click("Command3");
        const QByteArray edited = w.image(1);
        const QString chosen = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(content.isEmpty() || test::writeAll(chosen, content));
        platform.clear();
        platform.queueAnswer(ui::Answer::No); // the copy is unsaved: asked first
        w.open(platform, 1, chosen);
        QCOMPARE(platform.messageTexts().mid(1), messages);
        for (const ui::MessageBox &box : platform.messages().mid(1))
            QVERIFY(box.buttons == ui::Buttons::Ok && box.icon == ui::Icon::None && box.title == u"TAMO"_s);
        QVERIFY(w.path(1) == m_left && w.image(1) == edited && platform.busyDepth() == 0);
        QCOMPARE(w.label(1) + w.label(2), usd ? u"ROCK.USDJAZZ.USD"_s : u"ROCK.USVJAZZ.USV"_s);
        QCOMPARE(w.list(1)->item(0)->text(), u"R4          "_s);
        w.click("Command1");
        QVERIFY(test::readAll(chosen) == content && test::readAll(m_left) == edited);
    }

    void saveWritesAndReadsBack_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::newRow("kits") << true;
        QTest::newRow("voices") << false;
    }
    // Saving writes the document with a fresh checksum and the tag as "KORG1" and two
    // spaces, and reads it back: the side's lists are refilled without selection, the
    // other side keeps its own.
    void saveWritesAndReadsBack()
    {
        QFETCH(bool, usd);
        ui::ScriptedPlatform platform;
        const Window w = openBoth(usd, platform, {1, 0});
        QCOMPARE(platform.messageTexts(), QStringList{kInfo});
        w.click("Command4");
        for (int n = 2; n <= (usd ? 2 : 4); n += 2)
            w.list(n)->setCurrentRow(2);
        platform.clear();
        w.click("Command6");
        QByteArray expected = m_rightImage;
        expected.replace(7, sizeOf(usd, 1), m_leftImage.mid(offsetOf(usd, m_leftImage, 1, 1), sizeOf(usd, 1)));
        if (!usd)
            expected.replace(m_rightImage.indexOf("KORG1"), 7, "KORG1  ");
        test::fixChecksum(expected);
        QVERIFY(test::readAll(m_right) == expected && platform.messages().isEmpty());
        // Read back: the checksum and the tag as in the file.
        QVERIFY(usd ? w.drumKits()->kit(2)->CheckLow == quint8(expected[6]) : w.formUsv()->usv(2)->SectionTag == "KORG1  ");
        QVERIFY(w.selected(2) == -1 && (usd || w.selected(4) == -1) && w.selected(1) == 1);
        QCOMPARE(w.list(2)->item(0)->text(), u"L2          "_s);
    }
};

QTEST_MAIN(TestBankWindows)
#include "test_bankwindows.moc"
