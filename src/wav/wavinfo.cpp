#include "wav/wavinfo.h"

#include "wav/wavtext.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace tamo::wav {

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
    auto number = [&plan](qint64 offset, const QString &text, WavField field, int bits) {
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
        plan.pieces.append({offset, bytes});
        return *value;
    };
    auto text = [&plan](qint64 offset, const QString &shown, const QByteArray &readBytes) {
        const QByteArray bytes = writeBackBytes(shown, readBytes);
        if (!bytes.isEmpty())
            plan.pieces.append({offset, bytes});
    };

    plan.pieces.append({kRiff, QByteArrayLiteral("RIFF")});
    number(kRiffSize, t.riffSize, WavField::RiffSize, 32);
    text(kWave, t.wave, view.wave);
    text(kFmt, t.fmt, view.fmt);
    number(kFmtSize, t.fmtSize, WavField::FmtSize, 32);
    number(kFormatTag, t.formatTag, WavField::FormatTag, 16);
    number(kChannels, t.channels, WavField::Channels, 16);
    number(kSampleRate, t.sampleRate, WavField::SampleRate, 32);
    number(kByteRate, t.byteRate, WavField::ByteRate, 32);
    number(kBlockAlign, t.blockAlign, WavField::BlockAlign, 16);
    number(kBitsPerSample, t.bitsPerSample, WavField::BitsPerSample, 16);

    const bool noDataChunk = t.dataTag.isEmpty() && t.dataSize.trimmed().isEmpty() && t.trailer.isEmpty();
    if (!noDataChunk) {
        // Written back where they were found, so an unedited file stays as it was.
        const qint64 d = view.hasData() ? view.dataOffset : kData;
        text(d, t.dataTag, view.dataTag);
        const qint64 size = number(d + 4, t.dataSize, WavField::DataSize, 32);
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

bool writePiecesInPlace(const QString &path, const QList<WritePiece> &pieces, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("Is a directory"));
    // Qt 6.4 says "Unknown error" after a short or failed buffered write, so errno,
    // cleared before each call, gives the system's reason.
    auto reason = [](const QFile &file, int savedErrno) {
        return savedErrno ? qt_error_string(savedErrno) : file.errorString();
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return fail(file.errorString());
    for (const WritePiece &piece : pieces) {
        errno = 0;
        if (!file.seek(piece.offset))
            return fail(reason(file, errno));
        // A short write (a disk filling up) is retried so that the failure shows.
        for (qint64 done = 0; done < piece.bytes.size();) {
            errno = 0;
            const qint64 n = file.write(piece.bytes.constData() + done, piece.bytes.size() - done);
            if (n <= 0)
                return fail(reason(file, errno));
            done += n;
        }
    }
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return fail(reason(file, errno));
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return true;
}

} // namespace tamo::wav
