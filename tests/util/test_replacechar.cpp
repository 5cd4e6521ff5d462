#include "util/replacechar.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tamo::util;

using Result = std::optional<QByteArray>;

class TestReplaceChar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replaces_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<Result>("expected");
        QTest::newRow("NUL to degree") << QByteArray("\0a\0\0b\0", 6) << 0 << 176 << Result("\xb0" "a\xb0\xb0" "b\xb0");
        // One occurrence per byte: a recursion per occurrence would overflow the stack.
        QTest::newRow("8 MB of NUL") << QByteArray(8 << 20, '\0') << 0 << 176 << Result(QByteArray(8 << 20, '\xb0'));
        // A code outside a byte is refused even with no occurrence in the text.
        QTest::newRow("from -1") << QByteArray("abc") << -1 << 65 << Result();
        QTest::newRow("to 256") << QByteArray(3, '\0') << 0 << 256 << Result();
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 300; ++round) {
            // Few distinct bytes in some texts, so `from` is dense there.
            const int alphabet = round % 3 == 0 ? 3 : 256;
            QByteArray text(rng.bounded(0, 300), '\0');
            std::generate(text.begin(), text.end(), [&] { return char(rng.bounded(alphabet)); });
            const int from = rng.bounded(alphabet), to = rng.bounded(256);
            QTest::addRow("random %d", round) << text << from << to << Result(QByteArray(text).replace(char(from), char(to)));
        }
    }
    void replaces()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(Result, expected);
        QCOMPARE(ReplaceChar(text, from, to), expected);
        QCOMPARE(ReplaceCharLoop(text, from, to), expected);
    }
};

QTEST_GUILESS_MAIN(TestReplaceChar)
#include "test_replacechar.moc"
