// The WAV panel's logic: the header readout and the "data" search, the write-back
// of the header fields ("Ecrire les infos"), and the waveform's sample positions.
//
// Input: the file's bytes, optionally followed by "\n#EDIT#\n" and lines
// "<field>=<text>" that stand for what the user typed into the fields before
// writing (field 0..12 in WavField order; the text is UTF-8).

#include "fuzzsupport.h"

#include "msp/wavbytes.h"
#include "msp/wavinfo.h"
#include "msp/wavtext.h"
#include "msp/wavwaveform.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

using namespace tamo;
using namespace tamo::msp;

namespace {

const QByteArrayView kEditMarker = "\n#EDIT#\n";
// Write-backs that reach further than this past the end are planned but not applied.
constexpr qint64 kApplyLimit = 1 << 20;

bool sameView(const WavView &a, const WavView &b)
{
    return a.riff == b.riff && a.wave == b.wave && a.fmt == b.fmt && a.riffSize == b.riffSize
           && a.fmtSize == b.fmtSize && a.sampleRate == b.sampleRate && a.byteRate == b.byteRate
           && a.formatTag == b.formatTag && a.channels == b.channels && a.blockAlign == b.blockAlign
           && a.bitsPerSample == b.bitsPerSample && a.length == b.length && a.dataOffset == b.dataOffset
           && a.dataTag == b.dataTag && a.dataSize == b.dataSize && a.after == b.after
           && a.afterBytes == b.afterBytes && a.afterCut == b.afterCut && a.before == b.before
           && a.beforeBytes == b.beforeBytes && a.beforeCut == b.beforeCut;
}

qint32 int32In(QByteArrayView bytes, qint64 at)
{
    char b[4] = {};
    for (qint64 i = 0; i < 4; ++i)
        if (at + i >= 0 && at + i < bytes.size())
            b[i] = bytes[at + i];
    return qFromLittleEndian<qint32>(b);
}

// The view, checked against a plain reading of the bytes.
void checkView(QByteArrayView bytes, const WavView &v, qint64 limit)
{
    const qint64 L = bytes.size();
    FUZZ_CHECK(v.length == L);
    FUZZ_CHECK(v.riff == bytes.first(std::min<qint64>(L, 4)));
    FUZZ_CHECK(v.channels == qint16(int32In(bytes, 22)));
    FUZZ_CHECK(v.dataOffset == bytes.indexOf(QByteArrayView("data")));
    if (!v.hasData())
        return;
    const qint64 d = v.dataOffset;
    FUZZ_CHECK(v.dataTag == "data");
    FUZZ_CHECK(v.dataSize == int32In(bytes, d + 4));
    FUZZ_CHECK(v.after == L - v.dataSize - d - 8);
    const qint64 afterStart = d + 8 + v.dataSize;
    if (v.after >= 0 && afterStart >= 0) {
        FUZZ_CHECK(v.afterBytes == bytes.sliced(afterStart, std::min(v.after, limit)));
        FUZZ_CHECK(v.afterCut == (v.after > limit));
    } else {
        FUZZ_CHECK(v.afterBytes.isEmpty());
    }
    FUZZ_CHECK(v.before == d - 36);
    if (v.before > 0)
        FUZZ_CHECK(v.beforeBytes == bytes.sliced(36, std::min(v.before, limit)));
    else
        FUZZ_CHECK(v.beforeBytes.isEmpty());
}

void checkTexts(QByteArrayView bytes)
{
    const QByteArrayView some = bytes.first(std::min<qsizetype>(bytes.size(), 64));
    const QString shown = byteText(some);
    FUZZ_CHECK(shown.size() == some.size());
    QByteArray zeroed = some.toByteArray();
    zeroed.replace(char(176), '\0');
    FUZZ_CHECK(textBytes(shown) == zeroed);
    FUZZ_CHECK(writeBackBytes(shown, some) == some);
    // Whatever is typed into a number field is a whole number of its width, or refused.
    const QString typed = QString::fromLatin1(some.first(std::min<qsizetype>(some.size(), 24)));
    for (const int bits : {16, 32}) {
        if (const std::optional<qint64> n = parseFieldNumber(typed, bits)) {
            FUZZ_CHECK(*n >= -(qint64(1) << (bits - 1)) && *n < (qint64(1) << (bits - 1)));
            FUZZ_CHECK(parseFieldNumber(QString::number(*n), bits) == n);
        }
    }
    FUZZ_CHECK(std::isfinite(leadingNumber(typed)));
}

QString *fieldText(WavFieldTexts &t, int field)
{
    QString *fields[] = {&t.riffSize,  &t.wave,       &t.fmt,        &t.fmtSize,       &t.formatTag,
                         &t.channels,  &t.sampleRate, &t.byteRate,   &t.blockAlign,    &t.bitsPerSample,
                         &t.dataTag,   &t.dataSize,   &t.trailer};
    return field >= 0 && field < int(std::size(fields)) ? fields[field] : nullptr;
}

// Applies the planned writes to a copy of the bytes, as a file written in place.
std::optional<QByteArray> applied(QByteArrayView bytes, const QList<WritePiece> &pieces)
{
    QByteArray out = bytes.toByteArray();
    for (const WritePiece &piece : pieces) {
        FUZZ_CHECK(piece.offset >= 0);
        const qint64 end = piece.offset + piece.bytes.size();
        if (end > bytes.size() + kApplyLimit)
            return std::nullopt;
        if (end > out.size())
            out.resize(qsizetype(end), '\0');
        std::copy(piece.bytes.begin(), piece.bytes.end(), out.begin() + piece.offset);
    }
    return out;
}

void checkWaveform(QByteArrayView bytes, ByteSource &file, double drawLength)
{
    for (const double width : {1.0, 9315.0}) {
        const double height = 4635;
        const WaveformPlot plot = computeWaveform(bytes, width, height, drawLength);
        if (width > 1) { // from the file too, at the panel's width
            const WaveformPlot fromFile = computeWaveform(file, width, height, drawLength);
            FUZZ_CHECK(plot.points == fromFile.points && plot.drawn == fromFile.drawn);
        }
        FUZZ_CHECK(plot.drawn == (!bytes.isEmpty() && !bytes.startsWith("data")));
        // At most about one point per unit of width, whatever the sizes claim.
        FUZZ_CHECK(plot.points.size() <= qsizetype(width) + 3);
        if (plot.points.isEmpty())
            continue;
        FUZZ_CHECK(plot.points.first().x() == 0);
        const double right = width * (1.0 + double(plot.step) / double(plot.dataSize));
        for (const QPointF &p : plot.points) {
            FUZZ_CHECK(p.y() >= 0 && p.y() <= height);
            FUZZ_CHECK(p.x() >= 0 && p.x() <= right * (1 + 1e-9));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::MemFile memFile;
    const QByteArrayView whole = fuzz::input(data, size);
    const qsizetype marker = whole.indexOf(kEditMarker);
    const QByteArrayView bytes = marker < 0 ? whole : whole.first(marker);
    const QByteArrayView edits = marker < 0 ? QByteArrayView() : whole.sliced(marker + kEditMarker.size());

    const WavView view = readWavView(bytes);
    checkView(bytes, view, kWavTextLimit);
    // Texts cut short, where there is something to cut.
    const qint64 smallLimit = 5;
    if (view.after > smallLimit || view.before > smallLimit)
        checkView(bytes, readWavView(bytes, smallLimit), smallLimit);

    FileSource file(memFile.set(bytes));
    FUZZ_CHECK(file.open());
    FUZZ_CHECK(sameView(readWavView(file), view));
    checkTexts(bytes);

    // "Ecrire les infos" with the fields as shown, or as edited.
    WavFieldTexts texts = shownTexts(view);
    const bool edited = marker >= 0;
    for (const QByteArray &line : edits.toByteArray().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        if (QString *text = fieldText(texts, line.left(eq).toInt()))
            *text = QString::fromUtf8(line.mid(eq + 1));
    }
    const HeaderWritePlan plan = planHeaderWrite(texts, view);
    if (!edited)
        FUZZ_CHECK(plan.problem == HeaderWritePlan::Problem::None);
    if (plan.problem != HeaderWritePlan::Problem::None) {
        FUZZ_CHECK(plan.pieces.isEmpty());
    } else if (const std::optional<QByteArray> out = applied(bytes, plan.pieces)) {
        // Unedited fields write back the very bytes they were read from.
        if (!edited && bytes.startsWith("RIFF") && out->size() == bytes.size())
            FUZZ_CHECK(*out == bytes);
        QString error;
        FUZZ_CHECK(writePiecesInPlace(memFile.path(), plan.pieces, &error));
        FUZZ_CHECK(fuzz::readFile(memFile.path()) == *out);
        memFile.set(bytes);
    }

    // The waveform reads as far as the size field says, the typed one included.
    FileSource again(memFile.path());
    FUZZ_CHECK(again.open());
    checkWaveform(bytes, again, leadingNumber(shownTexts(view).dataSize));
    if (edited && texts.dataSize != shownTexts(view).dataSize)
        checkWaveform(bytes, again, leadingNumber(texts.dataSize));
    return 0;
}
