// SPDX-License-Identifier: GPL-3.0-or-later
// The MIDI file reader: any bytes are read within the limits or refused with a
// message; what is read is channel messages in time order, and it plays through
// the voice engine (a one-sample set) without reading outside anything.

#include "fuzzsupport.h"

#include "midi/midifile.h"
#include "voice/engine.h"

using namespace tamo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const midi::MidiLimits limits{.maxBytes = 1 << 20, .maxEvents = 20000, .maxTracks = 64, .maxSeconds = 600};
    const midi::MidiSong song = midi::readMidi(fuzz::input(data, size), limits);
    FUZZ_CHECK(song.ok() || song.events.empty());
    if (!song.ok())
        return 0;
    FUZZ_CHECK(qsizetype(song.events.size()) <= limits.maxEvents && song.seconds <= limits.maxSeconds);
    double last = 0;
    for (const midi::MidiEvent &e : song.events) {
        FUZZ_CHECK(e.seconds >= last && e.seconds <= song.seconds);
        FUZZ_CHECK(e.status >= 0x80 && e.status < 0xf0 && e.data1 < 128 && e.data2 < 128);
        last = e.seconds;
    }
    static const auto set = [] { // one looped stereo sample of three frames on every key
        auto s = std::make_shared<voice::VoiceSet>();
        const float frames[] = {0.0f, 0.5f, -0.5f, 0.25f, 0.0f, 0.1f};
        s->zones.push_back({.sample = voice::makeSample(frames, 3, 2, 22050, 1, 3)});
        s->zoneOfKey.fill(0);
        return s;
    }();
    voice::Engine engine(set);
    float out[2 * 16];
    for (std::size_t i = 0; i < song.events.size() && i < 500; ++i) {
        const midi::MidiEvent &e = song.events[i];
        if (e.kind() == 0x90)
            engine.noteOn(e.channel(), e.data1, e.data2);
        else if (e.kind() == 0x80)
            engine.noteOff(e.channel(), e.data1);
        else if (e.kind() == 0xb0)
            engine.controlChange(e.channel(), e.data1, e.data2);
        else
            engine.pitchBend(e.channel(), e.data1 | e.data2 << 7);
        engine.render(out, 16);
        FUZZ_CHECK(engine.soundingVoices() <= 32);
    }
    return 0;
}
