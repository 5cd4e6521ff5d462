// The two bank transfer windows, DrumKitWindow (drum kits) and UserVoiceWindow (user voices), driven
// through their controls and the scripted platform: copies, refused files, saves, the
// question before unsaved copies are lost, undo and redo. Failed saves: tests/app/test_app.

#include "../usd/bankbuilder.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace tamo;
using namespace Qt::StringLiterals;

namespace {

const QString kInfo = u"INFO : The file presents a bad CheckSum header. We will try to load it..."_s;

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
    // A button or a menu action.
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
        if (usd)
            return kits()->kit(side) ? usd::usdBytes(*kits()->kit(side)) : QByteArray();
        return voices()->usv(side) ? usv::usvBytes(*voices()->usv(side)) : QByteArray();
    }
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
        m_leftImage = test::bankImage(usd, "L", 3, usd ? 0 : 2);
        m_rightImage = test::bankImage(usd, "R", usd ? 6 : 4, usd ? 0 : 5, QByteArray("KORG1\0\x7F", 7), false);
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
        QTest::newRow("kits cut short") << true << test::bankImage(true, "X", 2, 0).chopped(1) << QStringList{kInfo, u"Bad Kit Format !"_s};
        QTest::newRow("no kits") << true << test::bankImage("KUSD", 3, {}) << QStringList();
        QTest::newRow("no such kit bank") << true << QByteArray() << QStringList();
        QTest::newRow("kits as voices") << false << test::bankImage(true, "X", 1, 0) << QStringList{u"This is not a valid Ketron SD1 Header (KUSV0) !"_s};
        QTest::newRow("voices cut short") << false << test::withTail(test::bankImage(false, "X", 2, 0, ""), "xyz") << QStringList{u"Bad USV Format !"_s};
        QTest::newRow("no tag") << false << test::bankImage(false, "X", 2, 0, "") << QStringList();
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

    void askBeforeLosingCopies_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::addColumn<QString>("command"); // "close", "open" (side 1 again) or "drop" (on side 1)
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("proceeds");
        for (bool usd : {true, false}) {
            const char *kind = usd ? "USD" : "USV";
            QTest::addRow("%s close, Cancel", kind) << usd << "close" << "Cancel" << false;
            QTest::addRow("%s close, Yes", kind) << usd << "close" << "Yes" << true;
            QTest::addRow("%s open, Cancel", kind) << usd << "open" << "Cancel" << false;
            QTest::addRow("%s drop, No", kind) << usd << "drop" << "No" << true;
        }
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
        if (command == u"open" && proceeds)
            platform.queueFile(m_right);
        if (command == u"close")
            w.form->close();
        else if (command == u"open")
            w.click("Command2");
        else
            w.drop(m_right, true);

        QCOMPARE(platform.messages().first(), (ui::MessageBox{u"The file was modified.\r\n\r\nDo you want to save the modifications ?"_s, ui::Buttons::YesNoCancel, ui::Icon::Question, usd ? u"USD Editor"_s : u"USV Editor"_s}));
        // Jazz, loaded on side 1, has a bad checksum.
        QCOMPARE(platform.messageTexts().mid(1), proceeds && command != u"close" ? QStringList{kInfo} : QStringList());
        QCOMPARE(platform.unexpected() + platform.pending(), 0);
        QCOMPARE(command == u"close" ? !w.form->isVisible() : w.path(1) == m_right, proceeds);
        QCOMPARE(test::readAll(m_left), answer == u"Yes" ? copied : m_leftImage);
        if (!proceeds)
            QVERIFY(w.image(1) == copied && w.form->isWindowModified());
    }

    void undoAndRedoCopies_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::newRow("kits") << true;
        QTest::newRow("voices") << false;
    }
    void undoAndRedoCopies()
    {
        QFETCH(bool, usd);
        ui::ScriptedPlatform platform;
        const Window w = openBoth(usd, platform, {1, 0});
        QList<QByteArray> states{w.image(1)};
        for (int row : {1, 2}) {
            w.list(1)->setCurrentRow(row);
            w.list(2)->setCurrentRow(0);
            w.click("Command3");
            states << w.image(1);
        }
        const QByteArray right = w.image(2);
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
        QCOMPARE(w.image(2), right);
        w.drop(m_right, false); // the same file dropped again on the right side
        QCOMPARE(w.path(2), m_right);
        QCOMPARE(w.form->windowTitle(), usd ? u"Rock.usd | Jazz.USD[*] \u2014 USD Editor for KETRON SD1"_s
                                            : u"Rock.usv | Jazz.USV[*] \u2014 USV Editor for KETRON SD1"_s);
    }
};

QTEST_MAIN(TestBankWindows)
#include "test_bankwindows.moc"
