// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tamo {
class AtomicFileWriter;
}

namespace tamo::wav {

// What the keyboard reads: 16-bit PCM WAV at 44100 Hz, one or two channels.
constexpr int kKeyboardRate = 44100;
// Rates a sound for the keyboard can come in; others are refused, not converted.
constexpr int kLowestSourceRate = 1000;
constexpr int kHighestSourceRate = 384000;

struct FormatCheck {
    bool ok = false;
    bool readable = false; // libsndfile decodes it, so it can be converted
    // Short reasons, comma-separated: "missing", "unreadable: …", "24-bit",
    // "48000 Hz", "float", "AIFF", "6 channels", "header sizes disagree with the
    // file" (a cut or lying header: rewritten, never copied); empty when ok.
    QString reason;
};

// Checks the file at path against the keyboard's format.
FormatCheck checkKeyboardFormat(const QString &path);

// What of a source one keyboard WAV plays: a window of its frames, the loop its
// sampler chunk carries and the root written there. Frames count in the source's
// own rate; the conversion scales them when it resamples.
struct SourceCut {
    enum class Loop {
        Keep,    // the loops of the source's own sampler chunk, if any
        None,    // no loop: a one-shot
        Forward, // loopStart..loopEnd
    };
    qint64 start = 0; // the first frame played
    qint64 end = -1;  // one past the last frame played; -1: the source's end
    Loop loop = Loop::Keep;
    qint64 loopStart = 0; // Forward: the first looped frame
    qint64 loopEnd = 0;   // Forward: one past the last looped frame
    // Forward: the loop's exact length (a found loop's whole periods), so that the
    // written end is FoundLoop::resampled()'s; 0: loopEnd - loopStart.
    double loopLength = 0;
    qint64 crossfade = 0; // Forward: source frames before the loop end blended (applyCrossfade)
    int rootKey = -1;     // MIDI unity note for the sampler chunk; -1: the source's own
    int fineCents = 0;    // pitch correction above rootKey, with rootKey only
    double gain = 1.0;    // one level for a whole set (normalising keeps the balance)
    bool seekLoop = true; // false: a drum of a kit, which ends by itself (its own loop is still kept)

    // Nothing to change: the source plays as it is.
    bool isWhole() const { return start == 0 && end < 0 && loop == Loop::Keep && rootKey < 0 && gain == 1.0; }
    friend bool operator==(const SourceCut &, const SourceCut &) = default;
};

struct ConvertResult {
    bool ok = false;
    bool cancelled = false;
    QString error;        // why it failed, empty when ok or cancelled
    qint64 frames = 0;    // frames written
    bool dithered = false;
    bool hasSampler = false; // a sampler chunk was written
};

// Called between blocks with the share of the source done (0..1); returning
// false stops the conversion as cancelled.
using ConvertStep = std::function<bool(double done)>;

// Decodes any file libsndfile reads and appends the cut of it to out in the
// keyboard's format: a canonical 44-byte header, the window's frames times the
// gain, resampled to 44100 Hz with libsoxr when needed (round(frames * 44100 /
// rate) frames), channels kept, TPDF dither whenever the samples carry more than 16
// bits (a deeper source, a gain, or a resampled one), and after them a sampler
// chunk when there is a loop or a root: the cut's loop, or the source's own loops
// moved into the window, scaled to the new rate. A cut's crossfade is blended into
// the converted frames before they are quantised (those files are held whole). Streams in blocks, whatever the
// file's size. More than two channels and rates outside kLowestSourceRate ..
// kHighestSourceRate are refused.
ConvertResult convertToKeyboardFormat(const QString &sourcePath, AtomicFileWriter &out,
                                      const ConvertStep &step = {}, const SourceCut &cut = {});

// The same into a file, replaced atomically.
ConvertResult convertFileToKeyboardFormat(const QString &sourcePath, const QString &targetPath,
                                          const ConvertStep &step = {}, const SourceCut &cut = {});

} // namespace tamo::wav
