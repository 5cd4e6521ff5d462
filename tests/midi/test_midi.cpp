// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midifile.h"

#include <QTest>

using namespace tamo::midi;

namespace {

QByteArray header(int format, int tracks, int division)
{
    return QByteArray::fromHex("4d546864 00000006") + char(0) + char(format) + char(tracks >> 8) + char(tracks)
           + char(division >> 8) + char(division);
}
QByteArray track(const QByteArray &hex)
{
    const QByteArray body = QByteArray::fromHex(hex);
    const auto n = quint32(body.size());
    const char size[] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    return "MTrk" + QByteArray(size, 4) + body;
}

} // namespace

class TestMidi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Worked out by hand: 96 ticks a quarter; 1 s a quarter from tick 0, 0.5 s from
    // tick 192 (on the other track), so ticks 96, 288 and 672 fall at 1, 2.5 and 4.5 s.
    void format1WithTempoChangesAndRunningStatus()
    {
        const QByteArray file = header(1, 2, 96) + track("00ff51030f4240 8140ff510307a120 00ff2f00")
                                + track("00903c64 603c00 00c005 8140e00050 00b0407f 8300803c40");
        const MidiSong song = readMidi(file);
        QVERIFY2(song.ok(), qPrintable(song.error));
        QCOMPARE(song.tracks, 2);
        QCOMPARE(song.programChanges, 1);
        QCOMPARE(song.seconds, 4.5);
        const QList<std::tuple<double, int, int, int>> expected{
            {0, 0x90, 60, 100}, {1.0, 0x90, 60, 0}, {2.5, 0xe0, 0, 0x50}, {2.5, 0xb0, 64, 127}, {4.5, 0x80, 60, 64}};
        QCOMPARE(qsizetype(song.events.size()), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const MidiEvent &e = song.events[std::size_t(i)];
            QCOMPARE(std::make_tuple(e.seconds, int(e.status), int(e.data1), int(e.data2)), expected.at(i));
        }
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not MIDI") << QByteArray("RIFF\0\0\0\0WAVEfmt ", 16) << "no MThd";
        QTest::newRow("cut inside an event") << header(0, 1, 96) + track("00903c") << "ends inside an event";
        QTest::newRow("data before any status") << header(0, 1, 96) + track("003c64") << "no status";
        QTest::newRow("a time of five bytes") << header(0, 1, 96) + track("ffffffff7f903c64") << "ends inside a time";
        QTest::newRow("meta longer than its track") << header(0, 1, 96) + track("00ff0110") << "meta event";
        QTest::newRow("too many events") << header(0, 1, 96) + track("00903c64 00903d64 00903e64") << "more than 2 events";
        QTest::newRow("four hours of silence") << header(0, 1, 1) + track("00ff5103ffffff 8fffff7f903c64") << "lasts";
    }
    void refused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        const MidiSong song = readMidi(file, MidiLimits{.maxEvents = 2});
        QVERIFY(!song.ok());
        QVERIFY2(song.error.contains(reason), qPrintable(song.error));
        QVERIFY(song.events.empty());
    }
};

QTEST_GUILESS_MAIN(TestMidi)
#include "test_midi.moc"
