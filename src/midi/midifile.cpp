// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi/midifile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tamo::midi {

namespace {

// The header chunk: "MThd", its size, then format, track count and division.
constexpr qsizetype kChunkHeaderSize = 8;
constexpr qsizetype kHeaderFormatAt = 8;
constexpr qsizetype kHeaderTracksAt = 10;
constexpr qsizetype kHeaderDivisionAt = 12;
constexpr qsizetype kHeaderMinimum = kHeaderDivisionAt + 2;
static_assert(kHeaderMinimum == kChunkHeaderSize + 6);
constexpr quint32 kDefaultTempo = 500000; // microseconds a quarter note: 120 beats a minute
// Past this many ticks no time division gives a time within the limits.
constexpr qint64 kMaxTicks = qint64(1) << 42;

quint32 be32(QByteArrayView b, qsizetype at)
{
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 | quint32(quint8(b[at + 2])) << 8
           | quint32(quint8(b[at + 3]));
}
quint16 be16(QByteArrayView b, qsizetype at) { return quint16(quint8(b[at]) << 8 | quint8(b[at + 1])); }

struct TickEvent {
    qint64 tick = 0;
    MidiEvent event;
};
struct TempoChange {
    qint64 tick = 0;
    quint32 microseconds = kDefaultTempo;
};

// One track's events; false with the reason in error.
class TrackReader {
public:
    TrackReader(QByteArrayView track, int number) : m_track(track), m_number(number) {}

    bool read(std::vector<TickEvent> &events, std::vector<TempoChange> &tempos, qint64 &lastTick, int &programs,
              const MidiLimits &limits, QString &error)
    {
        qint64 tick = 0;
        quint8 running = 0;
        while (m_at < m_track.size()) {
            quint32 delta = 0;
            if (!readNumber(delta))
                return fail(error, QStringLiteral("ends inside a time"));
            tick += delta;
            if (tick > kMaxTicks)
                return fail(error, QStringLiteral("runs too long"));
            lastTick = std::max(lastTick, tick);
            quint8 status = 0;
            if (!byte(status))
                return fail(error, QStringLiteral("ends inside an event"));
            if (status == 0xff) {
                quint8 type = 0;
                quint32 length = 0;
                if (!byte(type) || !readNumber(length) || qint64(length) > m_track.size() - m_at)
                    return fail(error, QStringLiteral("ends inside a meta event"));
                if (type == 0x51 && length >= 3) {
                    const quint32 us = quint32(quint8(m_track[m_at])) << 16 | quint32(quint8(m_track[m_at + 1])) << 8
                                       | quint32(quint8(m_track[m_at + 2]));
                    tempos.push_back({tick, us > 0 ? us : kDefaultTempo});
                }
                m_at += length;
                if (type == 0x2f) // end of track: what follows is not read
                    return true;
                continue;
            }
            if (status == 0xf0 || status == 0xf7) {
                quint32 length = 0;
                if (!readNumber(length) || qint64(length) > m_track.size() - m_at)
                    return fail(error, QStringLiteral("ends inside a system exclusive message"));
                m_at += length;
                continue;
            }
            if (status >= 0xf0)
                return fail(error, QStringLiteral("holds a system message 0x%1 where none belongs").arg(status, 2, 16, QLatin1Char('0')));
            quint8 first = 0;
            if (status < 0x80) {
                if (running == 0)
                    return fail(error, QStringLiteral("holds data with no status before it"));
                first = status;
                status = running;
            } else {
                running = status;
                if (!byte(first))
                    return fail(error, QStringLiteral("ends inside an event"));
            }
            const int kind = status & 0xf0;
            quint8 second = 0;
            if (kind != 0xc0 && kind != 0xd0 && !byte(second))
                return fail(error, QStringLiteral("ends inside an event"));
            if (kind == 0xc0) {
                ++programs;
                continue;
            }
            if (kind == 0xa0 || kind == 0xd0)
                continue;
            if (qsizetype(events.size()) >= limits.maxEvents)
                return fail(error, QStringLiteral("holds more than %1 events").arg(limits.maxEvents));
            events.push_back({tick, MidiEvent{0, status, quint8(first & 0x7f), quint8(second & 0x7f)}});
        }
        return true;
    }

private:
    bool byte(quint8 &out)
    {
        if (m_at >= m_track.size())
            return false;
        out = quint8(m_track[m_at++]);
        return true;
    }
    // A variable-length number: at most four bytes of seven bits.
    bool readNumber(quint32 &out)
    {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            quint8 b = 0;
            if (!byte(b))
                return false;
            out = (out << 7) | (b & 0x7f);
            if (!(b & 0x80))
                return true;
        }
        return false;
    }
    bool fail(QString &error, const QString &why) const
    {
        error = QStringLiteral("track %1 %2 (byte %3 of the track)").arg(m_number).arg(why).arg(m_at);
        return false;
    }

    QByteArrayView m_track;
    int m_number;
    qsizetype m_at = 0;
};

MidiSong failed(const QString &why)
{
    MidiSong song;
    song.error = why;
    return song;
}

} // namespace

MidiSong readMidi(QByteArrayView bytes, const MidiLimits &limits)
{
    if (bytes.size() > limits.maxBytes)
        return failed(QStringLiteral("larger than %1 MiB").arg(limits.maxBytes / (1024 * 1024)));
    if (bytes.size() < kHeaderMinimum || !bytes.startsWith("MThd"))
        return failed(QStringLiteral("not a Standard MIDI File (no MThd header)"));
    const quint32 headerSize = be32(bytes, 4);
    if (headerSize < 6 || qint64(headerSize) > bytes.size() - kChunkHeaderSize)
        return failed(QStringLiteral("its header is %1 bytes long").arg(headerSize));
    MidiSong song;
    song.format = be16(bytes, kHeaderFormatAt);
    const int declaredTracks = be16(bytes, kHeaderTracksAt);
    const quint16 division = be16(bytes, kHeaderDivisionAt);
    if (song.format > 2)
        return failed(QStringLiteral("format %1 is not a Standard MIDI File format").arg(song.format));
    if (declaredTracks > limits.maxTracks)
        return failed(QStringLiteral("%1 tracks, more than %2").arg(declaredTracks).arg(limits.maxTracks));
    // Ticks a second for SMPTE time (fixed); ticks a quarter note otherwise.
    double smpteTicksPerSecond = 0;
    int ticksPerQuarter = 0;
    if (division & 0x8000) {
        const int fps = 256 - (division >> 8);
        smpteTicksPerSecond = (fps == 29 ? 29.97 : double(fps)) * (division & 0xff);
        if (smpteTicksPerSecond <= 0)
            return failed(QStringLiteral("its SMPTE time division is zero"));
    } else {
        ticksPerQuarter = division;
        if (ticksPerQuarter == 0)
            return failed(QStringLiteral("its time division is zero"));
    }

    std::vector<TickEvent> events;
    std::vector<TempoChange> tempos;
    qint64 lastTick = 0;
    qint64 at = kChunkHeaderSize + headerSize;
    while (song.tracks < declaredTracks && at + kChunkHeaderSize <= bytes.size()) {
        const quint32 size = be32(bytes, qsizetype(at) + 4);
        const qint64 body = at + kChunkHeaderSize;
        // A last chunk that claims more than the file holds is read as far as it goes.
        const qint64 length = std::min<qint64>(size, bytes.size() - body);
        if (bytes.sliced(qsizetype(at), 4) == "MTrk") {
            ++song.tracks;
            QString error;
            TrackReader reader(bytes.sliced(qsizetype(body), qsizetype(length)), song.tracks);
            if (!reader.read(events, tempos, lastTick, song.programChanges, limits, error))
                return failed(error);
        }
        at = body + length;
    }
    if (song.tracks == 0)
        return failed(QStringLiteral("no track"));

    // Ticks to seconds through the tempo changes of every track, in the order of their ticks.
    std::stable_sort(tempos.begin(), tempos.end(), [](const TempoChange &a, const TempoChange &b) { return a.tick < b.tick; });
    std::stable_sort(events.begin(), events.end(), [](const TickEvent &a, const TickEvent &b) { return a.tick < b.tick; });
    std::size_t nextTempo = 0;
    qint64 baseTick = 0;
    double baseSeconds = 0, secondsPerTick = smpteTicksPerSecond > 0 ? 1.0 / smpteTicksPerSecond
                                                                        : kDefaultTempo * 1e-6 / ticksPerQuarter;
    const auto secondsAt = [&](qint64 tick) {
        while (smpteTicksPerSecond <= 0 && nextTempo < tempos.size() && tempos[nextTempo].tick <= tick) {
            baseSeconds += double(tempos[nextTempo].tick - baseTick) * secondsPerTick;
            baseTick = tempos[nextTempo].tick;
            secondsPerTick = tempos[nextTempo].microseconds * 1e-6 / ticksPerQuarter;
            ++nextTempo;
        }
        return baseSeconds + double(tick - baseTick) * secondsPerTick;
    };
    song.events.reserve(events.size());
    for (const TickEvent &e : events) {
        MidiEvent event = e.event;
        event.seconds = secondsAt(e.tick);
        song.events.push_back(event);
    }
    song.seconds = secondsAt(lastTick);
    if (song.seconds > limits.maxSeconds)
        return failed(QStringLiteral("lasts %1 hours, more than %2").arg(song.seconds / 3600, 0, 'f', 1).arg(limits.maxSeconds / 3600, 0, 'f', 1));
    return song;
}

MidiSong readMidiFile(const QString &path, const MidiLimits &limits)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return failed(QStringLiteral("%1: not a regular file").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.size() > limits.maxBytes)
        return failed(QStringLiteral("%1: larger than %2 MiB").arg(path).arg(limits.maxBytes / (1024 * 1024)));
    MidiSong song = readMidi(file.readAll(), limits);
    if (!song.ok())
        song.error = QStringLiteral("%1: %2").arg(path, song.error);
    return song;
}

} // namespace tamo::midi
