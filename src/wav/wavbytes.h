// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "util/atomicfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace tamo::wav {

// Large files are streamed through one reused buffer of this size.
constexpr qsizetype kStreamBlockSize = 1 << 20;

// Random-access bytes of a WAV file: a file on disk, or memory (tests, fuzzing).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual qint64 size() const = 0;
    // Reads up to len bytes at pos into dst: the count read, short only at the end
    // of the source; -1 on a read error.
    virtual qint64 readAt(qint64 pos, char *dst, qint64 len) = 0;
    virtual QString errorString() const { return {}; }

    // Reads len bytes at pos; bytes outside the source read as 0. False on a read error.
    bool readPadded(qint64 pos, char *dst, qint64 len);
    // Little-endian numbers at pos, 0 for bytes outside the source.
    qint32 int32At(qint64 pos);
    qint16 int16At(qint64 pos);
    // Up to len bytes at pos: only those that exist.
    QByteArray bytesAt(qint64 pos, qint64 len);
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(QByteArrayView bytes) : m_bytes(bytes) {}
    qint64 size() const override { return m_bytes.size(); }
    qint64 readAt(qint64 pos, char *dst, qint64 len) override;

private:
    QByteArrayView m_bytes;
};

// Unbuffered positional reads: one system call per request, whatever the offset.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const QString &path) : m_file(path) {}
    bool open();
    qint64 size() const override { return m_size; }
    qint64 readAt(qint64 pos, char *dst, qint64 len) override;
    QString errorString() const override { return m_error.isEmpty() ? m_file.errorString() : m_error; }
    int handle() const { return m_file.handle(); } // for copies in the kernel

private:
    QFile m_file;
    QString m_error; // a reason QFile does not give
    qint64 m_size = 0;
};

// Where a tool's output goes: an atomic file write, or memory.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(QByteArrayView bytes) = 0;
    virtual QString errorString() const = 0;
};

class BufferSink final : public ByteSink {
public:
    bool write(QByteArrayView bytes) override
    {
        m_bytes.append(bytes);
        return true;
    }
    QString errorString() const override { return {}; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

class AtomicSink final : public ByteSink {
public:
    explicit AtomicSink(tamo::AtomicFileWriter &writer) : m_writer(writer) {}
    bool write(QByteArrayView bytes) override { return m_writer.write(bytes); }
    QString errorString() const override { return m_writer.errorString(); }
    tamo::AtomicFileWriter &writer() { return m_writer; }

private:
    tamo::AtomicFileWriter &m_writer;
};

// The first offset p >= from where the four bytes "data" stand, byte by byte
// through the whole source, inside other chunks or sample data included; -1 when
// there is none (or on a read error). Reads in large blocks.
qint64 findDataTag(ByteSource &source, qint64 from = 0);
qint64 findDataTag(QByteArrayView bytes);

void putInt32(char *dst, qint32 value);
void putInt16(char *dst, qint16 value);

} // namespace tamo::wav
