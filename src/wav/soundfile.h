// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <sndfile.h>

#include <optional>
#include <utility>

namespace tamo::wav {

// An audio file open for reading through libsndfile, closed with the object.
class SoundFile {
public:
    SoundFile() = default;
    explicit SoundFile(const QString &path) { open(path); }
    ~SoundFile();
    SoundFile(const SoundFile &) = delete;
    SoundFile &operator=(const SoundFile &) = delete;

    bool open(const QString &path);
    bool isOpen() const { return m_file != nullptr; }
    SNDFILE *handle() const { return m_file; }
    const SF_INFO &info() const { return m_info; }
    // libsndfile's reason for the last failure ("Format not recognised", ...).
    QString errorString() const;
    // The sampler data (WAV "smpl", AIFF "INST"), when the file carries any.
    bool instrument(SF_INSTRUMENT *out) const;
    // Its first loop (end one past the last looped frame), when it carries one that
    // holds frames: what the export keeps and the WAV panel draws.
    std::optional<std::pair<qint64, qint64>> firstLoop() const;

private:
    SNDFILE *m_file = nullptr;
    SF_INFO m_info{};
};

} // namespace tamo::wav
