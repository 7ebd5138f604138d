// The real output path: "Звук" played into a PulseAudio null sink (started by
// scripts/with-null-sink) and recorded from its monitor with parec. The beats
// example must sound as two tones 0.1 Hz apart at 441.0 and 441.1 Hz whose
// envelope swells every 10 s. Each recording is left as a WAV file for a person
// to listen to.
#include "sound.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSpinBox>
#include <QtEndian>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>
#include <complex>

using namespace TestSupport;

namespace {

constexpr int Rate = 48000;
constexpr int Loop = 20 * Rate;

void saveWav(const QString &path, const QByteArray &pcm)
{
    QByteArray header("RIFF____WAVEfmt ____________________data____");
    const auto put = [&header](int at, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header[at + i] = char(value >> (8 * i));
    };
    put(4, 36 + pcm.size(), 4);
    put(16, 16, 4);       // format chunk size
    put(20, 1, 2);        // PCM
    put(22, 1, 2);        // mono
    put(24, Rate, 4);     // samples per second
    put(28, Rate * 2, 4); // bytes per second
    put(32, 2, 2);        // bytes per frame
    put(34, 16, 2);       // bits per sample
    put(40, pcm.size(), 4);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header + pcm);
}

// The recording's spectrum at k / 20 s over one whole loop from first.
double magnitude(const QVector<double> &x, int first, int k)
{
    std::complex<double> sum;
    const std::complex<double> turn = std::polar(1.0, -2 * M_PI * k / Loop);
    std::complex<double> w = 1.0;
    for (int n = 0; n < Loop; ++n, w *= turn)
        sum += x[first + n] * w;
    return std::abs(sum) * 2 / Loop;
}

} // namespace

class SoundOutputTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsSet("QUARNEL_NO_SOUND_SERVER"))
            QSKIP(qPrintable(qEnvironmentVariable("QUARNEL_NO_SOUND_SERVER")));
    }

    void init() { openWindow(); }

    void recorded_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("entry");
        QTest::newRow("beats") << "pushButton_2" << 0;
        // For a person to listen to; QUARNEL_RECORD_ALL records them too.
        if (qEnvironmentVariableIsSet("QUARNEL_RECORD_ALL")) {
            QTest::newRow("packet") << "pushButton_2" << 1;
            QTest::newRow("lorentzian") << "pushButton_3" << 2;
        }
    }
    void recorded()
    {
        QFETCH(QString, button);
        QFETCH(int, entry);
        const bool beats = QTest::currentDataTag() == QLatin1String("beats");
        click(qPrintable(button));
        pickEntry(entry);
        if (beats)
            find<QSpinBox>("spinBox_2")->setValue(2);
        auto *const sound = find<QAbstractButton>("soundButton");
        QVERIFY(sound->isEnabled());

        QProcess recorder;
        recorder.start(QStringLiteral("parec"),
                       {QStringLiteral("--device=quarnel.monitor"), QStringLiteral("--raw"),
                        QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
                        QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
        QVERIFY(recorder.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(300);

        const qint64 click = clock.elapsed();
        sound->click();
        QTRY_VERIFY_WITH_TIMEOUT(window->soundOutput()->soundingTime() > -10.0, 1000);
        qInfo("the device reports playing %lld ms after the click", clock.elapsed() - click);
        const auto *const playhead = signal->findChild<QWidget *>(QStringLiteral("playhead"));
        QVERIFY(playhead && playhead->isVisible());
        const int x = playhead->x();
        QTest::qWait(20800);
        QVERIFY(playhead->x() != x);
        sound->click();
        QVERIFY(!playhead->isVisible());
        QTest::qWait(400);
        recorder.terminate();
        QVERIFY(recorder.waitForFinished());

        const QByteArray pcm = recorder.readAllStandardOutput();
        saveWav(QStringLiteral(QUARNEL_SOUND_DIR "/%1.wav").arg(QTest::currentDataTag()), pcm);
        QVector<double> x16(pcm.size() / 2);
        for (int i = 0; i < x16.size(); ++i)
            x16[i] = qFromLittleEndian<qint16>(pcm.constData() + 2 * i) / 32768.0;
        int first = 0;
        while (first < x16.size() && std::fabs(x16[first]) < 1e-3)
            ++first;
        // The monitor records in real time from about when parec started.
        qInfo("first sound recorded %lld ms after the click", first * 1000 / Rate - click);
        // The Lorentzian is silent before 0 s, so its loop shows up late.
        const int last = std::min<int>(x16.size(), first + Loop);
        double loudest = 0;
        for (int n = first; n < last; ++n)
            loudest = std::max(loudest, std::fabs(x16[n]));
        QVERIFY2(std::fabs(loudest - 0.5) < 0.01, qPrintable(QString::number(loudest)));
        if (!beats)
            return;
        QVERIFY2(first + Loop <= x16.size(), "less than 20 s of sound recorded");

        // Both tones lie on the 0.05 Hz grid of one loop, so over exactly one
        // loop each is one line: 441.0 Hz is line 8820, 441.1 Hz line 8822.
        const double a0 = magnitude(x16, first, 8820), a1 = magnitude(x16, first, 8822);
        QVERIFY2(std::fabs(a0 - 0.25) < 0.01 && std::fabs(a1 - 0.25) < 0.01,
                 qPrintable(QStringLiteral("%1 %2").arg(a0).arg(a1)));
        for (const int k : {8800, 8818, 8819, 8821, 8823, 8824, 8840})
            QVERIFY2(magnitude(x16, first, k) < 0.01, qPrintable(QString::number(k)));
        // The envelope, in 50 ms steps, is lowest 10 s apart.
        QVector<double> rms;
        for (int n = first; n + 2400 <= first + Loop; n += 2400) {
            double sum = 0;
            for (int i = n; i < n + 2400; ++i)
                sum += x16[i] * x16[i];
            rms << std::sqrt(sum / 2400);
        }
        const auto low1 = std::min_element(rms.begin(), rms.begin() + 200);
        const auto low2 = std::min_element(rms.begin() + 200, rms.end());
        QVERIFY2(std::abs(int(low2 - low1) - 200) <= 2, qPrintable(QString::number(low2 - low1)));
        QVERIFY(*low1 < 0.02 && *low2 < 0.02);
    }
};

QTEST_MAIN(SoundOutputTest)
#include "tst_soundoutput.moc"
