// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/liveplay.h"

#include "voice/engine.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QIODevice>
#include <QKeyEvent>
#include <QMediaDevices>
#include <QSettings>
#include <QTimer>
#include <QtEndian>

#include <RtMidi.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tamo::msp_editor {

namespace {

constexpr int kRate = 44100;
// The output holds two blocks of 512 frames (23 ms), topped up every 5 ms.
constexpr qsizetype kBufferFrames = 512;
constexpr int kPumpMs = 5;
const QString kPortSetting = QStringLiteral("play/midiInput");
// How often the remembered MIDI input is looked for, as devices are plugged in and out.
constexpr int kPortWatchMs = 2000;

// Piano keys on two rows of the computer keyboard, in semitones from the row's C.
struct KeyNote {
    int key;
    int semitone;
};
constexpr KeyNote kKeyNotes[] = {
    {Qt::Key_Z, 0},  {Qt::Key_S, 1},  {Qt::Key_X, 2},  {Qt::Key_D, 3},  {Qt::Key_C, 4},  {Qt::Key_V, 5},
    {Qt::Key_G, 6},  {Qt::Key_B, 7},  {Qt::Key_H, 8},  {Qt::Key_N, 9},  {Qt::Key_J, 10}, {Qt::Key_M, 11},
    {Qt::Key_Comma, 12}, {Qt::Key_Q, 12}, {Qt::Key_2, 13}, {Qt::Key_W, 14}, {Qt::Key_3, 15}, {Qt::Key_E, 16},
    {Qt::Key_R, 17}, {Qt::Key_5, 18}, {Qt::Key_T, 19}, {Qt::Key_6, 20}, {Qt::Key_Y, 21}, {Qt::Key_7, 22},
    {Qt::Key_U, 23}, {Qt::Key_I, 24},
};

} // namespace

LivePlay::LivePlay(QObject *parent) : QObject(parent) {}

LivePlay::~LivePlay()
{
    // The MIDI thread stops before anything it reaches goes.
    m_midi.reset();
    if (m_sink)
        m_sink->stop();
}

void LivePlay::setSet(const msp::MspRecord &record, const std::function<QString(int)> &soundFile,
                      const std::function<std::optional<voice::LoopInstead>(int)> &loopFor)
{
    auto set = std::make_shared<voice::VoiceSet>(voice::loadVoiceSet(record, soundFile, loopFor));
    m_engine = std::make_shared<voice::Engine>(set, kRate);
}

bool LivePlay::start()
{
    if (m_sink)
        return true;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        setStatus(tr("No audio output was found: nothing can be heard."));
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(kRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Float);
    if (!device.isFormatSupported(format))
        format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        setStatus(tr("The audio output %1 cannot play 44.1 kHz stereo: nothing can be heard.").arg(device.description()));
        return false;
    }
    m_sink = new QAudioSink(device, format, this);
    m_sink->setBufferSize(2 * kBufferFrames * format.bytesPerFrame());
    m_floats = format.sampleFormat() == QAudioFormat::Float;
    // Pushed, a few frames at a time as the output frees room: pulled, Qt's sound
    // server backend stops asking when its buffer is small.
    m_out = m_sink->start();
    if (!m_out || m_sink->error() != QAudio::NoError) {
        delete m_sink;
        m_sink = nullptr;
        m_out = nullptr;
        setStatus(tr("The audio output %1 could not be opened: nothing can be heard.").arg(device.description()));
        return false;
    }
    m_pump = new QTimer(this);
    m_pump->setTimerType(Qt::PreciseTimer);
    connect(m_pump, &QTimer::timeout, this, &LivePlay::pump);
    m_pump->start(kPumpMs);
    pump();
    setStatus(tr("Playing through %1. Keys Z to M and Q to U play, - and + change the octave.").arg(device.description()));
    return true;
}

void LivePlay::pump()
{
    if (!m_sink || !m_out)
        return;
    const int frameBytes = m_floats ? 8 : 4;
    const qint64 frames = std::min<qint64>(m_sink->bytesFree() / frameBytes, 4 * kBufferFrames);
    if (frames <= 0)
        return;
    m_buffer.resize(std::size_t(2 * frames));
    if (m_engine)
        m_engine->render(m_buffer.data(), int(frames));
    else
        std::fill(m_buffer.begin(), m_buffer.end(), 0.0f);
    m_bytes.resize(qsizetype(frames * frameBytes));
    if (m_floats) {
        std::memcpy(m_bytes.data(), m_buffer.data(), std::size_t(m_bytes.size()));
    } else {
        for (std::size_t i = 0; i < m_buffer.size(); ++i)
            qToLittleEndian(qint16(std::clamp(m_buffer[i] * 32768.0f, -32768.0f, 32767.0f)), m_bytes.data() + 2 * i);
    }
    m_out->write(m_bytes);
}

void LivePlay::noteOn(int key, int velocity)
{
    if (m_engine)
        m_engine->noteOn(0, key, velocity);
}

void LivePlay::noteOff(int key)
{
    if (m_engine)
        m_engine->noteOff(0, key);
}

void LivePlay::allNotesOff()
{
    m_heldKeys.clear();
    if (m_engine) {
        for (int channel = 0; channel < 16; ++channel)
            m_engine->controlChange(channel, 123, 0);
    }
}

namespace {

// An input of one MIDI system (ALSA on desktops, JACK where its server runs); null
// when that system is not there. Each compiled system is asked: RtMidi left to choose
// stops at the first, which throws where there is no ALSA sequencer.
std::unique_ptr<RtMidiIn> midiInput(RtMidi::Api api)
{
    try {
        auto in = std::make_unique<RtMidiIn>(api, "TAMO");
        in->getPortCount();
        return in;
    } catch (const RtMidiError &) {
        return nullptr;
    }
}

std::vector<RtMidi::Api> midiApis()
{
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::erase(apis, RtMidi::RTMIDI_DUMMY);
    return apis;
}

} // namespace

QStringList LivePlay::midiPorts()
{
    QStringList names;
    for (const RtMidi::Api api : midiApis()) {
        try {
            const auto in = midiInput(api);
            for (unsigned int i = 0; in && i < in->getPortCount(); ++i) {
                const QString name = QString::fromStdString(in->getPortName(i));
                if (!names.contains(name))
                    names << name;
            }
        } catch (const RtMidiError &) {
            // A system gone while asked: its inputs are not listed.
        }
    }
    return names;
}

bool LivePlay::openMidiPort(const QString &name)
{
    m_midi.reset();
    m_portName.clear();
    QSettings().setValue(kPortSetting, name);
    if (name.isEmpty())
        return true;
    for (const RtMidi::Api api : midiApis()) {
        try {
            auto in = midiInput(api);
            // Ports are found by name: their numbers change as devices come and go.
            for (unsigned int i = 0; in && i < in->getPortCount(); ++i) {
                if (QString::fromStdString(in->getPortName(i)) != name)
                    continue;
                in->setCallback(
                    [](double, std::vector<unsigned char> *message, void *self) {
                        if (!message)
                            return;
                        auto *play = static_cast<LivePlay *>(self);
                        QMetaObject::invokeMethod(play, [play, bytes = *message] { play->midiMessage(bytes); },
                                                  Qt::QueuedConnection);
                    },
                    this);
                in->ignoreTypes(true, true, true);
                in->openPort(i, "TAMO");
                m_midi = std::move(in);
                m_portName = name;
                return true;
            }
        } catch (const RtMidiError &) {
            m_midi.reset();
        }
    }
    return false;
}

void LivePlay::openRememberedMidiPort()
{
    if (!m_portWatch) {
        m_portWatch = new QTimer(this);
        connect(m_portWatch, &QTimer::timeout, this, &LivePlay::watchMidiPort);
        m_portWatch->start(kPortWatchMs);
    }
    watchMidiPort();
}

void LivePlay::watchMidiPort()
{
    const QString name = QSettings().value(kPortSetting).toString();
    if (name.isEmpty())
        return;
    const bool there = midiPorts().contains(name);
    if (there && m_portName != name) {
        openMidiPort(name);
    } else if (!there && m_portName == name) {
        // Unplugged: its port is closed, and the name kept for when it comes back.
        m_midi.reset();
        m_portName.clear();
    }
}

void LivePlay::midiMessage(const std::vector<unsigned char> &message)
{
    if (!m_engine || message.empty())
        return;
    const int status = message[0], channel = status & 0x0f;
    const int a = message.size() > 1 ? message[1] & 0x7f : 0, b = message.size() > 2 ? message[2] & 0x7f : 0;
    switch (status & 0xf0) {
    case 0x90: m_engine->noteOn(channel, a, b); break;
    case 0x80: m_engine->noteOff(channel, a); break;
    case 0xb0: m_engine->controlChange(channel, a, b); break;
    case 0xe0: m_engine->pitchBend(channel, a | b << 7); break;
    default: break;
    }
}

int LivePlay::noteForKey(int qtKey) const
{
    for (const KeyNote &k : kKeyNotes) {
        if (k.key == qtKey) {
            const int note = 12 * m_octave + k.semitone;
            return note >= 0 && note <= 127 ? note : -1;
        }
    }
    return -1;
}

bool LivePlay::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (event->type() == QEvent::KeyPress && (key->key() == Qt::Key_Minus || key->key() == Qt::Key_Plus
                                              || key->key() == Qt::Key_Equal)) {
        m_octave = std::clamp(m_octave + (key->key() == Qt::Key_Minus ? -1 : 1), 0, 9);
        return true;
    }
    if (key->isAutoRepeat())
        return noteForKey(key->key()) >= 0;
    if (event->type() == QEvent::KeyPress) {
        const int note = noteForKey(key->key());
        if (note < 0)
            return false;
        m_heldKeys.insert(key->key(), note);
        noteOn(note);
        return true;
    }
    // The note the key started, whatever the octave is now.
    if (!m_heldKeys.contains(key->key()))
        return false;
    noteOff(m_heldKeys.take(key->key()));
    return true;
}

void LivePlay::setStatus(const QString &status)
{
    m_status = status;
    Q_EMIT statusChanged(status);
}

} // namespace tamo::msp_editor
