#include "bankbuilder.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "usd/form3.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::usd;

namespace {

const QString kInfo =
    QStringLiteral("INFO : The file presents a bad CheckSum header. We will try to load it...");

QByteArray kitImage(const QList<QByteArray> &names, int seed, bool goodChecksum = true)
{
    QList<QByteArray> entries;
    for (const QByteArray &name : names)
        entries << test::bankEntry(name, 460, seed++);
    return test::bankImage("KUSD", 3, entries, goodChecksum);
}

QStringList rows(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QList<int> selection(const QListWidget *list)
{
    QList<int> result;
    for (const QListWidgetItem *item : list->selectedItems())
        result << list->row(item);
    return result;
}

} // namespace

class TestForm3 : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_left; // Rock.usd: kits L1..L3
    QString m_right; // Jazz.USD: kits R1..R6
    QByteArray m_leftImage;
    QByteArray m_rightImage;

    template <class T>
    static T *child(Form3 &form, const char *name)
    {
        T *w = form.findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("missing control %s", name);
        return w;
    }
    static void click(Form3 &form, const char *button)
    {
        QTest::mouseClick(child<QPushButton>(form, button), Qt::LeftButton);
    }
    static void open(Form3 &form, ui::ScriptedPlatform &platform, int side, const QString &path)
    {
        platform.queueFile(path);
        click(form, side == 1 ? "Command2" : "Command5");
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_leftImage = kitImage({"L1", "L2", "L3"}, 1);
        m_rightImage = kitImage({"R1", "R2", "R3", "R4", "R5", "R6"}, 20);
        m_left = m_dir.filePath(QStringLiteral("Rock.usd"));
        m_right = m_dir.filePath(QStringLiteral("Jazz.USD"));
    }
    void init()
    {
        QVERIFY(test::writeAll(m_left, m_leftImage));
        QVERIFY(test::writeAll(m_right, m_rightImage));
    }

    void openFillsListAndLabel()
    {
        ui::ScriptedPlatform platform;
        Form3 form;
        form.show();
        open(form, platform, 1, m_left);
        open(form, platform, 2, m_right);
        QCOMPARE(child<QLabel>(form, "Label2")->text(), QStringLiteral("ROCK.USD"));
        QCOMPARE(child<QLabel>(form, "Label3")->text(), QStringLiteral("JAZZ.USD"));
        QCOMPARE(rows(child<QListWidget>(form, "List1")),
                 (QStringList{QStringLiteral("L1          "), QStringLiteral("L2          "),
                              QStringLiteral("L3          ")}));
        QCOMPARE(child<QListWidget>(form, "List2")->count(), 6);
        QCOMPARE(form.kitPath(1), m_left);
        QCOMPARE(platform.messages().size(), 0);
        QCOMPARE(platform.busyDepth(), 0);

        // Both sides share one dialog, which offers the name chosen last.
        QCOMPARE(platform.dialogs().size(), 2);
        const ui::FileDialogRequest &second = platform.dialogs().at(1);
        QCOMPARE(second.filter, QStringLiteral("Ketron USerDrumkit Files (*.USD)|*.USD"));
        QCOMPARE(second.initialFolder, ui::programFolder());
        QCOMPARE(second.fileName, m_left);
        QCOMPARE(second.mode, ui::FileDialogRequest::Mode::Open);
    }

    void copy_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("leftRow");
        QTest::addColumn<int>("rightRow");
        QTest::addColumn<bool>("copies");
        QTest::newRow("left arrow: right row 4 over left row 0") << QByteArray("Command3") << 0 << 4 << true;
        QTest::newRow("right arrow: left row 2 over right row 5") << QByteArray("Command4") << 2 << 5 << true;
        QTest::newRow("left arrow, nothing selected on the left")
            << QByteArray("Command3") << -1 << 4 << false;
        QTest::newRow("left arrow, nothing selected on the right")
            << QByteArray("Command3") << 1 << -1 << false;
        QTest::newRow("right arrow, nothing selected on the left")
            << QByteArray("Command4") << -1 << 0 << false;
    }
    void copy()
    {
        QFETCH(QByteArray, button);
        QFETCH(int, leftRow);
        QFETCH(int, rightRow);
        QFETCH(bool, copies);
        ui::ScriptedPlatform platform;
        Form3 form;
        form.show();
        open(form, platform, 1, m_left);
        open(form, platform, 2, m_right);
        auto *list1 = child<QListWidget>(form, "List1");
        auto *list2 = child<QListWidget>(form, "List2");
        list1->setCurrentRow(leftRow);
        list2->setCurrentRow(rightRow);
        const UsdFile left = *form.kit(1);
        const UsdFile right = *form.kit(2);

        click(form, button.constData());
        // Twice is the same as once.
        if (copies) {
            (button == "Command3" ? list1 : list2)->setCurrentRow(button == "Command3" ? leftRow : rightRow);
            click(form, button.constData());
        }

        const bool toLeft = button == "Command3";
        UsdFile expectLeft = left;
        UsdFile expectRight = right;
        if (copies && toLeft)
            expectLeft.Entries[leftRow] = right.Entries[rightRow];
        if (copies && !toLeft)
            expectRight.Entries[rightRow] = left.Entries[leftRow];
        QCOMPARE(*form.kit(1), expectLeft);
        QCOMPARE(*form.kit(2), expectRight);
        QCOMPARE(list1->count(), 3);
        QCOMPARE(list2->count(), 6);
        if (copies) {
            QListWidget *target = toLeft ? list1 : list2;
            QListWidget *source = toLeft ? list2 : list1;
            const int targetRow = toLeft ? leftRow : rightRow;
            const int sourceRow = toLeft ? rightRow : leftRow;
            QCOMPARE(target->item(targetRow)->text(), source->item(sourceRow)->text());
            QCOMPARE(selection(target), QList<int>());
            QCOMPARE(selection(source), QList<int>{sourceRow});
        }
        // Copies stay in memory.
        QCOMPARE(test::readAll(m_left), m_leftImage);
        QCOMPARE(test::readAll(m_right), m_rightImage);
        QCOMPARE(platform.messages().size(), 0);
    }

    void arrowsNeedBothSides()
    {
        ui::ScriptedPlatform platform;
        Form3 form;
        form.show();
        open(form, platform, 1, m_left);
        child<QListWidget>(form, "List1")->setCurrentRow(1);
        click(form, "Command3");
        click(form, "Command4");
        QCOMPARE(form.kit(1)->Entries, readUsd(m_leftImage).document->Entries);
        QVERIFY(!form.kit(2));
        QCOMPARE(selection(child<QListWidget>(form, "List1")), QList<int>{1});
    }

    void refusedFileLeavesSide_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("not a USD file") << QByteArray("RIFF....WAVE")
                                        << QStringList{QStringLiteral(
                                               "This is not a valid Ketron SD1 Header (KUSD3) !")};
        QByteArray cut = m_rightImage;
        cut.chop(1);
        QTest::newRow("cut short") << cut
                                   << QStringList{kInfo, QStringLiteral("Bad Kit Format !")};
        QTest::newRow("header only") << test::bankImage("KUSD", 3, {}) << QStringList();
        QTest::newRow("unreadable") << QByteArray() << QStringList();
    }
    void refusedFileLeavesSide()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, messages);
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("Other.usd"));
        if (!content.isEmpty())
            QVERIFY(test::writeAll(chosen, content));

        ui::ScriptedPlatform platform;
        Form3 form;
        form.show();
        open(form, platform, 1, m_left);
        open(form, platform, 2, m_right);
        child<QListWidget>(form, "List1")->setCurrentRow(0);
        child<QListWidget>(form, "List2")->setCurrentRow(3);
        click(form, "Command3");
        const UsdFile edited = *form.kit(1);
        platform.clear();

        open(form, platform, 1, chosen);
        QCOMPARE(platform.messageTexts(), messages);
        for (const ui::MessageBox &box : platform.messages()) {
            QCOMPARE(box.icon, ui::Icon::None);
            QCOMPARE(box.buttons, ui::Buttons::Ok);
            QCOMPARE(box.title, QStringLiteral("TAMO"));
        }
        QCOMPARE(platform.busyDepth(), 0);
        QCOMPARE(child<QLabel>(form, "Label2")->text(), QStringLiteral("ROCK.USD"));
        QCOMPARE(form.kitPath(1), m_left);
        QCOMPARE(*form.kit(1), edited);
        QCOMPARE(child<QListWidget>(form, "List1")->item(0)->text(), QStringLiteral("R4          "));

        // The next save goes to the file the document came from, not the refused one.
        click(form, "Command1");
        QCOMPARE(test::readAll(chosen), content);
        QCOMPARE(readUsd(test::readAll(m_left)).document->Entries, edited.Entries);
    }

    void saveWritesAndReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("BADSUM.USD"));
        const QByteArray original = kitImage({"A", "B", "C"}, 40, false);
        QVERIFY(test::writeAll(path, original));

        ui::ScriptedPlatform platform;
        Form3 form;
        form.show();
        open(form, platform, 1, path);
        QCOMPARE(platform.messageTexts(), QStringList{kInfo});
        open(form, platform, 2, m_right);
        auto *list1 = child<QListWidget>(form, "List1");
        list1->setCurrentRow(2);
        child<QListWidget>(form, "List2")->setCurrentRow(5);
        click(form, "Command3");
        list1->setCurrentRow(1);
        platform.clear();

        click(form, "Command1");
        QByteArray expected = original;
        expected.replace(7 + 460 * 2, 460, m_rightImage.mid(7 + 460 * 5, 460));
        test::fixChecksum(expected);
        QCOMPARE(test::readAll(path), expected);
        QCOMPARE(platform.messages().size(), 0);
        // Read back: fresh checksum in the document, list refilled without selection.
        QCOMPARE(form.kit(1)->CheckHigh, quint8(expected[5]));
        QCOMPARE(form.kit(1)->CheckLow, quint8(expected[6]));
        QCOMPARE(list1->item(2)->text(), QStringLiteral("R6          "));
        QCOMPARE(selection(list1), QList<int>());
        QCOMPARE(test::filesIn(dir.path()), QStringList{QStringLiteral("BADSUM.USD")});
    }

    void sameFileOnBothSides()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("TWICE.USD"));
        QVERIFY(test::writeAll(path, m_leftImage));
        ui::ScriptedPlatform platform;
        Form3 form;
        form.show();
        open(form, platform, 1, path);
        open(form, platform, 2, path);
        child<QListWidget>(form, "List1")->setCurrentRow(0);
        child<QListWidget>(form, "List2")->setCurrentRow(2);
        click(form, "Command3");
        QCOMPARE(form.kit(2)->Entries, readUsd(m_leftImage).document->Entries);
        click(form, "Command1");
        click(form, "Command6");
        QCOMPARE(test::readAll(path), m_leftImage);
    }

    void saveWithoutDocumentDoesNothing()
    {
        QTemporaryDir dir;
        ui::ScriptedPlatform platform;
        Form3 form;
        form.show();
        click(form, "Command1");
        click(form, "Command6");
        QCOMPARE(platform.messages().size(), 0);
        QCOMPARE(platform.dialogs().size(), 0);
        QCOMPARE(test::filesIn(dir.path()), QStringList());
    }

    void failedSaveIsReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("FULL.USD"));
        const QByteArray original = kitImage({"A", "B", "C", "D"}, 60);
        QVERIFY(test::writeAll(path, original));
        ui::ScriptedPlatform platform;
        Form3 form;
        form.show();
        open(form, platform, 1, path);
        open(form, platform, 2, m_right);
        child<QListWidget>(form, "List1")->setCurrentRow(3);
        child<QListWidget>(form, "List2")->setCurrentRow(0);
        click(form, "Command3");
        const UsdFile edited = *form.kit(1);
        {
            test::FileSizeLimit limit(1000);
            click(form, "Command1");
        }
        QCOMPARE(test::readAll(path), original);
        QCOMPARE(platform.messages().size(), 1);
        const ui::MessageBox &box = platform.messages().first();
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
        QVERIFY2(box.text.contains(QStringLiteral("File too large")), qPrintable(box.text));
        QCOMPARE(box.icon, ui::Icon::Exclamation);
        QCOMPARE(*form.kit(1), edited);
        QCOMPARE(child<QListWidget>(form, "List1")->item(3)->text(), QStringLiteral("R1          "));
        QCOMPARE(test::filesIn(dir.path()), QStringList{QStringLiteral("FULL.USD")});
    }
};

QTEST_MAIN(TestForm3)
#include "test_form3.moc"
