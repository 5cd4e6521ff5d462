#pragma once

#include <QByteArray>
#include <QString>

namespace tamo::wav {

// The sound file at path played `semitones` higher (lower when negative), as a
// 16-bit WAV at the source's rate, at most maxSeconds long: a preview of a sample
// on another key; a sample with a loop sustains through it. Empty, with the reason in error, when the file cannot be read.
QByteArray pitchedPreview(const QString &path, double semitones, double maxSeconds, QString *error);

} // namespace tamo::wav
