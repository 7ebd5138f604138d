// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUDIOSINK_H
#define AUDIOSINK_H

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

class QIODevice;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
class QAudioOutput;
#else
class QAudioSink;
#endif

// The default audio output, pulling mono 16-bit samples from a device of
// ours: Qt 5's QAudioOutput or Qt 6's QAudioSink behind one face.
class AudioSink : public QObject
{
    Q_OBJECT

public:
    explicit AudioSink(QObject *parent = nullptr);
    ~AudioSink() override;

    // Whether there is a device to play on.
    bool isAvailable() const { return rate > 0; }
    int sampleRate() const { return rate; }
    int channelCount() const { return channels; }

    // Starts pulling from source; false when the device refuses.
    bool start(QIODevice *source);
    void stop();
    // How much of what was pulled the device has played since start().
    qint64 playedMicroseconds() const;

    // For the tests and the benchmark: a device that takes the samples in
    // real time and plays them nowhere, or appends them to recording. Set
    // before a sink is made.
    static void setNullDevice(bool on, QByteArray *recording = nullptr)
    {
        nullDevice = on;
        nullRecordingTarget = recording;
    }

signals:
    // The device stopped playing by itself: it failed or went away.
    void failed();

private:
    void pullNull();

    // Fixed when the sink is made.
    const bool isNull = nullDevice;
    QByteArray *const nullRecording = nullRecordingTarget;
    int rate = 0;
    int channels = 1;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    std::unique_ptr<QAudioOutput> output;
#else
    std::unique_ptr<QAudioSink> output;
#endif
    // The null device's clock, and what it has taken.
    QIODevice *nullSource = nullptr;
    QTimer nullPull;
    QElapsedTimer nullClock;
    qint64 nullTaken = 0;

    static bool nullDevice;
    static QByteArray *nullRecordingTarget;
};

#endif // AUDIOSINK_H
