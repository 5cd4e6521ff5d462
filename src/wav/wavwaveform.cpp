#include "wav/wavwaveform.h"

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

    qint16 at(qint64 pos)
    {
        if (m_direct || pos < 0)
            return m_source.int16At(pos);
        if (pos < m_start || pos + 2 > m_start + m_fill) {
            m_start = pos;
            m_fill = 0;
            const qint64 left = m_source.size() - pos;
            if (left >= 2)
                m_fill = std::max<qint64>(m_source.readAt(pos, m_block.data(), std::min<qint64>(kBlock, left)), 0);
            if (m_fill < 2)
                return m_source.int16At(pos); // the end of the source
        }
        return qFromLittleEndian<qint16>(m_block.constData() + (pos - m_start));
    }

private:
    static constexpr qint64 kDirectStep = 16 * 1024;
    static constexpr qsizetype kBlock = 256 * 1024;
    ByteSource &m_source;
    const bool m_direct;
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

    double R = double(S) / width;
    if (R <= 1)
        R = 1;
    const qint64 step = 2 * qint64(std::floor(R));
    plot.step = step;
    const qint64 q = d + 8;
    auto y = [height](qint16 sample) { return height * (32768.0 - sample) / 65536.0; };

    // Points right of the canvas cannot be seen: stop one step past its edge, so
    // a size typed larger than the data still reads no more than the width allows.
    const double last = std::min(drawLength - 2, double(S) + double(step));
    SampleReader reader(source, step);
    plot.points.append(QPointF(0, y(reader.at(q))));
    if (last >= 2)
        plot.points.reserve(qsizetype((last - 2) / double(step)) + 2);
    for (qint64 o = 2; double(o) <= last; o += step)
        plot.points.append(QPointF(width * double(o) / double(S), y(reader.at(q + o))));
    return plot;
}

WaveformPlot computeWaveform(QByteArrayView bytes, double width, double height, double drawLength)
{
    MemorySource source(bytes);
    return computeWaveform(source, width, height, drawLength);
}

} // namespace tamo::wav
