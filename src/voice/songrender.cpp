// SPDX-License-Identifier: GPL-3.0-or-later
#include "voice/songrender.h"

#include "util/atomicfile.h"
#include "voice/voicemodel.h"
#include "wav/samplewriter.h"
#include "wav/wavinfo.h"

#include <algorithm>
#include <cmath>

namespace tamo::voice {

namespace {
constexpr int kBlockFrames = 256;
constexpr double kLongestTail = 10.0;
constexpr int kPhraseVelocity = 100;
} // namespace

double tailSeconds(const VoiceSet &set)
{
    const VoiceModel &m = kVoiceModel;
    double longest = m.shortestRelease;
    for (const Zone &z : set.zones)
        longest = std::max(longest, z.release);
    return std::min(kLongestTail, longest * m.silentDb / m.fallDb + 0.05);
}

std::vector<midi::MidiEvent> testPhrase(const VoiceSet &set, double *seconds)
{
    std::vector<midi::MidiEvent> events;
    double t = 0;
    const auto note = [&](std::initializer_list<int> keys, double length, double gap) {
        for (int key : keys)
            events.push_back({t, 0x90, quint8(key & 0x7f), kPhraseVelocity});
        for (int key : keys)
            events.push_back({t + length, 0x80, quint8(key & 0x7f), 0});
        t += length + gap;
    };
    for (const Zone &z : set.zones)
        note({z.rootKey}, 0.6, 0.15);
    int base = -1;
    for (int key : {60, 48, 72, 36, 84})
        if (base < 0 && set.zoneFor(key))
            base = key;
    for (int key = 0; base < 0 && key < 128; ++key)
        if (set.zoneFor(key))
            base = key;
    if (base >= 0) {
        for (int step : {0, 2, 4, 5, 7, 9, 11, 12})
            note({std::min(127, base + step)}, 0.25, 0.02);
        t += 0.3;
        note({base, std::min(127, base + 4), std::min(127, base + 7)}, 1.5, 0.3);
        note({base}, 3.0, 0.0);
    }
    *seconds = t;
    return events;
}

bool renderEvents(Engine &engine, const std::vector<midi::MidiEvent> &events, qint64 totalFrames,
                  const std::function<bool(const float *, int)> &sink)
{
    std::vector<float> block(2 * kBlockFrames);
    std::size_t next = 0;
    for (qint64 done = 0; done < totalFrames;) {
        while (next < events.size() && std::llround(events[next].seconds * engine.rate()) <= done) {
            const midi::MidiEvent &e = events[next++];
            switch (e.kind()) {
            case 0x90: engine.noteOn(e.channel(), e.data1, e.data2); break;
            case 0x80: engine.noteOff(e.channel(), e.data1); break;
            case 0xb0: engine.controlChange(e.channel(), e.data1, e.data2); break;
            case 0xe0: engine.pitchBend(e.channel(), e.data1 | e.data2 << 7); break;
            default: break;
            }
        }
        qint64 until = std::min(totalFrames, done + kBlockFrames);
        if (next < events.size())
            until = std::clamp<qint64>(std::llround(events[next].seconds * engine.rate()), done + 1, until);
        const int frames = int(until - done);
        engine.render(block.data(), frames);
        if (!sink(block.data(), frames))
            return false;
        done = until;
    }
    return true;
}

QString renderToWav(Engine &engine, const std::vector<midi::MidiEvent> &events, qint64 totalFrames,
                    const QString &path, int bits)
{
    const int bytes = bits == 24 ? 3 : 2;
    const qint64 dataSize = totalFrames * 2 * bytes;
    if (dataSize + wav::wavhdr::kSize > qint64(0xffffffffu))
        return QStringLiteral("too long for a WAV file");
    AtomicFileWriter out(path);
    if (!out.open())
        return out.errorString();
    const int rate = int(std::lround(engine.rate()));
    if (!out.write(wav::canonicalHeader(qint32(quint32(wav::wavhdr::kSize - 8 + dataSize)), 2, rate,
                                        qint32(quint32(dataSize)), bytes * 8))) {
        out.cancel();
        return out.errorString();
    }
    wav::SampleWriter writer(out, 2, totalFrames, true, bytes * 8);
    const bool written = renderEvents(engine, events, totalFrames,
                                      [&](const float *stereo, int frames) { return writer.write(stereo, frames); });
    if (!written || !writer.padToEnd() || !out.commit()) {
        const QString error = out.errorString();
        out.cancel();
        return error;
    }
    return {};
}

} // namespace tamo::voice
