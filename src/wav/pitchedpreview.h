// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <vector>

namespace tamo::wav {

// Decoded sound: interleaved samples from -1 to 1.
struct Frames {
    std::vector<float> samples;
    int channels = 0;
    int rate = 0;
};

// The sound file at path played `semitones` higher (lower when negative), at the
// source's rate, at most maxSeconds long: a preview of a sample on another key; a
// sample with a loop sustains through it.
// No samples, with the reason in error, when the file cannot be read.
Frames pitchedPreview(const QString &path, double semitones, double maxSeconds, QString *error);

} // namespace tamo::wav
