// The transfer windows keep unsaved copies: the question before they are lost (with
// Cancel), undo and redo of copies, and files dropped on a side.

#include "../usd/bankbuilder.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace tamo;
using namespace Qt::StringLiterals;

namespace {

// A window of either kind with LEFT and RIGHT open, seen through its controls.
struct Window {
    bool usd;
    QString left;
    QString right;
    std::unique_ptr<QWidget> form = usd ? std::unique_ptr<QWidget>(new usd::DrumKitWindow) : std::make_unique<usv::UserVoiceWindow>();

    QByteArray document(int side) const
    {
        if (usd) {
            const auto &kit = static_cast<usd::DrumKitWindow *>(form.get())->kit(side);
            return kit ? usd::usdBytes(*kit) : QByteArray();
        }
        const auto &bank = static_cast<usv::UserVoiceWindow *>(form.get())->usv(side);
        return bank ? usv::usvBytes(*bank) : QByteArray();
    }
    QString path(int side) const
    {
        return usd ? static_cast<usd::DrumKitWindow *>(form.get())->kitPath(side)
                   : static_cast<usv::UserVoiceWindow *>(form.get())->usvPath(side);
    }
    void run(const QString &name) const
    {
        auto *button = form->findChild<QPushButton *>(name);
        button ? button->click() : form->findChild<QAction *>(name)->trigger();
    }
    // Copies row `from` of the right list over row `to` of the left one.
    void copyLeft(int from, int to) const
    {
        form->findChild<QListWidget *>(u"List2"_s)->setCurrentRow(from);
        form->findChild<QListWidget *>(u"List1"_s)->setCurrentRow(to);
        run(u"Command3"_s);
    }
    void drop(const QString &file, bool onLeft) const
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        QDropEvent event(QPointF(onLeft ? 20 : form->width() - 20, form->height() / 2), Qt::CopyAction, &mime,
                         Qt::LeftButton, {});
        static_cast<QObject *>(form.get())->event(&event); // as the drag manager hands it over
    }
};

Window openWindow(bool usd, const QTemporaryDir &dir, ui::ScriptedPlatform &platform)
{
    const QString ext = usd ? u".USD"_s : u".USV"_s;
    Window w{usd, dir.filePath(u"LEFT"_s + ext), dir.filePath(u"RIGHT"_s + ext)};
    // Kit or voice 1 differs from 2 and 3, so each copy below changes the left bank.
    for (const QString &path : {w.left, w.right})
        test::writeAll(path, usd ? test::usdImage(3) : test::usvImage(3, 2));
    w.form->show();
    platform.queueFile(w.left);
    w.run(u"Command2"_s);
    platform.queueFile(w.right);
    w.run(u"Command5"_s);
    return w;
}

} // namespace

class TestBankUnsavedWork : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

    void askBeforeLosingCopies()
    {
        QFETCH(bool, usd);
        QFETCH(QString, command);
        QFETCH(QString, answer);
        QFETCH(bool, proceeds);
        QTemporaryDir dir;
        ui::ScriptedPlatform platform;
        const Window w = openWindow(usd, dir, platform);
        const QByteArray onDisk = test::readAll(w.left);
        w.copyLeft(0, 1);
        const QByteArray copied = w.document(1);
        QVERIFY(copied != onDisk && w.form->isWindowModified());
        platform.clear();
        platform.queueAnswer(answer == u"Yes" ? ui::Answer::Yes : answer == u"No" ? ui::Answer::No : ui::Answer::Cancel);
        if (command == u"open" && proceeds)
            platform.queueFile(w.right);
        if (command == u"close")
            w.form->close();
        else if (command == u"open")
            w.run(u"Command2"_s);
        else
            w.drop(w.right, true);

        QCOMPARE(platform.messages(), (QList<ui::MessageBox>{{u"The file was modified.\r\n\r\nDo you want to save the modifications ?"_s, ui::Buttons::YesNoCancel, ui::Icon::Question, usd ? u"USD Editor"_s : u"USV Editor"_s}}));
        QCOMPARE(platform.unexpected() + platform.pending(), 0);
        QCOMPARE(command == u"close" ? !w.form->isVisible() : w.path(1) == w.right, proceeds);
        QCOMPARE(test::readAll(w.left), answer == u"Yes" ? copied : onDisk);
        if (!proceeds)
            QVERIFY(w.document(1) == copied && w.form->isWindowModified());
    }

    void undoAndRedoCopies_data()
    {
        QTest::addColumn<bool>("usd");
        QTest::newRow("USD") << true;
        QTest::newRow("USV") << false;
    }

    void undoAndRedoCopies()
    {
        QFETCH(bool, usd);
        QTemporaryDir dir;
        ui::ScriptedPlatform platform;
        const Window w = openWindow(usd, dir, platform);
        QList<QByteArray> states{w.document(1)};
        for (int row : {1, 2}) {
            w.copyLeft(0, row);
            states << w.document(1);
        }
        const QByteArray right = w.document(2);
        for (int i = 2; i > 0; --i) {
            w.run(u"MnuUndo"_s);
            QCOMPARE(w.document(1), states.at(i - 1));
        }
        QVERIFY(!w.form->isWindowModified());
        for (int i = 1; i <= 2; ++i) {
            w.run(u"MnuRedo"_s);
            QCOMPARE(w.document(1), states.at(i));
        }
        w.run(u"Command1"_s); // saved: undo now leaves the file behind
        QVERIFY(!w.form->isWindowModified());
        w.run(u"MnuUndo"_s);
        QVERIFY(w.form->isWindowModified() && test::readAll(w.left) == states.at(2));
        QCOMPARE(w.document(2), right);
        w.drop(w.right, false); // the same file dropped again on the right side
        QCOMPARE(w.path(2), w.right);
        QCOMPARE(w.form->windowTitle(), u"LEFT%1 | RIGHT%1[*] \u2014 %2 Editor for KETRON SD1"_s.arg(usd ? u".USD"_s : u".USV"_s, usd ? u"USD"_s : u"USV"_s));
    }
};

QTEST_MAIN(TestBankUnsavedWork)
#include "test_bank_unsaved_work.moc"
