// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wav/wavbytes.h"

#include <QByteArray>
#include <QString>

namespace tamo::wav {

// ---- CleanUp: rewrite a WAV file as a canonical header, its data and one loop.

enum class CleanUpStatus {
    Done,
    BadFileSize,   // shorter than 45 bytes
    DataNotFound,  // no "data" chunk among the RIFF chunks
    WrongDataSize, // negative, or the payload would run past the end of the file
    Unreadable,    // the result would be a file other programs cannot read; see error
    Failed,        // reading or writing failed; see error
};

struct CleanUpPlan {
    CleanUpStatus status = CleanUpStatus::Done;
    QString problem;        // why, when Unreadable
    qint64 dataOffset = -1; // offset of the data chunk's header
    qint32 dataSize = 0;    // S
    QByteArray header;      // the 44-byte header of the result
    QByteArray sampler;     // the sampler chunk after the payload (and its pad byte)
    qint64 resultSize = 0;
};

struct CleanUpResult {
    CleanUpStatus status = CleanUpStatus::Done;
    QString error; // the system's reason when Failed; what is wrong when Unreadable
};

// The "data" chunk found by walking the chunk headers from offset 12, each chunk
// being followed by a pad byte when its size is odd; -1 when there is none. The
// "fmt " chunk met on the way is returned through fmtOffset (-1 when none).
qint64 findDataChunk(ByteSource &source, qint64 *fmtOffset = nullptr);

// The 68-byte sampler chunk: one forward loop from S/2 to S/2 + 15, rounded half to even.
QByteArray samplerChunk(qint32 dataSize);

// The data chunk is the one the chunk walk finds or, when the walk finds none (an
// odd chunk written without its pad byte throws it off), the first "data" bytes as
// the panel finds them. The format fields come from the walked "fmt " chunk (the
// header's own at 20 when there is none), an extensible format written as its
// sub-format's code; a format that readers would refuse is not written at all.
CleanUpPlan planCleanUp(ByteSource &source);
// Streams the result of a plan: header, payload, sampler chunk.
CleanUpResult writeCleanUp(ByteSource &source, const CleanUpPlan &plan, ByteSink &out);
// Rewrites the file at path in place by an atomic replace: on any failure or
// refusal the file stays as it was and no temporary file is left behind.
CleanUpResult cleanUpWavFile(const QString &path);

// ---- "creer bruit": 16-bit stereo white noise, the same every run.

constexpr int kNoiseSamples = 100000;
QByteArray noiseWav();

// ---- "Ecrire une entete": a canonical mono 44.1 kHz 16-bit header over the first
// 44 bytes; the bytes after them stay and become the payload. A missing or
// shorter file becomes a 44-byte header with an empty payload.
QByteArray testHeader(qint64 fileLength);
bool stampTestHeader(ByteSource &source, ByteSink &out, QString *error);
bool stampTestHeaderFile(const QString &path, QString *error);

// ---- "Command8": leave out the 8-byte block header in front of every 65536-byte
// block after the 44-byte WAV header; the header is copied unchanged.
constexpr qint64 kDeblockHeader = 44;
constexpr qint64 kDeblockGap = 8;
constexpr qint64 kDeblockBlock = 65536;
qint64 deblockedSize(qint64 inputSize);
bool deblock(ByteSource &source, ByteSink &out, QString *error);
// The input is created empty when missing; the output is replaced atomically.
bool deblockFile(const QString &inputPath, const QString &outputPath, QString *error);

// ---- Where the tools keep their fixed files.

// A folder the user can find and write to: "TAMO" in the user's documents folder
// (created when missing).
QString wavToolFolder();
inline const QString kNoiseFileName = QStringLiteral("bruit.wav");
inline const QString kTestHeaderFileName = QStringLiteral("GRANDP00.wav");
inline const QString kDeblockInputName = QStringLiteral("ORIEN8ALL.wav");
inline const QString kDeblockOutputName = QStringLiteral("O.Wav");

} // namespace tamo::wav
