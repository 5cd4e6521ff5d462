// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/soundfile.h"

#include <QFile>

namespace tamo::wav {

SoundFile::~SoundFile()
{
    if (m_file)
        sf_close(m_file);
}

bool SoundFile::open(const QString &path)
{
    if (m_file)
        sf_close(m_file);
    m_info = SF_INFO{};
    m_file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &m_info);
    return m_file != nullptr;
}

QString SoundFile::errorString() const
{
    return QString::fromLocal8Bit(sf_strerror(m_file));
}

bool SoundFile::instrument(SF_INSTRUMENT *out) const
{
    *out = SF_INSTRUMENT{};
    return m_file && sf_command(m_file, SFC_GET_INSTRUMENT, out, int(sizeof *out)) == SF_TRUE;
}

std::optional<std::pair<qint64, qint64>> SoundFile::firstLoop() const
{
    SF_INSTRUMENT own;
    if (!instrument(&own) || own.loop_count < 1 || own.loops[0].end <= own.loops[0].start)
        return std::nullopt;
    return std::pair<qint64, qint64>{own.loops[0].start, own.loops[0].end};
}

} // namespace tamo::wav
