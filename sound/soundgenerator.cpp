// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundgenerator.h"

#include <QThread>
#include <QtEndian>

#include <cmath>

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr double Pi = 3.141592653589793;
constexpr double Loudest = 0.5; // of full scale

// A fade's gain x of the way through, 0 to 1 along half a cosine.
double ramp(double x)
{
    return x >= 1.0 ? 1.0 : x <= 0.0 ? 0.0 : 0.5 - 0.5 * std::cos(Pi * x);
}

double gainFor(const Baseband &signal)
{
    return signal.peak() > 0.0 ? Loudest / signal.peak() : 0.0;
}

} // namespace

SoundGenerator::SoundGenerator(int sampleRate, int channelCount, QObject *parent)
    : QIODevice(parent), rate(sampleRate), channels(channelCount),
      loop(qint64(sampleRate) * qint64(Baseband::Last - Baseband::First)),
      fadeSamples(qMax(1, qRound(sampleRate * Fade)))
{
    // Unbuffered: QIODevice would otherwise read ahead of the device, and a
    // change would be heard that much later.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void SoundGenerator::start(const Baseband &signal)
{
    current = signal;
    currentGain = gainFor(signal);
    previous = Baseband();
    pending = Baseband();
    isPending = false;
    made = 0;
    crossfadeLeft = 0;
    fadeOutLeft = -1;
}

void SoundGenerator::change(const Baseband &signal)
{
    // Cutting a crossfade short would jump from the mix to the new signal.
    if (crossfadeLeft > 0) {
        pending = signal;
        isPending = true;
        return;
    }
    crossfadeTo(signal);
}

void SoundGenerator::crossfadeTo(const Baseband &signal)
{
    previous = current;
    previousGain = currentGain;
    current = signal;
    currentGain = gainFor(signal);
    crossfadeLeft = fadeSamples;
}

void SoundGenerator::fadeOut()
{
    if (fadeOutLeft < 0)
        fadeOutLeft = fadeSamples;
}

double SoundGenerator::timeOf(qint64 n) const
{
    return Baseband::First + double(n % loop) / rate;
}

qint64 SoundGenerator::bytesAvailable() const
{
    // Always a second more, whatever is asked.
    return qint64(rate) * channels * 2 + QIODevice::bytesAvailable();
}

double SoundGenerator::valueAt(const Baseband &signal, double gain, qint64 n) const
{
    if (gain == 0.0)
        return 0.0;
    const qint64 m = n % loop;
    // The carrier's phase from whole numbers: 440 Hz turns a whole number of
    // times in the 20 s, so it starts every loop at 0 as it did at -10 s.
    const qint64 turns = qint64(Shift) * m % rate;
    const double phase = TwoPi * double(turns) / rate;
    const std::complex<double> b = signal.at(Baseband::First + double(m) / rate);
    return gain * (b.real() * std::cos(phase) - b.imag() * std::sin(phase));
}

qint64 SoundGenerator::readData(char *data, qint64 maxSize)
{
    // Qt's PulseAudio and ALSA outputs pull from a timer of their own thread,
    // the window's, which also changes the signals: no lock is needed.
    Q_ASSERT(thread() == QThread::currentThread());
    const qint64 frames = maxSize / (2 * channels);
    qint16 *out = reinterpret_cast<qint16 *>(data);
    for (qint64 i = 0; i < frames; ++i, ++made) {
        double v = 0.0;
        if (fadeOutLeft != 0) {
            const qint64 m = made % loop;
            // Down to silence at the end of the loop and up from it after the wrap.
            const double wrap =
                ramp(double(m) / fadeSamples) * ramp(double(loop - m) / fadeSamples);
            v = valueAt(current, currentGain, made);
            if (crossfadeLeft > 0) {
                const double a = ramp(1.0 - double(crossfadeLeft--) / fadeSamples);
                v = a * v + (1.0 - a) * valueAt(previous, previousGain, made);
                if (crossfadeLeft == 0 && isPending) {
                    isPending = false;
                    crossfadeTo(pending);
                }
            }
            v *= wrap;
            if (fadeOutLeft > 0)
                v *= ramp(double(--fadeOutLeft) / fadeSamples);
        }
        if (!std::isfinite(v))
            v = 0.0;
        const qint16 sample = qint16(qBound(-32767L, std::lround(v * 32767.0), 32767L));
        for (int c = 0; c < channels; ++c)
            qToLittleEndian(sample, out++);
    }
    return frames * 2 * channels;
}

qint64 SoundGenerator::writeData(const char *, qint64)
{
    return -1;
}
