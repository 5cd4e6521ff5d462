#include "util/playback/playit.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QFile>
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

enum class Encoding { Unsigned8, Signed16, Signed24, Signed32, Float32, Float64, ALaw, MuLaw };

struct Sound {
    Encoding encoding = Encoding::Signed16;
    int bytesPerSample = 2;
    int channels = 1;
    int sampleRate = 44100;
    QByteArray data; // whole frames only
};

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatFloat = 3;
constexpr quint16 kFormatALaw = 6;
constexpr quint16 kFormatMuLaw = 7;
constexpr quint16 kFormatExtensible = 0xFFFE;
constexpr int kMaxChannels = 8;
constexpr int kMaxSampleRate = 384000;
// More than an hour of CD audio; a larger data chunk is played up to here.
constexpr qint64 kMaxDataBytes = qint64(1) << 30;
// Bytes 2..15 of the sub-format GUID of an extensible format.
constexpr char kGuidTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71";

quint16 le16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

quint32 le32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

bool looksLikeChunkId(const QByteArray &id)
{
    return id.size() == 4
           && std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}

std::optional<Sound> soundFromFormat(const QByteArray &fmt)
{
    if (fmt.size() < 16)
        return std::nullopt;
    quint16 tag = le16(fmt, 0);
    const int channels = le16(fmt, 2);
    const quint32 rate = le32(fmt, 4);
    const int bits = le16(fmt, 14);
    if (tag == kFormatExtensible) {
        if (fmt.size() < 40 || std::memcmp(fmt.constData() + 26, kGuidTail, 14) != 0)
            return std::nullopt;
        tag = le16(fmt, 24);
    }
    if (channels < 1 || channels > kMaxChannels || rate < 1 || rate > kMaxSampleRate)
        return std::nullopt;

    Sound sound;
    sound.channels = channels;
    sound.sampleRate = int(rate);
    sound.bytesPerSample = (bits + 7) / 8;
    switch (tag) {
    case kFormatPcm:
        switch (sound.bytesPerSample) {
        case 1: sound.encoding = Encoding::Unsigned8; break;
        case 2: sound.encoding = Encoding::Signed16; break;
        case 3: sound.encoding = Encoding::Signed24; break;
        case 4: sound.encoding = Encoding::Signed32; break;
        default: return std::nullopt;
        }
        break;
    case kFormatFloat:
        if (sound.bytesPerSample == 4)
            sound.encoding = Encoding::Float32;
        else if (sound.bytesPerSample == 8)
            sound.encoding = Encoding::Float64;
        else
            return std::nullopt;
        break;
    case kFormatALaw:
    case kFormatMuLaw:
        if (sound.bytesPerSample != 1)
            return std::nullopt;
        sound.encoding = tag == kFormatALaw ? Encoding::ALaw : Encoding::MuLaw;
        break;
    default:
        return std::nullopt;
    }
    return sound;
}

// Reads what a lenient player would play: the chunks are walked with or without the
// pad byte after an odd size (writers differ), and a data chunk claiming more than
// the file holds is cut at the end of the file.
std::optional<Sound> readWav(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 fileSize = file.size();
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;

    QByteArray fmt;
    qint64 dataOffset = -1;
    qint64 dataSize = 0;
    qint64 pos = 12;
    while (pos + 8 <= fileSize && (fmt.isEmpty() || dataOffset < 0)) {
        if (!file.seek(pos))
            return std::nullopt;
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            break;
        const QByteArray id = header.left(4);
        const qint64 size = le32(header, 4);
        const qint64 payload = pos + 8;
        if (id == "fmt " && fmt.isEmpty()) {
            fmt = file.read(std::min<qint64>(size, 64));
        } else if (id == "data" && dataOffset < 0) {
            dataOffset = payload;
            dataSize = std::min(size, fileSize - payload);
        }
        qint64 next = payload + size + (size & 1);
        if ((size & 1) && file.seek(payload + size)) {
            const QByteArray unpadded = file.read(5);
            if (unpadded.size() == 5 && !looksLikeChunkId(unpadded.mid(1, 4))
                && looksLikeChunkId(unpadded.left(4)))
                next = payload + size;
        }
        pos = next;
    }
    if (dataOffset < 0)
        return std::nullopt;
    std::optional<Sound> sound = soundFromFormat(fmt);
    if (!sound)
        return std::nullopt;
    const qint64 frameBytes = qint64(sound->bytesPerSample) * sound->channels;
    dataSize = std::min(dataSize, kMaxDataBytes);
    dataSize -= dataSize % frameBytes;
    if (dataSize <= 0 || !file.seek(dataOffset))
        return std::nullopt;
    sound->data = file.read(dataSize);
    sound->data.truncate(sound->data.size() - sound->data.size() % frameBytes);
    if (sound->data.isEmpty())
        return std::nullopt;
    return sound;
}

float aLawToFloat(quint8 byte)
{
    const int v = byte ^ 0x55;
    const int exponent = (v >> 4) & 7;
    int magnitude = ((v & 0x0f) << 4) + 8;
    if (exponent != 0)
        magnitude = (magnitude + 0x100) << (exponent - 1);
    return float((v & 0x80) ? magnitude : -magnitude) / 32768.0f;
}

float muLawToFloat(quint8 byte)
{
    const int v = ~byte & 0xff;
    const int exponent = (v >> 4) & 7;
    const int magnitude = ((((v & 0x0f) << 3) + 0x84) << exponent) - 0x84;
    return float((v & 0x80) ? -magnitude : magnitude) / 32768.0f;
}

float clampSample(double v)
{
    if (!(v == v)) // NaN
        return 0.0f;
    return float(std::clamp(v, -1.0, 1.0));
}

float decodeSample(Encoding encoding, const uchar *p)
{
    switch (encoding) {
    case Encoding::Unsigned8:
        return float(int(p[0]) - 128) / 128.0f;
    case Encoding::Signed16:
        return float(qFromLittleEndian<qint16>(p)) / 32768.0f;
    case Encoding::Signed24: {
        const qint32 v = qint32(quint32(p[0]) << 8 | quint32(p[1]) << 16 | quint32(p[2]) << 24);
        return float(double(v) / 2147483648.0);
    }
    case Encoding::Signed32:
        return float(double(qFromLittleEndian<qint32>(p)) / 2147483648.0);
    case Encoding::Float32:
        return clampSample(double(qFromLittleEndian<float>(p)));
    case Encoding::Float64:
        return clampSample(qFromLittleEndian<double>(p));
    case Encoding::ALaw:
        return aLawToFloat(p[0]);
    case Encoding::MuLaw:
        return muLawToFloat(p[0]);
    }
    return 0.0f;
}

// Hands the sound to the sink as 32-bit float frames, converting as it goes.
class FloatStream : public QIODevice {
public:
    explicit FloatStream(Sound sound) : m_sound(std::move(sound)) {}

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return remainingSamples() * qint64(sizeof(float)) + QIODevice::bytesAvailable();
    }
    bool atEnd() const override { return remainingSamples() == 0 && QIODevice::atEnd(); }

protected:
    qint64 readData(char *out, qint64 maxSize) override
    {
        const qint64 frameOut = qint64(sizeof(float)) * m_sound.channels;
        const qint64 count = std::min(maxSize / frameOut * m_sound.channels, remainingSamples());
        const auto *in = reinterpret_cast<const uchar *>(m_sound.data.constData());
        for (qint64 i = 0; i < count; ++i) {
            const float v = decodeSample(m_sound.encoding, in + m_next * m_sound.bytesPerSample);
            std::memcpy(out + i * qint64(sizeof(float)), &v, sizeof(float));
            ++m_next;
        }
        return count * qint64(sizeof(float));
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 remainingSamples() const { return m_sound.data.size() / m_sound.bytesPerSample - m_next; }

    Sound m_sound;
    qint64 m_next = 0; // index of the next sample (not frame)
};

// One sound: the sink goes before the stream it reads from.
class Playback : public QObject {
public:
    Playback(Sound sound, const QAudioDevice &device, const QAudioFormat &format,
             QObject *parent)
        : QObject(parent), m_stream(std::move(sound)), m_sink(device, format)
    {
        m_stream.open(QIODevice::ReadOnly);
    }

    QAudioSink &sink() { return m_sink; }
    void start() { m_sink.start(&m_stream); }

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

void PlayIt(const QString &path)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(app, [path] { PlayIt(path); }, Qt::QueuedConnection);
        return;
    }
    stopCurrent();

    std::optional<Sound> sound = readWav(path);
    if (!sound)
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    QAudioFormat format;
    format.setSampleRate(sound->sampleRate);
    format.setChannelCount(sound->channels);
    format.setSampleFormat(QAudioFormat::Float);

    auto *playback = new Playback(std::move(*sound), device, format, app);
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

void StopPlaying()
{
    if (QCoreApplication *app = QCoreApplication::instance(); app && QThread::currentThread() == app->thread())
        stopCurrent();
}

} // namespace tamo::util
