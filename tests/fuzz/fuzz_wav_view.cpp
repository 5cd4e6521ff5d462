// The WAV panel's logic: the header readout and the "data" search, the write-back
// of the header fields ("Ecrire les infos"), and the waveform's sample positions.
//
// Input: the file's bytes, optionally followed by "\n#EDIT#\n" and lines
// "<field>=<text>" that stand for what the user typed before writing
// (field 0..12 in WavField order; the text is UTF-8).

#include "fuzzsupport.h"

#include "wav/wavbytes.h"
#include "wav/wavinfo.h"
#include "wav/wavtext.h"
#include "wav/wavwaveform.h"

using namespace tamo;
using namespace tamo::wav;

namespace {

bool sameView(const WavView &a, const WavView &b)
{
    return a.riff == b.riff && a.riffSize == b.riffSize && a.channels == b.channels && a.length == b.length
           && a.dataOffset == b.dataOffset && a.dataSize == b.dataSize && a.after == b.after
           && a.afterBytes == b.afterBytes && a.beforeBytes == b.beforeBytes;
}

// The drawing stays on the canvas, about one point per unit of width, whatever the sizes claim.
void checkWaveform(QByteArrayView bytes, const QString &path, double drawLength)
{
    const double width = 9315, height = 4635;
    const WaveformPlot plot = computeWaveform(bytes, width, height, drawLength);
    FileSource file(path);
    FUZZ_CHECK(file.open());
    const WaveformPlot fromFile = computeWaveform(file, width, height, drawLength);
    FUZZ_CHECK(plot.points == fromFile.points && plot.drawn == fromFile.drawn);
    FUZZ_CHECK(plot.drawn == (!bytes.isEmpty() && !bytes.startsWith("data")));
    FUZZ_CHECK(plot.points.size() <= qsizetype(width) + 3);
    for (const QPointF &p : plot.points) {
        const double right = width * (1.0 + double(plot.step) / double(plot.dataSize));
        FUZZ_CHECK(p.y() >= 0 && p.y() <= height && p.x() >= 0 && p.x() <= right * (1 + 1e-9));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView whole = fuzz::input(data, size);
    const qsizetype marker = whole.indexOf(QByteArrayView("\n#EDIT#\n"));
    const QByteArrayView bytes = marker < 0 ? whole : whole.first(marker);
    const QString path = fuzz::writeFile(QStringLiteral("FUZZ.wav"), bytes);

    const WavView view = readWavView(bytes);
    FUZZ_CHECK(view.length == bytes.size() && view.dataOffset == bytes.indexOf(QByteArrayView("data")));
    FileSource file(path);
    FUZZ_CHECK(file.open());
    FUZZ_CHECK(sameView(readWavView(file), view));

    // "Ecrire les infos" with the fields as shown, or as edited.
    const WavFieldTexts shown = shownTexts(view);
    WavFieldTexts texts = shown;
    QString *fields[] = {&texts.riffSize, &texts.wave,     &texts.fmt,        &texts.fmtSize,   &texts.formatTag,
                         &texts.channels, &texts.sampleRate, &texts.byteRate, &texts.blockAlign, &texts.bitsPerSample,
                         &texts.dataTag,  &texts.dataSize, &texts.trailer};
    for (const QByteArray &line : whole.sliced(marker < 0 ? whole.size() : marker + 8).toByteArray().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (const int field = line.left(eq).toInt(); eq > 0 && field >= 0 && field < int(std::size(fields)))
            *fields[field] = QString::fromUtf8(line.mid(eq + 1));
    }
    // The waveform reads as far as the size field says, the typed one included.
    checkWaveform(bytes, path, leadingNumber(shown.dataSize));
    if (texts.dataSize != shown.dataSize)
        checkWaveform(bytes, path, leadingNumber(texts.dataSize));

    const HeaderWritePlan plan = planHeaderWrite(texts, view);
    FUZZ_CHECK(marker >= 0 || plan.problem == HeaderWritePlan::Problem::None);
    FUZZ_CHECK(plan.problem == HeaderWritePlan::Problem::None || plan.pieces.isEmpty());
    QByteArray out = bytes.toByteArray();
    for (const WritePiece &piece : plan.pieces) {
        FUZZ_CHECK(piece.offset >= 0);
        if (piece.offset + piece.bytes.size() > bytes.size() + (1 << 20))
            return 0; // a write that far past the end is planned, not made
        out.resize(std::max(out.size(), qsizetype(piece.offset) + piece.bytes.size()), '\0');
        out.replace(qsizetype(piece.offset), piece.bytes.size(), piece.bytes);
    }
    // Unedited, the file stays byte-identical, however short or odd.
    if (marker < 0)
        FUZZ_CHECK(out == bytes);
    QString error;
    // A write that needs more room than there is fails and leaves the file byte-identical.
    if (out.size() > bytes.size()) {
        bool written = false;
        {
            const test::FileSizeLimit full(bytes.size());
            written = writePiecesInPlace(path, plan.pieces, &error);
        }
        FUZZ_CHECK(!written && !error.isEmpty() && fuzz::readFile(path) == bytes);
    }
    FUZZ_CHECK(writePiecesInPlace(path, plan.pieces, &error) && fuzz::readFile(path) == out);
    return 0;
}
