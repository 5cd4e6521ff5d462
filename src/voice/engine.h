// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "voice/voiceset.h"

#include <array>
#include <memory>
#include <vector>

namespace tamo::voice {

// Plays a VoiceSet as the keyboard would: each note the zone of its key, pitched
// from the zone's root, through its envelope, looping while it sounds; up to
// kVoiceModel.voices at once. Events take effect at the next frame rendered.
// Not thread-safe: the caller serialises events and render().
class Engine {
public:
    explicit Engine(std::shared_ptr<const VoiceSet> set, double rate = 44100.0);

    void noteOn(int channel, int key, int velocity);
    void noteOff(int channel, int key);
    // 64 (sustain pedal), 120 (all sound off) and 123 (all notes off); others are ignored.
    void controlChange(int channel, int controller, int value);
    // 0..16383, 8192 the middle.
    void pitchBend(int channel, int value);
    // Every voice stops at once.
    void reset();

    // Writes frames of interleaved stereo.
    void render(float *stereo, int frames);
    int soundingVoices() const;
    double rate() const { return m_rate; }
    const VoiceSet &set() const { return *m_set; }

private:
    enum class Stage { Off, Attack, Decay, Sustain, Release };
    struct Voice {
        Stage stage = Stage::Off;
        int channel = 0, key = 0;
        bool held = false;      // the key is down
        bool sustained = false; // up, but the pedal holds it
        quint64 age = 0;        // order of the note-ons
        const Zone *zone = nullptr;
        double position = 0; // frames of the sample
        double step = 1;     // frames a frame, bend left out
        double gain = 1;
        double level = 0;      // the envelope
        double attackStep = 0; // level added a frame
        double decayFactor = 0, releaseFactor = 0;
    };
    void release(Voice &voice) const;
    Voice &freeVoice();
    void renderVoice(Voice &voice, float *stereo, int frames);
    template <int Taps, bool Stereo>
    void renderVoiceWith(Voice &voice, float *stereo, int frames);

    std::shared_ptr<const VoiceSet> m_set;
    double m_rate;
    std::vector<Voice> m_voices;
    quint64 m_notes = 0;
    std::array<double, 16> m_bend{};
    std::array<bool, 16> m_pedal{};
};

} // namespace tamo::voice
