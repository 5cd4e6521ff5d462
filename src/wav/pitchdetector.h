// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tamo::wav {

// What a sample sounds like, measured on its held part.
struct PitchReading {
    bool confident = false; // a steady, clearly periodic tone: note can be trusted
    double note = 0;        // MIDI note with its fraction (60.0 = 261.63 Hz); 0 when none was measured
    double hz = 0;
    double confidence = 0;  // 0..1: periodicity (1 - YIN's dip) times the share of frames agreeing
    QString reason;         // when not confident: why ("its pitch moves", "no periodic tone", ...)
    int octaveGuard = 0;    // +12 or -12 when the spectrum moved YIN's reading by an octave
    // The fundamental lies 30 dB or more below the strongest partial while the
    // partials stand on its harmonic series: the note an octave above is as likely
    // (a low note that lost its fundamental, or a stop sounding an octave below).
    bool octaveUpToo = false;
};

// The part of a file to measure, in its frames: the window a set plays, and its
// loop when it has one (loopEnd > loopStart), which is then measured instead.
struct PitchWindow {
    qint64 start = 0;
    qint64 end = -1; // < 0: the file's end
    qint64 loopStart = 0;
    qint64 loopEnd = 0;
    bool ownLoop = true; // without a loop above, the file's sampler loop, if any
};

// YIN (de Cheveigné & Kawahara 2002: the cumulative mean normalised difference,
// absolute threshold 0.1, parabolic interpolation) on up to 8 frames of mono
// samples that hold one note, 26 Hz to 4.5 kHz. The frames' readings must agree
// within 40 cents; a reading whose spectrum shows a weaker fundamental an octave
// below (an organ's strong octave partial), or no odd harmonics (a period twice
// too long), is moved by that octave. A fundamental far weaker than the harmonic
// partials above it leaves the octave open (octaveUpToo).
PitchReading detectPitch(const float *mono, qint64 frames, int rate);

// The held part of a sound file, measured: its loop (repeated until long enough)
// when the window gives one or the file's sampler data has one, else the part from
// 50 ms after the loudest moment to where it falls 40 dB below it, at most one
// second of it. A pass over the file finds the level; only that part is kept in
// memory. Unreadable files, silence and sounds too short to hold a note are not
// confident and say why.
PitchReading detectPitchInFile(const QString &path, const PitchWindow &window = {});

// KEY and FINE (0..99 cents upwards) that make a sample sounding at note play in
// tune: KEY - FINE / 100 = note, FINE 0 when the note is within 5 cents of a key.
struct KeyAndFine {
    int key = 60;
    int fine = 0;
    friend bool operator==(const KeyAndFine &, const KeyAndFine &) = default;
};
KeyAndFine keyAndFineFor(double note);

} // namespace tamo::wav
