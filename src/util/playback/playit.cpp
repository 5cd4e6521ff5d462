// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/playback/playit.h"

#include "wav/heldloop.h"
#include "wav/wavformat.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

// Qt 6.4's QSoundEffect is not used: on some files (an odd chunk with its pad byte,
// a data size beyond the end of the file, a truncated file) its loader never
// finishes, after which releasing any sound blocks the caller for good, and it
// refuses float and extensible WAVs. The WAV header is read here instead, leniently,
// and the samples go to a QAudioSink.

namespace tamo::util {

namespace {

struct Sound {
    wav::SampleFormat format;
    int sampleRate = 44100;
    QByteArray data; // whole frames only
};

// Playback's own limits, narrower than what the WAV reader accepts.
constexpr int kMaxChannels = 8;
constexpr int kMaxSampleRate = 384000;
// More than an hour of CD audio; a larger data chunk is played up to here.
constexpr qint64 kMaxDataBytes = qint64(1) << 30;

quint32 le32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// The format as the WAV reader reads it, within playback's limits.
std::optional<Sound> soundFromFormat(const QByteArray &fmt)
{
    const wav::SampleFormatCheck check = wav::readSampleFormat(fmt);
    if (!check.format || check.format->channels > kMaxChannels)
        return std::nullopt;
    const quint32 rate = le32(fmt, wav::fmtbody::kSampleRate);
    if (rate > quint32(kMaxSampleRate))
        return std::nullopt;
    return Sound{*check.format, int(rate), {}};
}

std::optional<Sound> readWav(const QString &path)
{
    wav::FileSource file(path);
    if (!file.open())
        return std::nullopt;
    const wav::PlayableChunks chunks = wav::findPlayableChunks(file);
    if (chunks.formatOffset < 0 || chunks.dataOffset < 0)
        return std::nullopt;
    QByteArray fmt(qsizetype(std::min<qint64>(chunks.formatSize, 64)), '\0');
    if (file.readAt(chunks.formatOffset, fmt.data(), fmt.size()) != fmt.size())
        return std::nullopt;
    std::optional<Sound> sound = soundFromFormat(fmt);
    if (!sound)
        return std::nullopt;
    const qint64 frameBytes = sound->format.frameBytes();
    qint64 dataSize = std::min(chunks.dataSize, kMaxDataBytes);
    dataSize -= dataSize % frameBytes;
    if (dataSize <= 0)
        return std::nullopt;
    sound->data = QByteArray(qsizetype(dataSize), Qt::Uninitialized);
    if (file.readAt(chunks.dataOffset, sound->data.data(), dataSize) != dataSize)
        return std::nullopt;
    return sound;
}

// Hands the sound to the sink as 32-bit float frames, converting as it goes; a held
// loop is read again and again until it is let go.
class FloatStream : public QIODevice {
public:
    FloatStream(Sound sound, qint64 loopStart, qint64 loopEnd) : m_sound(std::move(sound))
    {
        m_cursor.frames = m_sound.data.size() / m_sound.format.frameBytes();
        m_cursor.loopStart = loopStart;
        m_cursor.loopEnd = loopEnd;
    }

    void release() { m_cursor.held = false; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        // Held in a loop it never runs out: a second's worth is always there.
        const qint64 frames = m_cursor.held && m_cursor.loops() ? std::max<qint64>(m_sound.sampleRate, 1)
                                                                : std::max<qint64>(m_cursor.frames - m_cursor.position, 0);
        return frames * m_sound.format.channels * qint64(sizeof(float)) + QIODevice::bytesAvailable();
    }
    bool atEnd() const override
    {
        return !(m_cursor.held && m_cursor.loops()) && m_cursor.position >= m_cursor.frames && QIODevice::atEnd();
    }

protected:
    qint64 readData(char *out, qint64 maxSize) override
    {
        const wav::SampleFormat &format = m_sound.format;
        const qint64 frameOut = qint64(sizeof(float)) * format.channels;
        qint64 done = 0; // frames
        for (const qint64 wanted = maxSize / frameOut; done < wanted;) {
            const wav::FrameRun run = wav::nextHeldRun(m_cursor, wanted - done);
            if (run.count == 0)
                break;
            const char *in = m_sound.data.constData() + run.from * format.frameBytes();
            for (qint64 i = 0; i < run.count * format.channels; ++i) {
                const auto v = float(wav::sampleLevel(in + i * format.sampleBytes, format.encoding));
                std::memcpy(out + (done * format.channels + i) * qint64(sizeof(float)), &v, sizeof(float));
            }
            done += run.count;
        }
        return done * frameOut;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    Sound m_sound;
    wav::HeldLoop m_cursor;
};

// One sound: the sink goes before the stream it reads from.
class Playback : public QObject {
public:
    Playback(Sound sound, qint64 loopStart, qint64 loopEnd, const QAudioDevice &device, const QAudioFormat &format,
             QObject *parent)
        : QObject(parent), m_stream(std::move(sound), loopStart, loopEnd), m_sink(device, format)
    {
        m_stream.open(QIODevice::ReadOnly);
    }

    QAudioSink &sink() { return m_sink; }
    void start() { m_sink.start(&m_stream); }
    void release() { m_stream.release(); }

    // Idle comes when the last samples have gone to the sound system, which still
    // holds up to a buffer of them: ending the sink now would cut the tail.
    void finishAfterBuffer()
    {
        const QAudioFormat format = m_sink.format();
        const qint64 bytesPerSecond = qint64(format.bytesPerFrame()) * format.sampleRate();
        const qint64 bufferMs = bytesPerSecond > 0 ? m_sink.bufferSize() * 1000 / bytesPerSecond
                                                   : 0;
        QTimer::singleShot(std::chrono::milliseconds(bufferMs + 200), this, &Playback::finish);
    }

    void finish();

private:
    FloatStream m_stream;
    QAudioSink m_sink;
};

// The sound now playing.
QPointer<Playback> &currentSound()
{
    static QPointer<Playback> current;
    return current;
}

void stopCurrent()
{
    QPointer<Playback> &current = currentSound();
    if (!current)
        return;
    current->finish();
}

void Playback::finish()
{
    if (currentSound() == this)
        currentSound() = nullptr;
    m_sink.disconnect();
    m_sink.stop();
    deleteLater();
}

} // namespace

namespace {

void play(std::optional<Sound> sound, qint64 loopStart = 0, qint64 loopEnd = 0)
{
    QCoreApplication *app = QCoreApplication::instance();
    stopCurrent();
    if (!sound)
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    QAudioFormat format;
    format.setSampleRate(sound->sampleRate);
    format.setChannelCount(sound->format.channels);
    format.setSampleFormat(QAudioFormat::Float);

    auto *playback = new Playback(std::move(*sound), loopStart, loopEnd, device, format, app);
    QObject::connect(&playback->sink(), &QAudioSink::stateChanged, playback,
                     [playback](QAudio::State state) {
                         if (state == QAudio::IdleState)
                             playback->finishAfterBuffer();
                         else if (state == QAudio::StoppedState)
                             playback->finish();
                     });
    playback->start();
    if (playback->sink().error() != QAudio::NoError) {
        delete playback;
        return;
    }
    currentSound() = playback;
}

} // namespace

bool HasAudioOutput() { return !QMediaDevices::defaultAudioOutput().isNull(); }

void StopPlaying()
{
    if (QCoreApplication *app = QCoreApplication::instance(); app && QThread::currentThread() == app->thread())
        stopCurrent();
}

void PlayIt(const QString &path)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(app, [path] { PlayIt(path); }, Qt::QueuedConnection);
        return;
    }
    play(readWav(path));
}

void PlayHeld(const QString &path, qint64 loopStart, qint64 loopEnd)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        play(readWav(path), loopStart, loopEnd);
}

void ReleaseHeld()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread() && currentSound())
        currentSound()->release();
}

void PlayFrames(const std::vector<float> &samples, int channels, int rate, qint64 loopStart, qint64 loopEnd)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(app, [samples, channels, rate, loopStart, loopEnd] { PlayFrames(samples, channels, rate, loopStart, loopEnd); },
                                  Qt::QueuedConnection);
        return;
    }
    std::optional<Sound> sound;
    const qint64 bytes = qint64(samples.size()) * qint64(sizeof(float));
    if (channels >= 1 && channels <= kMaxChannels && rate >= 1 && rate <= kMaxSampleRate && bytes > 0
        && bytes <= kMaxDataBytes && samples.size() % size_t(channels) == 0) {
        sound = Sound{{wav::kFormatFloat, wav::SampleEncoding::Float32, 4, channels}, rate, QByteArray(bytes, '\0')};
        for (size_t i = 0; i < samples.size(); ++i)
            qToLittleEndian(samples[i], sound->data.data() + qsizetype(i) * 4);
    }
    play(std::move(sound), loopStart, loopEnd);
}

} // namespace tamo::util
