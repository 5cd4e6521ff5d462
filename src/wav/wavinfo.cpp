// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/wavinfo.h"

#include "wav/wavbytes.h"
#include "wav/wavtext.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace tamo::wav {

QByteArray canonicalHeader(qint32 riffSize, int channels, qint32 rate, qint32 dataSize, int bits)
{
    const int bytes = bits / 8;
    using namespace wavhdr;
    QByteArray h(kSize, '\0');
    char *p = h.data();
    std::copy_n("RIFF", 4, p + kRiff);
    putInt32(p + kRiffSize, riffSize);
    std::copy_n("WAVE", 4, p + kWave);
    std::copy_n("fmt ", 4, p + kFmt);
    putInt32(p + kFmtSize, 16);
    putInt16(p + kFormatTag, 1);
    putInt16(p + kChannels, qint16(channels));
    putInt32(p + kSampleRate, rate);
    putInt32(p + kByteRate, qint32(quint32(rate) * quint32(bytes) * quint32(channels)));
    putInt16(p + kBlockAlign, qint16(bytes * channels));
    putInt16(p + kBitsPerSample, qint16(bits));
    std::copy_n("data", 4, p + kData);
    putInt32(p + kDataSize, dataSize);
    return h;
}

WavView readWavView(ByteSource &source, qint64 textLimit)
{
    using namespace wavhdr;
    WavView v;
    v.length = source.size();
    v.riff = source.bytesAt(kRiff, 4);
    v.riffSize = source.int32At(kRiffSize);
    v.wave = source.bytesAt(kWave, 4);
    v.fmt = source.bytesAt(kFmt, 4);
    v.fmtSize = source.int32At(kFmtSize);
    v.formatTag = source.int16At(kFormatTag);
    v.channels = source.int16At(kChannels);
    v.sampleRate = source.int32At(kSampleRate);
    v.byteRate = source.int32At(kByteRate);
    v.blockAlign = source.int16At(kBlockAlign);
    v.bitsPerSample = source.int16At(kBitsPerSample);

    const qint64 d = findDataTag(source);
    if (d < 0)
        return v;
    v.dataOffset = d;
    v.dataTag = source.bytesAt(d, 4);
    v.dataSize = source.int32At(d + 4);
    v.after = v.length - v.dataSize - d - 8;
    const qint64 afterStart = d + 8 + v.dataSize;
    if (v.after >= 0 && afterStart >= 0) {
        v.afterBytes = source.bytesAt(afterStart, std::min(v.after, textLimit));
        v.afterCut = v.after > textLimit;
    }
    v.before = d - kData;
    if (v.before > 0) {
        v.beforeBytes = source.bytesAt(kData, std::min(v.before, textLimit));
        v.beforeCut = v.before > textLimit;
    }
    return v;
}

WavView readWavView(QByteArrayView bytes, qint64 textLimit)
{
    MemorySource source(bytes);
    return readWavView(source, textLimit);
}

WavFieldTexts shownTexts(const WavView &v)
{
    WavFieldTexts t;
    t.riffSize = QString::number(v.riffSize);
    t.wave = byteText(v.wave);
    t.fmt = byteText(v.fmt);
    t.fmtSize = QString::number(v.fmtSize);
    t.formatTag = QString::number(v.formatTag);
    t.channels = QString::number(v.channels);
    t.sampleRate = QString::number(v.sampleRate);
    t.byteRate = QString::number(v.byteRate);
    t.blockAlign = QString::number(v.blockAlign);
    t.bitsPerSample = QString::number(v.bitsPerSample);
    if (v.hasData()) {
        t.dataTag = byteText(v.dataTag);
        t.dataSize = QString::number(v.dataSize);
        t.trailer = byteText(v.afterBytes);
    }
    return t;
}

HeaderWritePlan planHeaderWrite(const WavFieldTexts &t, const WavView &view)
{
    using namespace wavhdr;
    HeaderWritePlan plan;
    const WavFieldTexts shown = shownTexts(view);
    // An unedited field writes back no byte the file did not have when it was read:
    // a number of a short file read its missing bytes as 0, and they stay missing.
    auto clipped = [&view](qint64 offset, QByteArray bytes, bool edited) {
        if (!edited)
            bytes.truncate(qsizetype(std::clamp<qint64>(view.length - offset, 0, bytes.size())));
        return bytes;
    };
    auto number = [&](qint64 offset, const QString &text, const QString &shownText, WavField field, int bits) {
        if (plan.problem != HeaderWritePlan::Problem::None)
            return qint64(0);
        const std::optional<qint64> value = parseFieldNumber(text, bits);
        if (!value) {
            plan.problem = HeaderWritePlan::Problem::NotANumber;
            plan.badField = field;
            plan.badFieldBits = bits;
            return qint64(0);
        }
        QByteArray bytes(bits / 8, Qt::Uninitialized);
        if (bits == 32)
            putInt32(bytes.data(), qint32(*value));
        else
            putInt16(bytes.data(), qint16(*value));
        bytes = clipped(offset, bytes, text != shownText);
        if (!bytes.isEmpty())
            plan.pieces.append({offset, bytes});
        return *value;
    };
    auto text = [&plan](qint64 offset, const QString &shownText, const QByteArray &readBytes) {
        const QByteArray bytes = writeBackBytes(shownText, readBytes);
        if (!bytes.isEmpty())
            plan.pieces.append({offset, bytes});
    };

    // "RIFF" is a constant, but with nothing edited the file keeps what it had there.
    const bool edited = t.riffSize != shown.riffSize || t.wave != shown.wave || t.fmt != shown.fmt
                        || t.fmtSize != shown.fmtSize || t.formatTag != shown.formatTag
                        || t.channels != shown.channels || t.sampleRate != shown.sampleRate
                        || t.byteRate != shown.byteRate || t.blockAlign != shown.blockAlign
                        || t.bitsPerSample != shown.bitsPerSample || t.dataTag != shown.dataTag
                        || t.dataSize != shown.dataSize || t.trailer != shown.trailer;
    const QByteArray riff = clipped(kRiff, QByteArrayLiteral("RIFF"), edited);
    if (!riff.isEmpty())
        plan.pieces.append({kRiff, edited ? riff : view.riff});
    number(kRiffSize, t.riffSize, shown.riffSize, WavField::RiffSize, 32);
    text(kWave, t.wave, view.wave);
    text(kFmt, t.fmt, view.fmt);
    number(kFmtSize, t.fmtSize, shown.fmtSize, WavField::FmtSize, 32);
    number(kFormatTag, t.formatTag, shown.formatTag, WavField::FormatTag, 16);
    number(kChannels, t.channels, shown.channels, WavField::Channels, 16);
    number(kSampleRate, t.sampleRate, shown.sampleRate, WavField::SampleRate, 32);
    number(kByteRate, t.byteRate, shown.byteRate, WavField::ByteRate, 32);
    number(kBlockAlign, t.blockAlign, shown.blockAlign, WavField::BlockAlign, 16);
    number(kBitsPerSample, t.bitsPerSample, shown.bitsPerSample, WavField::BitsPerSample, 16);

    const bool noDataChunk = t.dataTag.isEmpty() && t.dataSize.trimmed().isEmpty() && t.trailer.isEmpty();
    if (!noDataChunk) {
        // Written back where they were found, so an unedited file stays as it was.
        const qint64 d = view.hasData() ? view.dataOffset : kData;
        text(d, t.dataTag, view.dataTag);
        const qint64 size = number(d + 4, t.dataSize, shown.dataSize, WavField::DataSize, 32);
        if (!t.trailer.isEmpty() && plan.problem == HeaderWritePlan::Problem::None) {
            const qint64 at = d + 8 + size;
            if (at < 0) {
                plan.problem = HeaderWritePlan::Problem::TrailerBeforeStart;
                plan.badField = WavField::DataSize;
                plan.badFieldBits = 32;
            } else {
                text(at, t.trailer, view.afterBytes);
            }
        }
    }
    if (plan.problem != HeaderWritePlan::Problem::None)
        plan.pieces.clear();
    return plan;
}

namespace {

// Writes all of bytes at offset, retrying a short write so that a failure shows.
bool writeAllAt(QFile &file, qint64 offset, QByteArrayView bytes)
{
    if (!file.seek(offset))
        return false;
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

bool writePiecesInPlace(const QString &path, const QList<WritePiece> &pieces, QString *error, bool *unchanged)
{
    if (unchanged)
        *unchanged = true;
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(qt_error_string(EISDIR));
    // Qt 6.4 says "Unknown error" after a failed write, so errno, cleared before
    // each call, gives the system's reason.
    auto reason = [](const QFile &file, int savedErrno) {
        return savedErrno ? qt_error_string(savedErrno) : file.errorString();
    };
    // Unbuffered: a write that fails (a full disk, a size limit) fails right there.
    QFile file(path);
    const bool existed = file.exists();
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return fail(reason(file, errno));

    // What the pieces will cover, kept to be put back if any write fails.
    const qint64 oldLength = file.size();
    QList<WritePiece> old;
    for (const WritePiece &piece : pieces) {
        const qint64 n = std::clamp<qint64>(oldLength - piece.offset, 0, piece.bytes.size());
        if (n == 0)
            continue;
        errno = 0;
        QByteArray bytes;
        if (file.seek(piece.offset))
            bytes = file.read(n);
        if (bytes.size() != n)
            return fail(reason(file, errno));
        old.append({piece.offset, bytes});
    }

    for (const WritePiece &piece : pieces) {
        errno = 0;
        if (writeAllAt(file, piece.offset, piece.bytes))
            continue;
        const QString why = reason(file, errno);
        // All or nothing: the old bytes go back where they were (no new room is
        // needed for that) and the file is cut back to its old length.
        bool restored = true;
        for (const WritePiece &piece0 : old)
            restored = writeAllAt(file, piece0.offset, piece0.bytes) && restored;
        restored = file.resize(oldLength) && restored;
        if (!existed)
            restored = file.remove();
        if (unchanged)
            *unchanged = restored;
        return fail(why);
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (unchanged)
            *unchanged = false;
        return fail(file.errorString());
    }
    return true;
}

} // namespace tamo::wav
