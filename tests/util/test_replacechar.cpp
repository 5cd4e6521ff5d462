#include "util/replacechar.h"

#include <QRandomGenerator>
#include <QTest>

using tamo::util::ReplaceChar;
using tamo::util::ReplaceCharLoop;

class TestReplaceChar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replaces_data();
    void replaces();
    void codeOutsideByteRange_data();
    void codeOutsideByteRange();
    void randomTextsAgree();
    void longTextWithEveryByteReplaced();
};

void TestReplaceChar::replaces_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QByteArray() << 0 << 176 << QByteArray();
    QTest::newRow("no occurrence") << QByteArray("PIANO") << int('x') << int('y')
                                   << QByteArray("PIANO");
    QTest::newRow("NUL to degree") << QByteArray("a\0b\0\0c", 6) << 0 << 176
                                   << QByteArray("a\xb0" "b\xb0\xb0" "c");
    QTest::newRow("only occurrences") << QByteArray(5, '\0') << 0 << 176
                                      << QByteArray(5, '\xb0');
    QTest::newRow("first and last") << QByteArray("xabx") << int('x') << int('-')
                                    << QByteArray("-ab-");
    QTest::newRow("to NUL") << QByteArray("a b") << int(' ') << 0 << QByteArray("a\0b", 3);
    QTest::newRow("high codes") << QByteArray("\xff\x01\xff") << 255 << 128
                                << QByteArray("\x80\x01\x80");
    QTest::newRow("same code") << QByteArray("aaa") << int('a') << int('a') << QByteArray("aaa");
    QTest::newRow("case is exact") << QByteArray("aAa") << int('a') << int('b')
                                   << QByteArray("bAb");
}

void TestReplaceChar::replaces()
{
    QFETCH(QByteArray, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QByteArray, expected);
    QCOMPARE(ReplaceChar(text, from, to), std::optional(expected));
    QCOMPARE(ReplaceCharLoop(text, from, to), std::optional(expected));
}

void TestReplaceChar::codeOutsideByteRange_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("from -1") << -1 << 65;
    QTest::newRow("from 256") << 256 << 65;
    QTest::newRow("to -1") << 0 << -1;
    QTest::newRow("to 256") << 0 << 256;
    QTest::newRow("to 32767") << 0 << 32767;
    QTest::newRow("from -32768") << -32768 << 0;
}

void TestReplaceChar::codeOutsideByteRange()
{
    QFETCH(int, from);
    QFETCH(int, to);
    // Also with no occurrence in the text: the code itself is the error.
    for (const QByteArray &text : {QByteArray(), QByteArray("abc"), QByteArray(3, '\0')}) {
        QVERIFY(!ReplaceChar(text, from, to));
        QVERIFY(!ReplaceCharLoop(text, from, to));
    }
}

void TestReplaceChar::randomTextsAgree()
{
    QRandomGenerator rng(20240611);
    for (int round = 0; round < 2000; ++round) {
        // Few distinct bytes in some texts, so `from` is dense there.
        const int alphabet = round % 3 == 0 ? 3 : 256;
        QByteArray text(rng.bounded(0, 300), '\0');
        for (char &c : text)
            c = char(rng.bounded(alphabet));
        const int from = rng.bounded(alphabet);
        const int to = rng.bounded(256);

        const auto fast = ReplaceChar(text, from, to);
        const auto loop = ReplaceCharLoop(text, from, to);
        QVERIFY(fast && loop);
        QCOMPARE(*fast, *loop);
        QCOMPARE(fast->size(), text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto was = static_cast<unsigned char>(text[i]);
            const auto now = static_cast<unsigned char>(fast->at(i));
            QCOMPARE(int(now), was == from ? to : int(was));
        }
    }
}

void TestReplaceChar::longTextWithEveryByteReplaced()
{
    // One occurrence per byte: a recursion per occurrence would overflow the stack.
    const QByteArray text(8 * 1024 * 1024, '\0');
    const auto fast = ReplaceChar(text, 0, 176);
    QVERIFY(fast);
    QCOMPARE(*fast, QByteArray(text.size(), '\xb0'));
    QCOMPARE(ReplaceCharLoop(text, 0, 176), fast);
}

QTEST_GUILESS_MAIN(TestReplaceChar)
#include "test_replacechar.moc"
