// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound.h"

#include "playhead.h"
#include "soundgenerator.h"

namespace {

// A playhead position every frame of a 60 Hz screen.
constexpr int FrameMilliseconds = 16;
// The fade-out, and the device's buffer played out after it.
constexpr int ReleaseMilliseconds = 250;

} // namespace

Sound::Sound(QCustomPlot *signalPlot, QObject *parent)
    : QObject(parent),
      generator(std::make_unique<SoundGenerator>(qMax(1, sink.sampleRate()), sink.channelCount())),
      playhead(new Playhead(signalPlot))
{
    frames.setInterval(FrameMilliseconds);
    frames.setTimerType(Qt::PreciseTimer);
    connect(&frames, &QTimer::timeout, this, &Sound::movePlayhead);
    release.setSingleShot(true);
    release.setInterval(ReleaseMilliseconds);
    connect(&release, &QTimer::timeout, &sink, &AudioSink::stop);
    connect(&sink, &AudioSink::failed, this, [this] {
        if (playing) {
            stop();
            emit failed();
        }
    });
}

Sound::~Sound()
{
    // The device reads from the generator until it is stopped.
    sink.stop();
}

bool Sound::play(const Baseband &signal)
{
    if (!isAvailable())
        return false;
    release.stop();
    sink.stop();
    generator->start(signal);
    if (!sink.start(generator.get())) {
        sink.stop();
        return false;
    }
    playing = true;
    frames.start();
    movePlayhead();
    return true;
}

void Sound::change(const Baseband &signal)
{
    if (playing)
        generator->change(signal);
}

void Sound::stop()
{
    if (!playing)
        return;
    playing = false;
    generator->fadeOut();
    frames.stop();
    playhead->leave();
    playhead->hide();
    release.start();
}

double Sound::soundingTime() const
{
    const qint64 played = sink.playedMicroseconds() * generator->sampleRate() / 1000000;
    return generator->timeOf(played);
}

void Sound::movePlayhead()
{
    playhead->moveTo(soundingTime());
}
