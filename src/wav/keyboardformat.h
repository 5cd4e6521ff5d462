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

struct FormatCheck {
    bool ok = false;
    bool readable = false; // libsndfile decodes it, so it can be converted
    // Short reasons, comma-separated: "missing", "unreadable: …", "24-bit",
    // "48000 Hz", "float", "AIFF", "6 channels"; empty when ok.
    QString reason;
};

// Checks the file at path against the keyboard's format.
FormatCheck checkKeyboardFormat(const QString &path);

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

// Decodes any file libsndfile reads and appends it to out in the keyboard's
// format: a canonical 44-byte header, the samples resampled to 44100 Hz with
// libsoxr when needed (round(frames * 44100 / rate) frames), channels kept, TPDF
// dither whenever the samples carry more than 16 bits (a deeper source, or one
// that was resampled), and after them a sampler chunk when the source had sampler
// data, its loops scaled to the new rate. Streams in blocks, whatever the file's
// size. More than two channels are refused.
ConvertResult convertToKeyboardFormat(const QString &sourcePath, AtomicFileWriter &out,
                                      const ConvertStep &step = {});

// The same into a file, replaced atomically.
ConvertResult convertFileToKeyboardFormat(const QString &sourcePath, const QString &targetPath,
                                          const ConvertStep &step = {});

} // namespace tamo::wav
