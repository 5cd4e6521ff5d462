// SPDX-License-Identifier: GPL-3.0-or-later
// The platform helpers of src/util: atomic saves under a file-size limit and into
// bad targets, byte replacement, and 8.3 short names that stay put.

#include "testsupport.h"
#include "util/atomicfile.h"
#include "util/replacechar.h"
#include "util/shortname.h"
#include "util/workers.h"

#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>
#include <vector>
#include <sys/stat.h>

using namespace tamo;
using namespace tamo::test;
using namespace tamo::util;
using namespace Qt::StringLiterals;

using Result = std::optional<QByteArray>;

// A name ending in "/" is made a folder.
static void create(const QTemporaryDir &dir, const QStringList &files)
{
    for (const QString &file : files)
        QVERIFY(file.endsWith(u'/') ? QDir(dir.path()).mkdir(file.chopped(1)) : QFile(dir.filePath(file)).open(QIODevice::WriteOnly));
}

class TestUtil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeUnderSizeLimit_data()
    {
        QTest::addColumn<qsizetype>("oldSize"); // -1: no old file
        QTest::addColumn<qsizetype>("newSize");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<qsizetype>("chunk"); // 0: one saveFileAtomically call
        QTest::newRow("one byte short") << qsizetype(2644) << qsizetype(2644) << qint64(2643) << qsizetype(0);
        // Small enough to sit in the write buffer until the final flush.
        QTest::newRow("fails at the final flush") << qsizetype(2644) << qsizetype(100) << qint64(50) << qsizetype(0);
        QTest::newRow("many small writes") << qsizetype(5000) << qsizetype(2644) << qint64(2000) << qsizetype(7);
        QTest::newRow("no old file") << qsizetype(-1) << qsizetype(2644) << qint64(1000) << qsizetype(0);
        QTest::newRow("exactly the limit, in writes") << qsizetype(100) << qsizetype(2644) << qint64(2644) << qsizetype(100);
    }
    // The limit is set in a child process, as a full disk would hit the program.
    void writeUnderSizeLimit()
    {
        QFETCH(qsizetype, oldSize);
        QFETCH(qsizetype, newSize);
        QFETCH(qint64, limit);
        QFETCH(qsizetype, chunk);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("SET.MSP"));
        const QByteArray oldBytes(std::max<qsizetype>(oldSize, 0), 'o'), newBytes(newSize, 'n');
        QVERIFY(oldSize < 0 || writeAll(path, oldBytes));
        const QStringList before = filesIn(dir.path());
        const bool fits = newSize <= limit;
        QVERIFY(runInChildWithFileSizeLimit(limit, [&] {
            SaveResult r = chunk == 0 ? saveFileAtomically(path, newBytes) : SaveResult{};
            if (chunk != 0) {
                AtomicFileWriter writer(path);
                bool ok = writer.open();
                for (qsizetype at = 0; ok && at < newSize; at += chunk)
                    ok = writer.write(QByteArrayView(newBytes).sliced(at, std::min(chunk, newSize - at)));
                r = {ok && writer.commit(), writer.errorString()};
            }
            return r.ok == fits && r.error == (fits ? QString() : errorText(EFBIG));
        }));
        QCOMPARE(readAll(path), fits ? newBytes : oldBytes);
        QCOMPARE(filesIn(dir.path()), fits ? QStringList{QStringLiteral("SET.MSP")} : before);
    }

    void badTarget_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("reason"); // errno whose text the error holds, 0: any
        QTest::newRow("a folder") << QStringLiteral("SET.MSP") << 0;
        QTest::newRow("read-only folder") << QStringLiteral("ro/SET.MSP") << EACCES;
    }
    void badTarget()
    {
        QFETCH(QString, target);
        QFETCH(int, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("SET.MSP")) && QDir(dir.path()).mkdir(QStringLiteral("ro")));
        QVERIFY(writeAll(dir.filePath(QStringLiteral("ro/SET.MSP")), "old"));
        const QByteArray ro = QFile::encodeName(dir.filePath(QStringLiteral("ro")));
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0 && ::chmod(ro.constData(), 0555) == 0);
        const auto save = [&] {
            const SaveResult r = saveFileAtomically(dir.filePath(target), "new");
            return !r.ok && !r.error.isEmpty() && (reason == 0 || r.error.contains(errorText(reason)));
        };
        const bool failed = reason == 0 ? save() : runInChildAsOrdinaryUser(save);
        QVERIFY(::chmod(ro.constData(), 0755) == 0 && failed);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("ro"), QStringLiteral("SET.MSP")}));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("ro/SET.MSP"))), QByteArray("old"));
    }

    // A commit whose rename fails (the target became a folder meanwhile) is reported,
    // not taken for a save, and leaves no temporary behind.
    void failedRename()
    {
        QTemporaryDir dir;
        AtomicFileWriter writer(dir.filePath(u"SET.MSP"_s));
        QVERIFY(writer.open() && writer.write("new") && QDir(dir.path()).mkpath(u"SET.MSP/x"_s));
        QVERIFY(!writer.commit() && !writer.errorString().isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{u"SET.MSP"_s});
    }

    void replaceChar_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<Result>("expected");
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
    void replaceChar()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(Result, expected);
        QCOMPARE(ReplaceChar(text, from, to), expected);
        QCOMPARE(ReplaceCharLoop(text, from, to), expected);
    }

    // A short name made on a system without them depends on its long name alone:
    // files added or removed beside it never move it to another file.
    void shortNames_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // a wildcard pattern; empty: no such file
        QTest::addColumn<QStringList>("added"); // then
        QTest::addColumn<QStringList>("removed");
        const QStringList none;
        QTest::newRow("already short") << QStringList{u"piano.wav"_s} << u"piano.wav"_s << u"piano.wav"_s << none << none;
        QTest::newRow("long base and extension") << QStringList{u"Bassdrum1.aiff"_s} << u"Bassdrum1.aiff"_s << u"BAS~????.AIF"_s << none << none;
        QTest::newRow("space and invalid characters") << QStringList{u"a+b c;d.wav"_s} << u"a+b c;d.wav"_s << u"ABC~????.WAV"_s << none << none;
        const QString c3 = u"Grand Piano C3.wav"_s, a1 = u"Grand Piano A1.wav"_s;
        const QStringList piano = {u"Grand Piano C4.wav"_s, u"Grand Piano C2.wav"_s, c3};
        QTest::newRow("one of several alike, neighbours deleted") << piano << u"Grand Piano C4.wav"_s << u"GRA~????.WAV"_s << none << piano.mid(1);
        QTest::newRow("a name sorted before it is added") << QStringList{c3} << c3 << u"GRA~????.WAV"_s << QStringList{a1} << none;
        QTest::newRow("its old short name appears as a file") << QStringList{c3} << c3 << u"GRA~????.WAV"_s
                                                                 << QStringList{u"GRANDP~1.WAV"_s, u"GRA~1.WAV"_s} << none;
        QTest::newRow("missing file") << piano << u"Grand Piano C5.wav"_s << QString() << none << none;
    }
    void shortNames()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QFETCH(QStringList, added);
        QFETCH(QStringList, removed);
        QTemporaryDir dir;
        create(dir, files);
        const QString folder = dir.path() + QDir::separator();
        const QString shortName = ShortFileName(folder + name).mid(folder.size());
        QVERIFY2(expected.isEmpty() ? shortName.isEmpty() : QRegularExpression(QRegularExpression::wildcardToRegularExpression(expected)).match(shortName).hasMatch(), qPrintable(shortName));
        create(dir, added);
        for (const QString &file : removed)
            QVERIFY(QFile::remove(dir.filePath(file)));
        QCOMPARE(ShortFileName(folder + name).mid(folder.size()), shortName);
        QCOMPARE(longNameForShort(dir.path(), shortName), expected.isEmpty() ? QString() : name);
    }

    // Many colliding names, ten and more on one prefix: every short name is 8.3 and
    // leads back to its file, and a made-up base is one of a kind, as the sample
    // name keeps only the base.
    void collidingRandomNames()
    {
        QTemporaryDir dir;
        QRandomGenerator rng(7);
        QSet<QString> names;
        while (names.size() < 150)
            names << QStringList{u"Grand Piano"_s, u"Grand Pianola"_s, u"grandp"_s, u"GRANDP~"_s, u"Strings"_s}[rng.bounded(5)]
                         + QString::number(rng.bounded(60)) + QStringList{u".wav"_s, u".WAV"_s, u".wave"_s, u""_s, u".txt"_s}[rng.bounded(5)];
        create(dir, names.values());
        const QString folder = dir.path() + QDir::separator();
        QStringList bases, generated, paths, shortPaths;
        for (const QString &name : std::as_const(names)) {
            paths << folder + name;
            shortPaths << ShortFileName(paths.last());
            const QString shortName = shortPaths.last().mid(folder.size());
            QVERIFY2(QRegularExpression(u"^[^. ]{1,8}(\\.[^. ]{0,3})?$"_s).match(shortName).hasMatch(), qPrintable(name + u" -> "_s + shortName));
            QCOMPARE(longNameForShort(dir.path(), shortName), name);
            bases << shortName.section(u'.', 0, 0).toUpper();
            if (shortName != name)
                generated << bases.last();
        }
        for (const QString &base : std::as_const(generated))
            QVERIFY2(bases.count(base) == 1, qPrintable(base));
        QCOMPARE(ShortFileNames(paths + QStringList{folder + u"gone.wav"_s}), shortPaths + QStringList{QString()});
    }

    // Two names whose hashed forms meet get different short names in one folder,
    // the same on every look, and each leads back to its file.
    void clashes()
    {
        QHash<QString, QString> byShortName;
        QStringList pair;
        for (int i = 0; pair.isEmpty() && i < 1000000; ++i) {
            const QString name = u"Piano take %1.wav"_s.arg(i);
            const QString shortName = shortFormOf(name).toUpper();
            if (byShortName.contains(shortName))
                pair = QStringList{byShortName.value(shortName), name};
            byShortName.insert(shortName, name);
        }
        QCOMPARE(pair.size(), 2);
        QTemporaryDir dir;
        create(dir, pair + QStringList{u"Piano take.wav"_s});
        const QString first = QFileInfo(ShortFileName(dir.filePath(pair[0]))).fileName();
        const QString second = QFileInfo(ShortFileName(dir.filePath(pair[1]))).fileName();
        QVERIFY2(first.compare(second, Qt::CaseInsensitive) != 0, qPrintable(first));
        QCOMPARE(QFileInfo(ShortFileName(dir.filePath(pair[0]))).fileName(), first);
        QCOMPARE(longNameForShort(dir.path(), first), pair[0]);
        QCOMPARE(longNameForShort(dir.path(), second), pair[1]);
        QCOMPARE(shortNameClashes(dir.filePath(pair[0])), QStringList());
        // Names already in 8.3 form clash when they differ only in case.
        create(dir, {u"PIANO.WAV"_s, u"piano.wav"_s});
        QCOMPARE(shortNameClashes(dir.filePath(u"piano.wav"_s)), QStringList{u"PIANO.WAV"_s});
    }

    // The stick's one naming rule: words joined by "_" where they fit, else run
    // together, else without inner vowels, then the longest cut.
    void stickNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        const QList<std::pair<const char *, const char *>> rows{
            {"pad_F#2", "PAD_FS2"}, {"Ride2(R)", "RIDE2_R"}, {"Hello", "HELLO"}, {"Kick Drum", "KICKDRUM"},
            {"Strings Ensemble C3", "STRENSC3"}, {"123456 Grand Piano", "GRND_PNO"}, {"CON", "_CON"}, {"#", "S"}, {"(!)", "_"}, {"Rock Organ", "RCK_ORGN"}};
        for (const auto &[text, name] : rows)
            QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(name);
    }
    void stickNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QCOMPARE(stickName(text), name);
        // Any text gives a name the stick holds, and a taken one a free one beside it.
        QString noise;
        for (int i = 0; i < 24; ++i, noise += QChar(char16_t(QRandomGenerator::global()->bounded(0x20, 0x2ff)))) {}
        const QString made = stickName(noise);
        const QString free = freeStickName(made, u"_C3"_s, [&](const QString &n) { return n.size() <= 8 && n != made + u"_C3"_s; });
        QVERIFY2(isStickName(made) && isStickName(free) && free.endsWith(u"_C3"_s), qPrintable(noise + u' ' + made + u' ' + free));
    }

    void lookUp_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found"); // by findFileCaseInsensitive
        QTest::addColumn<QString>("longName"); // by longNameForShort
        QTest::newRow("exact wins over other case") << u"piano1.WAV"_s << u"piano1.WAV"_s << u"piano1.WAV"_s;
        QTest::newRow("other case") << u"strings.wav"_s << u"Strings.WAV"_s << u"Strings.WAV"_s;
        QTest::newRow("short name in other case") << shortFormOf(u"Grand Piano C4.wav"_s).toLower() << u""_s << u"Grand Piano C4.wav"_s;
        QTest::newRow("number not given out") << u"GRANDP~3.wav"_s << u""_s << u""_s;
        QTest::newRow("a folder is no file") << u"PIANO2.WAV"_s << u""_s << u""_s;
    }
    void lookUp()
    {
        QFETCH(QString, name);
        QFETCH(QString, found);
        QFETCH(QString, longName);
        QTemporaryDir dir;
        create(dir, {u"PIANO1.WAV"_s, u"piano1.WAV"_s, u"Grand Piano C3.wav"_s, u"Grand Piano C4.wav"_s, u"Strings.WAV"_s, u"piano2.wav/"_s});
        QCOMPARE(findFileCaseInsensitive(dir.path(), name), found);
        QCOMPARE(longNameForShort(dir.path(), name), longName);
    }

    // Jobs inside jobs: every item runs once, and no more threads run at once than
    // the cores plus the one caller, however deep the nesting.
    void nestedWork()
    {
        std::atomic<int> now = 0, most = 0;
        std::vector<std::atomic<int>> runs(8 * 8 * 8);
        const auto level = [&](const auto &self, std::size_t depth, std::size_t base) -> void {
            util::forEachInParallel(8, [&](std::size_t i) {
                if (depth < 2)
                    return self(self, depth + 1, (base + i) * 8);
                const int running = ++now;
                for (int seen = most; running > seen && !most.compare_exchange_weak(seen, running);) {}
                QThread::usleep(200); // long enough that the workers meet
                ++runs[base + i], --now;
            });
        };
        level(level, 0, 0);
        QVERIFY(std::all_of(runs.begin(), runs.end(), [](const std::atomic<int> &n) { return n == 1; }));
        QVERIFY(most >= 1 && most <= int(std::max(1u, std::thread::hardware_concurrency())) + 1);
    }
};

QTEST_GUILESS_MAIN(TestUtil)
#include "test_util.moc"
