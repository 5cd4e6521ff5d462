#include "wav/wavwaveform.h"

#include "wav/wavformat.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace tamo::wav {

namespace {

// Gets the samples by the cheaper way for their spacing: far apart, one small
// positional read each; closer together, through blocks read in turn into one
// buffer (copying a stretch of the file then costs less than a call per sample).
class SampleReader {
public:
    SampleReader(ByteSource &source, qint64 step) : m_source(source), m_direct(step >= kDirectStep)
    {
        if (!m_direct)
            m_block.resize(kBlock);
    }

    // The sample of `size` bytes at pos; nullptr when it starts past the end of
    // the source (silence), bytes past the end reading as 0.
    const char *at(qint64 pos, int size)
    {
        if (pos >= m_source.size())
            return nullptr;
        if (m_direct || pos < 0 || size > kBlock)
            return direct(pos, size);
        if (pos < m_start || pos + size > m_start + m_fill) {
            m_start = pos;
            m_fill = 0;
            const qint64 left = m_source.size() - pos;
            if (left >= size)
                m_fill = std::max<qint64>(m_source.readAt(pos, m_block.data(), std::min<qint64>(kBlock, left)), 0);
            if (m_fill < size)
                return direct(pos, size); // the end of the source
        }
        return m_block.constData() + (pos - m_start);
    }

private:
    static constexpr qint64 kDirectStep = 16 * 1024;
    static constexpr qsizetype kBlock = 256 * 1024;
    const char *direct(qint64 pos, int size)
    {
        m_one.resize(size);
        m_source.readPadded(pos, m_one.data(), size);
        return m_one.constData();
    }

    ByteSource &m_source;
    const bool m_direct;
    QByteArray m_one;
    QByteArray m_block;
    qint64 m_start = 0;
    qint64 m_fill = 0;
};

} // namespace

WaveformPlot computeWaveform(ByteSource &source, double width, double height, double drawLength)
{
    WaveformPlot plot;
    const qint64 length = source.size();
    qint64 d = findDataTag(source);
    if (d < 0)
        d = length;
    plot.dataOffset = d;
    if (d == 0 || length == 0)
        return plot;
    plot.drawn = true;

    const qint32 S = source.int32At(d + 4);
    plot.dataSize = S;
    // No payload to spread over the width: x = W * o / S means nothing.
    if (S <= 0 || width <= 0)
        return plot;

    // Each sample drawn from its real value: the first channel of a frame, at the
    // width the format chunk gives; 16-bit mono when it gives none a reader knows.
    const SampleFormat format = fileSampleFormat(source).format.value_or(SampleFormat{});
    const qint64 frame = format.frameBytes();
    plot.frameBytes = frame;

    double R = double(S) / width;
    if (R <= 1)
        R = 1;
    // About one sample per two units of width, as 16-bit mono steps 2 * floor(R) bytes.
    const qint64 step = frame * std::max<qint64>(1, qint64(std::floor(2 * R / double(frame))));
    plot.step = step;
    const qint64 q = d + 8;
    SampleReader reader(source, step);
    auto y = [&](qint64 pos) {
        const char *sample = reader.at(pos, format.sampleBytes);
        const double level = sample ? sampleLevel(sample, format.encoding) : 0.0;
        return height * (1.0 - level) / 2.0;
    };

    // Points right of the canvas cannot be seen: stop one step past its edge, so
    // a size typed larger than the data still reads no more than the width allows.
    const double last = std::min(drawLength - double(frame), double(S) + double(step));
    plot.points.append(QPointF(0, y(q)));
    if (last >= double(frame))
        plot.points.reserve(qsizetype((last - double(frame)) / double(step)) + 2);
    for (qint64 o = frame; double(o) <= last; o += step)
        plot.points.append(QPointF(width * double(o) / double(S), y(q + o)));
    return plot;
}

WaveformPlot computeWaveform(QByteArrayView bytes, double width, double height, double drawLength)
{
    MemorySource source(bytes);
    return computeWaveform(source, width, height, drawLength);
}

} // namespace tamo::wav
