// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SOUND_H
#define SOUND_H

#include "audiosink.h"

#include <QObject>
#include <QTimer>

class Baseband;
class Playhead;
class QCustomPlot;

// "Звук": the signal plot's signal played on the default audio output, shifted
// up by 440 Hz, in real time and over and over, with a playhead crossing the
// plot at the time now sounding.
class Sound : public QObject
{
    Q_OBJECT

public:
    explicit Sound(QCustomPlot *signalPlot, QObject *parent = nullptr);
    ~Sound() override;

    // Whether a sound server was found; availabilityChanged() follows it.
    bool isAvailable() const { return sink.isAvailable(); }
    bool isPlaying() const { return playing; }

    // From -10 s; false without a sound server. A stream that then fails to
    // open ends in failed().
    bool play(const Baseband &signal);
    // Goes on with another signal, without a break.
    void change(const Baseband &signal);
    // Fades out, and lets the stream go once the fade has been played.
    void stop();
    // The plot's time now sounding.
    double soundingTime() const;
    // How often the sound server has run dry: each is a short break heard.
    int dropouts() const { return sink.dropouts(); }

signals:
    // Playback ended without being asked to: the server failed, went away or
    // froze, or lost its output.
    void failed();
    void availabilityChanged(bool available);

private:
    void movePlayhead();

    AudioSink sink;
    Playhead *const playhead;
    QTimer frames;
    bool playing = false;
};

#endif // SOUND_H
