// SPDX-License-Identifier: GPL-3.0-or-later
#include "audiosink.h"

#include <QIODevice>
#include <QVarLengthArray>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QAudioDeviceInfo>
#include <QAudioOutput>
#else
#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#endif

namespace {

constexpr int PreferredRate = 48000;
// What the device is given ahead, and so about how late a change is heard.
// Both Qt versions hand PulseAudio 20 ms at a time and only when that much
// is free, so the buffer must hold several such pieces, or playback stalls;
// Qt 6 also asks the server to count its own latency within the buffer.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
constexpr int BufferMilliseconds = 60;
#else
constexpr int BufferMilliseconds = 100;
#endif
constexpr int NullPullMilliseconds = 10;

} // namespace

bool AudioSink::nullDevice = false;
QByteArray *AudioSink::nullRecordingTarget = nullptr;

AudioSink::AudioSink(QObject *parent) : QObject(parent)
{
    if (isNull) {
        rate = PreferredRate;
        nullPull.setInterval(NullPullMilliseconds);
        connect(&nullPull, &QTimer::timeout, this, &AudioSink::pullNull);
        return;
    }
    // Only the default device: where it is missing (no sound server), the
    // other devices listed are not reachable either.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    if (device.isNull())
        return;
    QAudioFormat format;
    format.setCodec(QStringLiteral("audio/pcm"));
    format.setSampleRate(PreferredRate);
    format.setChannelCount(1);
    format.setSampleSize(16);
    format.setSampleType(QAudioFormat::SignedInt);
    format.setByteOrder(QAudioFormat::LittleEndian);
    if (!device.isFormatSupported(format))
        format.setSampleRate(device.preferredFormat().sampleRate());
    if (!device.isFormatSupported(format))
        format.setChannelCount(2);
    if (!device.isFormatSupported(format))
        return;
    output = std::make_unique<QAudioOutput>(device, format);
    connect(output.get(), &QAudioOutput::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && output->error() != QAudio::NoError)
            emit failed();
    });
#else
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    QAudioFormat format;
    format.setSampleRate(PreferredRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        format.setSampleRate(device.preferredFormat().sampleRate());
    if (!device.isFormatSupported(format))
        format.setChannelCount(2);
    if (!device.isFormatSupported(format))
        return;
    output = std::make_unique<QAudioSink>(device, format);
    connect(output.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && output->error() != QAudio::NoError)
            emit failed();
    });
#endif
    output->setBufferSize(format.bytesForDuration(BufferMilliseconds * 1000));
    rate = format.sampleRate();
    channels = format.channelCount();
}

AudioSink::~AudioSink()
{
    stop();
}

bool AudioSink::start(QIODevice *source)
{
    if (isNull) {
        nullSource = source;
        nullTaken = 0;
        nullClock.start();
        nullPull.start();
        return true;
    }
    if (!output)
        return false;
    output->start(source);
    return output->error() == QAudio::NoError;
}

void AudioSink::stop()
{
    nullPull.stop();
    nullSource = nullptr;
    if (output)
        output->stop();
}

qint64 AudioSink::playedMicroseconds() const
{
    if (isNull)
        return nullPull.isActive() ? nullClock.nsecsElapsed() / 1000 : 0;
    if (!output)
        return 0;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 5 counts what it has handed over; what still waits in the buffer
    // has not been heard.
    const qint64 waiting = output->bufferSize() - output->bytesFree();
    return qMax<qint64>(0, output->processedUSecs() - output->format().durationForBytes(waiting));
#else
    return output->processedUSecs();
#endif
}

void AudioSink::pullNull()
{
    // What a device playing in real time would have asked for by now.
    const qint64 due = nullClock.nsecsElapsed() * rate / 1000000000;
    QVarLengthArray<char, 4096> scratch;
    while (nullSource && nullTaken < due) {
        const qint64 frames = qMin<qint64>(due - nullTaken, 2048);
        scratch.resize(int(frames * 2 * channels));
        nullSource->read(scratch.data(), scratch.size());
        if (nullRecording)
            nullRecording->append(scratch.constData(), scratch.size());
        nullTaken += frames;
    }
}
