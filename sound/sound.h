// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SOUND_H
#define SOUND_H

#include "audiosink.h"

#include <QObject>
#include <QTimer>
#include <memory>

class Baseband;
class Playhead;
class QCustomPlot;
class SoundGenerator;

// "Звук": the signal plot's signal played on the default audio output, shifted
// up by 440 Hz, in real time and over and over, with a playhead crossing the
// plot at the time now sounding.
class Sound : public QObject
{
    Q_OBJECT

public:
    explicit Sound(QCustomPlot *signalPlot, QObject *parent = nullptr);
    ~Sound() override;

    bool isAvailable() const { return sink.isAvailable(); }
    bool isPlaying() const { return playing; }

    // From -10 s; false when the device would not start.
    bool play(const Baseband &signal);
    // Goes on with another signal, without a break.
    void change(const Baseband &signal);
    // Fades out, and lets the device go once the fade has been played.
    void stop();
    // The plot's time now sounding.
    double soundingTime() const;

signals:
    // Playback ended without being asked to: the device failed or went away.
    void failed();

private:
    void movePlayhead();

    AudioSink sink;
    // Made for the sink's rate; the sink pulls from it until it stops.
    std::unique_ptr<SoundGenerator> generator;
    Playhead *const playhead;
    QTimer frames;
    QTimer release;
    bool playing = false;
};

#endif // SOUND_H
