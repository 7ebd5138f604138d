// SPDX-License-Identifier: GPL-3.0-or-later
// Plays "Звук" into the default sound output and records it back, for a
// person to listen to and to time it: run it under scripts/with-null-sink,
// whose null sink's monitor it records with parec (scripts/soundcheck does).
// Writes beats.wav, packet.wav and lorentzian.wav (one loop each) into DIR and
// prints, for each, how long after the click the first sound was recorded;
// then steps a spin box while the beats play and prints how long after each
// step the sound changed. Usage: quarnel_soundcheck DIR
#include "baseband.h"
#include "mainwindow.h"
#include "modecontroller.h"
#include "soundgenerator.h"
#include "submode.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSpinBox>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

namespace {

constexpr int Rate = 48000;
constexpr qint64 Loop = 20 * Rate;

void wait(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The null sink's monitor, recorded in real time, with the time each sample
// was recorded: no later than when it reached us, so sampleTime() is an
// upper bound and the latencies below are too.
class Recorder
{
public:
    explicit Recorder(const QElapsedTimer &timer) : clock(timer)
    {
        QObject::connect(&parec, &QProcess::readyReadStandardOutput, [this] {
            pcm += parec.readAllStandardOutput();
            start = std::min(start, clock.elapsed() / 1000.0 - double(pcm.size() / 2) / Rate);
        });
        parec.start(QStringLiteral("parec"),
                    {QStringLiteral("--device=quarnel.monitor"), QStringLiteral("--raw"),
                     QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
                     QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=5")});
        if (!parec.waitForStarted())
            qFatal("parec does not start: run under scripts/with-null-sink");
    }
    QVector<qint16> stop()
    {
        parec.terminate();
        parec.waitForFinished();
        pcm += parec.readAllStandardOutput();
        QVector<qint16> s(pcm.size() / 2);
        for (int i = 0; i < s.size(); ++i)
            s[i] = qFromLittleEndian<qint16>(pcm.constData() + 2 * i);
        return s;
    }
    // Seconds on the clock.
    double sampleTime(qint64 n) const { return start + double(n) / Rate; }

private:
    QByteArray pcm;
    const QElapsedTimer &clock;
    QProcess parec;
    double start = 1e9;
};

void saveWav(const QString &path, const QVector<qint16> &s)
{
    QByteArray data(s.size() * 2, 0);
    for (int i = 0; i < s.size(); ++i)
        qToLittleEndian<qint16>(s[i], data.data() + 2 * i);
    QByteArray header("RIFF____WAVEfmt ____________________data____");
    const auto put = [&header](int at, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header[at + i] = char(value >> (8 * i));
    };
    put(4, 36 + data.size(), 4);
    put(16, 16, 4);       // format chunk size
    put(20, 1, 2);        // PCM
    put(22, 1, 2);        // mono
    put(24, Rate, 4);     // samples per second
    put(28, Rate * 2, 4); // bytes per second
    put(32, 2, 2);        // bytes per frame
    put(34, 16, 2);       // bits per sample
    put(40, data.size(), 4);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(header + data);
}

// The sound a signal makes from -10 s on, with no change in between.
QVector<qint16> steadySound(const Baseband &signal, qint64 samples)
{
    SoundGenerator generator(Rate, 1);
    generator.start(signal);
    QVector<qint16> s(static_cast<int>(samples));
    generator.read(reinterpret_cast<char *>(s.data()), samples * 2);
    return s;
}

qint64 firstSound(const QVector<qint16> &s, qint64 from = 0)
{
    while (from < s.size() && s[from] == 0)
        ++from;
    return from;
}

// The recording's spectrum at k / 20 s over one loop from first.
double lineAt(const QVector<qint16> &s, qint64 first, int k)
{
    std::complex<double> sum;
    for (qint64 n = 0; n < Loop; ++n)
        sum += double(s[first + n]) * std::polar(1.0, -2 * M_PI * k * n / Loop);
    return std::abs(sum) * 2 / Loop / 32768;
}

} // namespace

int main(int argc, char *argv[])
{
    MainWindow::prepareDisplayScaling();
    QApplication application(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sounds"));
    QDir().mkpath(out.path());
    MainWindow window;
    window.resize(1920, 1080);
    window.show();
    wait(200);
    auto *const button = window.findChild<QAbstractButton *>(QStringLiteral("soundButton"));
    auto *const combo = window.findChild<QComboBox *>(QStringLiteral("comboBox"));
    if (!button->isEnabled())
        qFatal("no sound output: %s", qPrintable(button->toolTip()));
    const auto open = [&](const char *page, int entry) {
        window.findChild<QAbstractButton *>(QLatin1String(page))->click();
        combo->setCurrentIndex(entry);
        emit combo->activated(entry);
        wait(100);
    };
    const auto current = [&window] {
        return window.modeController()->currentSubmode()->baseband();
    };
    QElapsedTimer clock;
    clock.start();
    const auto now = [&clock] { return clock.nsecsElapsed() / 1e9; };

    // One loop of each from -10 s: the first sound, but a Lorentzian line is
    // silent before 0 s.
    struct Example
    {
        const char *name, *page;
        int entry;
    };
    for (const Example &e :
         {Example{"beats", "pushButton_2", 0}, Example{"packet", "pushButton_2", 1},
          Example{"lorentzian", "pushButton_3", 2}}) {
        open(e.page, e.entry);
        if (!qstrcmp(e.name, "beats"))
            window.findChild<QSpinBox *>(QStringLiteral("spinBox_2"))->setValue(2);
        wait(100);
        Recorder recorder(clock);
        wait(500);
        const double click = now();
        button->click();
        wait(20700);
        button->click();
        wait(300);
        QVector<qint16> s = recorder.stop();
        const bool line = !qstrcmp(e.name, "lorentzian");
        const qint64 first = std::max<qint64>(0, firstSound(s) - (line ? 10 * Rate : 0));
        if (first + Loop > s.size())
            qFatal("%s: less than one loop recorded", e.name);
        int loudest = 0;
        for (qint64 n = first; n < first + Loop; ++n)
            loudest = std::max(loudest, std::abs(int(s[n])));
        std::printf("%-10s loudest sample %.3f of full scale", e.name, loudest / 32768.0);
        if (!line)
            std::printf("; first sound %.1f ms after the click",
                        1000 * (recorder.sampleTime(first) - click));
        if (!qstrcmp(e.name, "beats"))
            std::printf("; lines 441.0 Hz %.3f, 441.1 Hz %.3f, 440.9 Hz %.4f, 441.2 Hz %.4f",
                        lineAt(s, first, 8820), lineAt(s, first, 8822), lineAt(s, first, 8818),
                        lineAt(s, first, 8824));
        std::printf("\n");
        saveWav(out.filePath(QLatin1String(e.name) + QStringLiteral(".wav")),
                s.mid(int(first), int(Loop)));
    }

    // Live changes: the first beat harmonic's amplitude stepped down every
    // 1.3 s. Until a step is heard, the recording is the steady sound of the
    // signal before it, sample for sample.
    open("pushButton_2", 0);
    window.findChild<QSpinBox *>(QStringLiteral("spinBox_2"))->setValue(2);
    auto *const amplitude = window.findChild<QDoubleSpinBox *>(QStringLiteral("doubleSpinBox_4"));
    wait(100);
    Recorder recorder(clock);
    wait(500);
    button->click();
    QVector<Baseband> played{current()};
    QVector<double> steps;
    for (int i = 0; i < 8; ++i) {
        wait(1300);
        steps << now();
        amplitude->stepDown();
        wait(0);
        played << current();
    }
    wait(1000);
    button->click();
    wait(300);
    const QVector<qint16> s = recorder.stop();
    // Where the sound's sample 0 lies in the recording: PulseAudio may drop
    // the first milliseconds of a new stream, so the first sound recorded
    // only gives a start for the search.
    const QVector<qint16> steady = steadySound(played[0], s.size());
    const auto departure = [&s](const QVector<qint16> &sound, qint64 zero, qint64 from, qint64 to) {
        qint64 n = from;
        while (n < to && std::abs(s[n] - sound[n - zero]) <= 2)
            ++n;
        return n;
    };
    const qint64 heard = firstSound(s), probe = heard + Rate / 10;
    qint64 zero = heard;
    while (zero > heard - Rate / 100 &&
           departure(steady, zero, probe, probe + Rate / 10) < probe + Rate / 10)
        --zero;
    qint64 from = probe;
    QVector<double> latencies;
    for (int i = 0; i < steps.size(); ++i) {
        const qint64 n =
            departure(i ? steadySound(played[i], s.size()) : steady, zero, from, s.size());
        const double latency = 1000 * (recorder.sampleTime(n) - steps[i]);
        if (n == s.size() || latency < 0)
            qFatal("step %d: the recording departs from the sound at %.1f ms", i + 1, latency);
        latencies << latency;
        from = n + Rate * SoundGenerator::Fade + 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("spin steps heard after %.1f ms (median of %d), %.1f to %.1f ms\n",
                latencies[latencies.size() / 2], int(latencies.size()), latencies.first(),
                latencies.last());
    std::printf("recordings in %s\n", qPrintable(out.path()));
    return 0;
}
