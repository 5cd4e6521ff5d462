#include "../usd/bankbuilder.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "usv/formusv.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::usv;

namespace {

QByteArray bank(const QByteArray &prefix, int voices, int tagged, int seed,
                QByteArrayView tag = "KORG1  ")
{
    QList<QByteArray> parts;
    for (int i = 0; i < voices; ++i)
        parts << test::bankEntry(prefix + "V" + QByteArray::number(i + 1), 48, seed + i);
    parts << tag.toByteArray();
    for (int j = 0; j < tagged; ++j)
        parts << test::bankEntry(prefix + "T" + QByteArray::number(j + 1), 32, seed + 50 + j);
    return test::bankImage("KUSV", 0, parts);
}

QList<int> selection(const QListWidget *list)
{
    QList<int> result;
    for (const QListWidgetItem *item : list->selectedItems())
        result << list->row(item);
    return result;
}

} // namespace

class TestFormUsv : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_left;  // Strings.usv: 3 voices, 2 tagged entries
    QString m_right; // Brass.USV: 4 voices, 5 tagged entries
    QByteArray m_leftImage;
    QByteArray m_rightImage;

    template <class T>
    static T *child(FormUSV &form, const char *name)
    {
        T *w = form.findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("missing control %s", name);
        return w;
    }
    static QListWidget *list(FormUSV &form, int n)
    {
        return child<QListWidget>(form, QByteArray("List" + QByteArray::number(n)).constData());
    }
    static void click(FormUSV &form, const char *button)
    {
        QTest::mouseClick(child<QPushButton>(form, button), Qt::LeftButton);
    }
    static void open(FormUSV &form, ui::ScriptedPlatform &platform, int side, const QString &path)
    {
        platform.queueFile(path);
        click(form, side == 1 ? "Command2" : "Command5");
    }
    void openBoth(FormUSV &form, ui::ScriptedPlatform &platform)
    {
        open(form, platform, 1, m_left);
        open(form, platform, 2, m_right);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_leftImage = bank("Str", 3, 2, 1);
        m_rightImage = bank("Brs", 4, 5, 10, QByteArray("KORG1\0\x7F", 7));
        m_left = m_dir.filePath(QStringLiteral("Strings.usv"));
        m_right = m_dir.filePath(QStringLiteral("Brass.USV"));
    }
    void init()
    {
        QVERIFY(test::writeAll(m_left, m_leftImage));
        QVERIFY(test::writeAll(m_right, m_rightImage));
    }

    void openFillsBothLists()
    {
        ui::ScriptedPlatform platform;
        FormUSV form;
        form.show();
        openBoth(form, platform);
        QCOMPARE(child<QLabel>(form, "Label2")->text(), QStringLiteral("STRINGS.USV"));
        QCOMPARE(child<QLabel>(form, "Label3")->text(), QStringLiteral("BRASS.USV"));
        QCOMPARE(list(form, 1)->count(), 3);
        QCOMPARE(list(form, 3)->count(), 2);
        QCOMPARE(list(form, 2)->count(), 4);
        QCOMPARE(list(form, 4)->count(), 5);
        QCOMPARE(list(form, 4)->item(4)->text(), QStringLiteral("BrsT5       "));
        QCOMPARE(platform.messages().size(), 0);
        QCOMPARE(platform.dialogs().at(1).filter,
                 QStringLiteral("Ketron USerVoice Files (*.USV)|*.USV"));
        QCOMPARE(platform.dialogs().at(1).fileName, m_left);
    }

    void copy_data()
    {
        // Selected rows of List1..List4 (-1: none), the button, and what it copies.
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("copies");
        QTest::newRow("voice right to left") << QList<int>{0, 2, 1, 4} << QByteArray("Command3")
                                             << QStringLiteral("voice");
        QTest::newRow("voice left to right") << QList<int>{2, 3, -1, -1} << QByteArray("Command4")
                                             << QStringLiteral("voice");
        QTest::newRow("tagged right to left") << QList<int>{1, 1, 1, 4} << QByteArray("Command7")
                                              << QStringLiteral("tagged");
        QTest::newRow("tagged left to right") << QList<int>{-1, -1, 0, 2} << QByteArray("Command8")
                                              << QStringLiteral("tagged");
        QTest::newRow("tagged arrow, voices selected only")
            << QList<int>{0, 2, -1, -1} << QByteArray("Command7") << QString();
        QTest::newRow("tagged arrow, one tagged list selected")
            << QList<int>{0, 2, 1, -1} << QByteArray("Command8") << QString();
        QTest::newRow("voice arrow, tagged selected only")
            << QList<int>{-1, -1, 1, 3} << QByteArray("Command3") << QString();
        QTest::newRow("voice arrow, one voice list selected")
            << QList<int>{-1, 1, 1, 3} << QByteArray("Command4") << QString();
    }
    void copy()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QByteArray, button);
        QFETCH(QString, copies);
        ui::ScriptedPlatform platform;
        FormUSV form;
        form.show();
        openBoth(form, platform);
        for (int n = 1; n <= 4; ++n)
            list(form, n)->setCurrentRow(rows[n - 1]);
        const UsvFile left = *form.usv(1);
        const UsvFile right = *form.usv(2);

        click(form, button.constData());

        const bool toLeft = button == "Command3" || button == "Command7";
        UsvFile expectLeft = left;
        UsvFile expectRight = right;
        UsvFile &target = toLeft ? expectLeft : expectRight;
        const UsvFile &source = toLeft ? right : left;
        const int sourceSide = toLeft ? 2 : 1;
        const int targetSide = toLeft ? 1 : 2;
        if (copies == u"voice")
            target.Voices[rows[targetSide - 1]] = source.Voices[rows[sourceSide - 1]];
        if (copies == u"tagged")
            target.TaggedEntries[rows[targetSide + 1]] = source.TaggedEntries[rows[sourceSide + 1]];
        QCOMPARE(*form.usv(1), expectLeft);
        QCOMPARE(*form.usv(2), expectRight);

        QList<int> expectedRows = rows;
        if (!copies.isEmpty())
            expectedRows[targetSide - 1] = expectedRows[targetSide + 1] = -1;
        for (int n = 1; n <= 4; ++n) {
            const int row = expectedRows[n - 1];
            QCOMPARE(selection(list(form, n)), row < 0 ? QList<int>() : QList<int>{row});
        }
        if (copies == u"voice")
            QCOMPARE(list(form, targetSide)->item(rows[targetSide - 1])->text(),
                     list(form, sourceSide)->item(rows[sourceSide - 1])->text());
        QCOMPARE(test::readAll(m_left), m_leftImage);
        QCOMPARE(test::readAll(m_right), m_rightImage);
    }

    void refusedFileLeavesSide_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("drum-kit bank") << test::usdImage(1)
                                       << QStringList{QStringLiteral(
                                              "This is not a valid Ketron SD1 Header (KUSV0) !")};
        QByteArray odd = test::usvImage(2, 0, "") + "xyz";
        test::fixChecksum(odd);
        QTest::newRow("voices cut short") << odd << QStringList{QStringLiteral("Bad USV Format !")};
        QTest::newRow("no tag") << test::usvImage(2, 0, "") << QStringList();
    }
    void refusedFileLeavesSide()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, messages);
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("Other.usv"));
        QVERIFY(test::writeAll(chosen, content));
        ui::ScriptedPlatform platform;
        FormUSV form;
        form.show();
        openBoth(form, platform);
        list(form, 3)->setCurrentRow(0);
        list(form, 4)->setCurrentRow(3);
        click(form, "Command7");
        const UsvFile edited = *form.usv(1);
        platform.clear();

        open(form, platform, 1, chosen);
        QCOMPARE(platform.messageTexts(), messages);
        QCOMPARE(platform.busyDepth(), 0);
        QCOMPARE(child<QLabel>(form, "Label2")->text(), QStringLiteral("STRINGS.USV"));
        QCOMPARE(form.usvPath(1), m_left);
        QCOMPARE(*form.usv(1), edited);
        QCOMPARE(list(form, 3)->item(0)->text(), QStringLiteral("BrsT4       "));

        click(form, "Command1");
        QCOMPARE(test::readAll(chosen), content);
        const UsvFile written = *readUsv(test::readAll(m_left)).document;
        QCOMPARE(written.Voices, edited.Voices);
        QCOMPARE(written.TaggedEntries, edited.TaggedEntries);
    }

    void saveWritesAndReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("SAVE.USV"));
        QVERIFY(test::writeAll(path, m_rightImage));
        ui::ScriptedPlatform platform;
        FormUSV form;
        form.show();
        open(form, platform, 1, m_left);
        open(form, platform, 2, path);
        list(form, 1)->setCurrentRow(1);
        list(form, 2)->setCurrentRow(0);
        click(form, "Command4");
        list(form, 2)->setCurrentRow(2);
        list(form, 4)->setCurrentRow(2);
        platform.clear();

        click(form, "Command6");
        // Voice 1 replaced, the tag written with two spaces, a fresh checksum.
        QByteArray expected = m_rightImage;
        expected.replace(7, 48, m_leftImage.mid(7 + 48, 48));
        expected.replace(7 + 4 * 48, 7, "KORG1  ");
        test::fixChecksum(expected);
        QCOMPARE(test::readAll(path), expected);
        QCOMPARE(platform.messages().size(), 0);
        QCOMPARE(selection(list(form, 2)), QList<int>());
        QCOMPARE(selection(list(form, 4)), QList<int>());
        QCOMPARE(form.usv(2)->SectionTag, QByteArray("KORG1  "));
        QCOMPARE(list(form, 2)->item(0)->text(), QStringLiteral("StrV2       "));
        QCOMPARE(selection(list(form, 1)), QList<int>{1});
    }

    void failedSaveIsReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("FULL.USV"));
        const QByteArray original = bank("Big", 8, 8, 30);
        QVERIFY(test::writeAll(path, original));
        ui::ScriptedPlatform platform;
        FormUSV form;
        form.show();
        open(form, platform, 1, path);
        open(form, platform, 2, m_right);
        list(form, 3)->setCurrentRow(7);
        list(form, 4)->setCurrentRow(0);
        click(form, "Command7");
        const UsvFile edited = *form.usv(1);
        {
            test::FileSizeLimit limit(300);
            click(form, "Command1");
        }
        QCOMPARE(test::readAll(path), original);
        QCOMPARE(platform.messages().size(), 1);
        QVERIFY(platform.messages().first().text.contains(path));
        QCOMPARE(platform.messages().first().icon, ui::Icon::Exclamation);
        QCOMPARE(*form.usv(1), edited);
        QCOMPARE(test::filesIn(dir.path()), QStringList{QStringLiteral("FULL.USV")});
    }
};

QTEST_MAIN(TestFormUsv)
#include "test_formusv.moc"
