// SPDX-License-Identifier: GPL-3.0-or-later
#include "sfz/stereopair.h"

#include "wav/resample.h"
#include "wav/soundfile.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace tamo::sfz {

namespace {

const QRegularExpression &channelMark()
{
    static const QRegularExpression mark(QStringLiteral("[ _.(-]+(l|r|left|right)\\)?$"), QRegularExpression::CaseInsensitiveOption);
    return mark;
}

} // namespace

int channelOfName(QStringView baseName)
{
    const QRegularExpressionMatch m = channelMark().match(baseName.toString());
    if (!m.hasMatch())
        return 0;
    return m.captured(1).startsWith(u'l', Qt::CaseInsensitive) ? -1 : 1;
}

QString nameWithoutChannel(const QString &baseName)
{
    const QString rest = QString(baseName).remove(channelMark());
    return rest.isEmpty() ? baseName : rest;
}

bool readWindow(const QString &path, const wav::SourceCut &cut, SoundWindow &out)
{
    wav::SoundFile file(path);
    if (!file.isOpen() || file.info().channels < 1 || file.info().samplerate < 1)
        return false;
    out.channels = file.info().channels;
    out.rate = file.info().samplerate;
    const qint64 frames = file.info().frames;
    const qint64 start = std::clamp<qint64>(cut.start, 0, frames);
    const qint64 end = cut.end < 0 ? frames : std::clamp<qint64>(cut.end, start, frames);
    out.samples.assign(std::size_t(end - start) * std::size_t(out.channels), 0.0f);
    return sf_seek(file.handle(), start, SEEK_SET) == start && sf_readf_float(file.handle(), out.samples.data(), end - start) == end - start;
}

QString writeFloatWav(const QString &path, const std::vector<float> &samples, int channels, int rate)
{
    if (channels < 1 || rate < 1)
        return QStringLiteral("no sound to write");
    const sf_count_t frames = sf_count_t(samples.size() / std::size_t(channels));
    SF_INFO info{0, rate, channels, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
    SNDFILE *out = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!out)
        return QString::fromUtf8(sf_strerror(nullptr));
    const bool written = sf_writef_float(out, samples.data(), frames) == frames;
    return sf_close(out) == 0 && written ? QString() : QStringLiteral("cannot write %1").arg(path);
}

QString writeStereoPair(const QString &left, const wav::SourceCut &leftCut, const QString &right,
                        const wav::SourceCut &rightCut, const QString &path, PairRates *rates)
{
    SoundWindow l, r;
    if (!readWindow(left, leftCut, l) || !readWindow(right, rightCut, r) || l.channels != 1 || r.channels != 1)
        return QStringLiteral("not two readable mono files");
    if (rates)
        *rates = {l.rate, r.samples.empty() ? l.rate : r.rate}; // nothing to resample in an empty side
    if (r.rate != l.rate && !r.samples.empty()) { // the right side brought to the left one's rate
        r.samples = wav::resampleBy(r.samples.data(), qint64(r.samples.size()), 1, double(r.rate) / l.rate);
        if (r.samples.empty())
            return QStringLiteral("the right side cannot be resampled");
    }
    const std::size_t frames = std::max(l.samples.size(), r.samples.size());
    std::vector<float> both(2 * frames, 0.0f);
    for (std::size_t i = 0; i < l.samples.size(); ++i)
        both[2 * i] = l.samples[i];
    for (std::size_t i = 0; i < r.samples.size(); ++i)
        both[2 * i + 1] = r.samples[i];
    return writeFloatWav(path, both, 2, l.rate);
}

} // namespace tamo::sfz
