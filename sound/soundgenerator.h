// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SOUNDGENERATOR_H
#define SOUNDGENERATOR_H

#include "baseband.h"

#include <QIODevice>

// The sound of the signal plot, made on demand for an audio device that pulls
// 16-bit samples: the -10..10 s of the plot in real time, over and over, every
// frequency raised by 440 Hz. The loudest sample of the 20 s is at half of
// full scale. Short fades where playback starts, stops and wraps, and a short
// crossfade to a new signal, keep it from clicking.
class SoundGenerator : public QIODevice
{
    Q_OBJECT

public:
    static constexpr double Shift = 440.0; // Hz
    static constexpr double Fade = 0.01;   // s

    SoundGenerator(int sampleRate, int channelCount, QObject *parent = nullptr);

    // From -10 s, fading in.
    void start(const Baseband &signal);
    // Crossfades to another signal from the next sample on, or once the
    // crossfade under way has ended; the time goes on.
    void change(const Baseband &signal);
    // Fades out from the next sample on; silence after.
    void fadeOut();

    // Samples made since start().
    qint64 samplesMade() const { return made; }
    // The plot's time of sample number n since start().
    double timeOf(qint64 n) const;
    int sampleRate() const { return rate; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    void crossfadeTo(const Baseband &signal);
    // The sound of one signal at sample n of the loop, before the fades.
    double valueAt(const Baseband &signal, double gain, qint64 n) const;

    const int rate;
    const int channels;
    const qint64 loop;     // samples in 20 s
    const int fadeSamples; // samples in Fade
    Baseband current;
    double currentGain = 0.0;
    Baseband previous;
    double previousGain = 0.0;
    // A signal that came during a crossfade, next when that one ends.
    Baseband pending;
    bool isPending = false;
    qint64 made = 0;
    int crossfadeLeft = 0;
    int fadeOutLeft = -1; // -1 while not fading out
};

#endif // SOUNDGENERATOR_H
