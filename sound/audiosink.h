// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUDIOSINK_H
#define AUDIOSINK_H

#include "baseband.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

class SoundGenerator;

// The desktop's sound server (PulseAudio, or PipeWire through pipewire-pulse)
// playing a signal made by a SoundGenerator, mono 16-bit at 48 kHz. Each
// start() opens a connection and a stream of its own on the server's default
// output of that moment, run by a thread of its own, so that a server that
// dies, freezes or loses its sink can never stop the window: the window only
// hands the thread its orders and reads back what it has played. Also a null
// device for the tests and the benchmark.
class AudioSink : public QObject
{
    Q_OBJECT

public:
    static constexpr int SampleRate = 48000;

    explicit AudioSink(QObject *parent = nullptr);
    ~AudioSink() override;

    // Whether the last look found a sound server; false until it answers.
    bool isAvailable() const { return available; }

    // Plays signal from -10 s on a fresh stream; false without a server. The
    // stream opens in the background: failed() tells if it never plays.
    bool start(const Baseband &signal);
    // Goes on with another signal, without a break.
    void change(const Baseband &signal);
    // Fades out, and lets the stream go once the fade has been played.
    void stop();
    // How much has been heard since start(): 0 until the first sound.
    qint64 playedMicroseconds() const;
    // How often the server has run dry since the sink was made, as of a
    // moment ago.
    int dropouts() const { return dropoutCount; }

    // For the tests and the benchmark: a device that takes the samples in
    // real time and plays them nowhere, or appends them to recording. Set
    // before a sink is made.
    static void setNullDevice(bool on, QByteArray *recording = nullptr)
    {
        nullDevice = on;
        nullRecordingTarget = recording;
    }
    // Whether a stream's thread did not end when the sink was destroyed; the
    // program then leaves it to the operating system.
    static bool threadsLeftRunning();

signals:
    // The playing stream ended without being asked: the server went away,
    // froze or lost its sink, or the stream never opened.
    void failed();
    // A look at the server found it, or found it gone.
    void availabilityChanged(bool available);

private:
    struct Stream;
    class Player;

    std::shared_ptr<Stream> open(const Baseband &signal, bool probe);
    // Lets a stream's thread end.
    static void release(const std::shared_ptr<Stream> &stream);
    // Every few milliseconds while a stream or a look is under way.
    void watch();
    void lookForServer();
    void pullNull();

    // Fixed when the sink is made.
    const bool isNull = nullDevice;
    QByteArray *const nullRecording = nullRecordingTarget;
    bool available = false;
    int buffer = 0; // the largest a stream has grown its buffer to, in milliseconds
    int dropoutCount = 0;

    // The stream playing, those fading out, and a look at the server.
    std::shared_ptr<Stream> current;
    std::vector<std::shared_ptr<Stream>> streams;
    std::shared_ptr<Stream> look;
    QTimer watching;
    QTimer nextLook;

    // The null device: its generator, its clock and what it has taken.
    std::unique_ptr<SoundGenerator> nullGenerator;
    QTimer nullPull;
    QTimer nullRelease;
    QElapsedTimer nullClock;
    qint64 nullTaken = 0;

    static bool nullDevice;
    static QByteArray *nullRecordingTarget;
};

#endif // AUDIOSINK_H
