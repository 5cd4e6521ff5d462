// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tamo::wav {

// Where a sample's root key was found, so the editor can say so in a tooltip.
enum class RootSource {
    None,
    SamplerChunk, // the unity note of the file's sampler data
    FileName,     // a note name such as "C3" or "F#-1" in the file name
};

struct RootNote {
    std::optional<int> note; // 0..127, C3 = 60 as the editor names notes
    RootSource source = RootSource::None;
    std::optional<int> overruledName; // a note in the file's name that the sampler chunk overrules
    // With a sampler chunk's pitch fraction: the sample sounds fine cents below note
    // (note and fine as the MSP's KEY and FINE say it), note the semitone above the unity note.
    int fine = 0;
    friend bool operator==(const RootNote &, const RootNote &) = default;
};

// The note named in a file name: a letter A-G (either case), an optional "#" or
// "b", an octave -2..8, standing apart from other letters by a space, "_", "-",
// "." or either end of the name ("Piano_c#3.wav", "Pad Db3", "Bass-F#-1.wav").
// The last such name wins; a note outside 0..127 is none. Failing that, a note
// glued to letters at the end of a name without small letters ("PIANOC3.WAV",
// "STRGFS2.WAV": S or # for sharp).
std::optional<int> noteFromFileName(QStringView fileName);

// The root of a sound file: the sampler data's unity note and pitch fraction (with
// the name's note when that differs), else a note in the file's name, else none. A file libsndfile cannot open falls back to its name.
RootNote detectRoot(const QString &path);

// "sampler chunk", "file name" or "none", for the editor to show.
QString rootSourceText(RootSource source);

} // namespace tamo::wav
