// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "voice/voiceset.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAudioSink;
class QIODevice;
class QTimer;
class RtMidiIn;

namespace tamo::voice {
class Engine;
}

namespace tamo::msp_editor {

// Plays the document live through the voice engine: notes from the key map's
// mouse, the computer keyboard (an event filter: Z-M and Q-U rows as piano keys,
// - and + an octave down and up) and a MIDI input, sound through the default
// audio output with a small buffer. Everything runs on the GUI thread; MIDI
// messages are handed over to it.
class LivePlay : public QObject {
    Q_OBJECT
public:
    explicit LivePlay(QObject *parent = nullptr);
    ~LivePlay() override;

    // The set to play: the record, each slot's sound file as the document finds it.
    void setSet(const msp::MspRecord &record, const std::function<QString(int slot)> &soundFile,
                const std::function<std::optional<voice::LoopInstead>(int slot)> &loopFor = {});
    // Opens the audio output (once); false when there is none, status() saying so.
    bool start();
    bool isSounding() const { return m_sink != nullptr; }
    QString status() const { return m_status; }

    void noteOn(int key, int velocity = 100);
    void noteOff(int key);
    void allNotesOff();

    // The MIDI inputs there are now (listed afresh each time: devices come and go).
    static QStringList midiPorts();
    QString midiPort() const { return m_portName; }
    // Listens to the named input (empty: none) and remembers it; false when it cannot be opened.
    bool openMidiPort(const QString &name);
    // The input remembered from last time, when it is there; from then on it is
    // watched: unplugged, it is let go, and opened again when it comes back.
    void openRememberedMidiPort();

    // The computer keyboard's note for a key (Qt::Key) at the current octave; -1 for none.
    int noteForKey(int qtKey) const;
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    void statusChanged(const QString &status);

private:
    void setStatus(const QString &status);
    void midiMessage(const std::vector<unsigned char> &message);
    void watchMidiPort();
    void pump();

    std::shared_ptr<voice::Engine> m_engine;
    QAudioSink *m_sink = nullptr;
    QIODevice *m_out = nullptr; // the output's own device, written as it frees room
    QTimer *m_pump = nullptr;
    bool m_floats = true;
    std::vector<float> m_buffer;
    QByteArray m_bytes;
    std::unique_ptr<RtMidiIn> m_midi;
    QString m_portName;
    QTimer *m_portWatch = nullptr;
    QString m_status;
    int m_octave = 4;         // Z plays C of this octave (MIDI's, 4 for note 48)
    QHash<int, int> m_heldKeys; // computer keys down, and the note each started
};

} // namespace tamo::msp_editor
