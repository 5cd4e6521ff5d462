// SPDX-License-Identifier: GPL-3.0-or-later
#include "sfz/stereopair.h"

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

// The window's frames of a mono file; false when it is not one.
bool readWindow(const QString &path, const wav::SourceCut &cut, int &rate, std::vector<float> &out)
{
    wav::SoundFile file(path);
    if (!file.isOpen() || file.info().channels != 1)
        return false;
    rate = file.info().samplerate;
    const qint64 frames = file.info().frames;
    const qint64 start = std::clamp<qint64>(cut.start, 0, frames);
    const qint64 end = cut.end < 0 ? frames : std::clamp<qint64>(cut.end, start, frames);
    out.assign(std::size_t(end - start), 0.0f);
    return sf_seek(file.handle(), start, SEEK_SET) == start && sf_readf_float(file.handle(), out.data(), end - start) == end - start;
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

QString writeStereoPair(const QString &left, const wav::SourceCut &leftCut, const QString &right,
                        const wav::SourceCut &rightCut, const QString &path)
{
    int leftRate = 0, rightRate = 0;
    std::vector<float> l, r;
    if (!readWindow(left, leftCut, leftRate, l) || !readWindow(right, rightCut, rightRate, r))
        return QStringLiteral("not two readable mono files");
    if (leftRate != rightRate || leftRate <= 0)
        return QStringLiteral("the rates differ");
    const std::size_t frames = std::max(l.size(), r.size());
    std::vector<float> both(2 * frames, 0.0f);
    for (std::size_t i = 0; i < l.size(); ++i)
        both[2 * i] = l[i];
    for (std::size_t i = 0; i < r.size(); ++i)
        both[2 * i + 1] = r[i];
    SF_INFO info{0, leftRate, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
    SNDFILE *out = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!out)
        return QString::fromUtf8(sf_strerror(nullptr));
    const bool written = sf_writef_float(out, both.data(), sf_count_t(frames)) == sf_count_t(frames);
    return sf_close(out) == 0 && written ? QString() : QStringLiteral("cannot write %1").arg(path);
}

} // namespace tamo::sfz
