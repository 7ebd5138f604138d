// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound.h"

#include "baseband.h"
#include "playhead.h"

#include <cmath>

namespace {

// A playhead position every frame of a 60 Hz screen.
constexpr int FrameMilliseconds = 16;

} // namespace

Sound::Sound(QCustomPlot *signalPlot, QObject *parent)
    : QObject(parent), playhead(new Playhead(signalPlot))
{
    frames.setInterval(FrameMilliseconds);
    frames.setTimerType(Qt::PreciseTimer);
    connect(&frames, &QTimer::timeout, this, &Sound::movePlayhead);
    connect(&sink, &AudioSink::availabilityChanged, this, &Sound::availabilityChanged);
    connect(&sink, &AudioSink::failed, this, [this] {
        if (playing) {
            stop();
            emit failed();
        }
    });
}

Sound::~Sound() = default;

bool Sound::play(const Baseband &signal)
{
    if (!sink.start(signal))
        return false;
    playing = true;
    frames.start();
    movePlayhead();
    return true;
}

void Sound::change(const Baseband &signal)
{
    if (playing)
        sink.change(signal);
}

void Sound::stop()
{
    if (!playing)
        return;
    playing = false;
    sink.stop();
    frames.stop();
    playhead->leave();
    playhead->hide();
}

double Sound::soundingTime() const
{
    // The signal loops over the plot's 20 s from -10 s.
    const double span = Baseband::Last - Baseband::First;
    return Baseband::First + std::fmod(double(sink.playedMicroseconds()) / 1e6, span);
}

void Sound::movePlayhead()
{
    playhead->moveTo(soundingTime());
}
