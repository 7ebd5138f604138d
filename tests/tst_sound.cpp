// "Звук": the sound made for every submode against the signal plot it must
// be heard as, its fades and crossfades, and the button on a window with no
// device and with a null device that records what it is given.
#include "audiosink.h"
#include "baseband.h"
#include "modecontroller.h"
#include "sound.h"
#include "soundgenerator.h"
#include "submode.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QtEndian>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>
#include <functional>

using namespace TestSupport;
using Step = std::function<void()>;
Q_DECLARE_METATYPE(Step)

namespace {

constexpr int Rate = 48000;
constexpr double TwoPi = 6.283185307179586;

QVector<double> samples(const QByteArray &pcm)
{
    QVector<double> s(pcm.size() / 2);
    for (int i = 0; i < s.size(); ++i)
        s[i] = qFromLittleEndian<qint16>(pcm.constData() + 2 * i) / 32767.0;
    return s;
}

QVector<double> play(SoundGenerator &generator, double seconds)
{
    QByteArray pcm(int(seconds * Rate) * 2, 0);
    generator.read(pcm.data(), pcm.size());
    return samples(pcm);
}

// The sound at sample n mixed back down by 440 Hz and low-passed: a
// Blackman-windowed sinc of +-10 ms cut at 100 Hz, flat to 1e-5 below 10 Hz.
double mixedDown(const QVector<double> &s, int n)
{
    constexpr int Half = Rate / 100;
    static const QVector<double> taps = [] {
        QVector<double> h(2 * Half + 1);
        double sum = 0;
        for (int k = -Half; k <= Half; ++k) {
            const double x = TwoPi * 100.0 * k / Rate, u = M_PI * (k + Half) / Half;
            h[k + Half] =
                (k ? std::sin(x) / x : 1.0) * (0.42 - 0.5 * std::cos(u) + 0.08 * std::cos(2 * u));
            sum += h[k + Half];
        }
        for (double &v : h)
            v /= sum;
        return h;
    }();
    double sum = 0;
    for (int k = -Half; k <= Half; ++k)
        sum += taps[k + Half] * s[n + k] * 2 * std::cos(TwoPi * 440.0 * (n + k) / Rate);
    return sum;
}

double largestStep(const QVector<double> &s, int from, int to)
{
    double largest = 0;
    for (int n = from; n + 1 < to; ++n)
        largest = std::max(largest, std::fabs(s[n + 1] - s[n]));
    return largest;
}

} // namespace

class SoundTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { openWindow(); }

    void soundsAsThePlotShows_data()
    {
        QTest::addColumn<Step>("state");
        const auto enter = [this](
                               const char *button, int entry, Step then = [] {}) -> Step {
            return [=] {
                click(button);
                pickEntry(entry);
                then();
            };
        };
        const auto set = [this](const char *name, double value) {
            if (auto *box = find<QDoubleSpinBox>(name))
                box->setValue(value);
            else
                find<QSpinBox>(name)->setValue(int(value));
        };
        QTest::newRow("single harmonic") << enter("pushButton_2", 0);
        QTest::newRow("beats") << enter("pushButton_2", 0, [=] { set("spinBox_2", 2); });
        QTest::newRow("modulation") << enter("pushButton_2", 0, [=] { set("spinBox_2", 3); });
        QTest::newRow("packet") << enter("pushButton_2", 1);
        QTest::newRow("packet, 5 at 0.1 Hz") << enter("pushButton_2", 1, [=] {
            set("spinBox", 5);
            set("doubleSpinBox_10", 0.1);
        });
        QTest::newRow("gaussian") << enter("pushButton_3", 0);
        QTest::newRow("gaussian, 3 Hz wide at 5 Hz") << enter("pushButton_3", 0, [=] {
            set("doubleSpinBox", 5);
            set("doubleSpinBox_2", 3);
        });
        QTest::newRow("rectangular") << enter("pushButton_3", 1);
        QTest::newRow("rectangular, 3 Hz wide at 0") << enter("pushButton_3", 1, [=] {
            set("doubleSpinBox", 0);
            set("doubleSpinBox_2", 3);
        });
        QTest::newRow("lorentzian") << enter("pushButton_3", 2);
        QTest::newRow("lorentzian, 0.05 Hz wide")
            << enter("pushButton_3", 2, [=] { set("doubleSpinBox_2", 0.05); });
        QTest::newRow("drawn") << enter("pushButton_3", 3, [this] {
            press(spectrum, pixelOf(spectrum, 0.5, 0.1));
            for (double f = 0.6; f < 4.0; f += 0.1)
                move(spectrum, pixelOf(spectrum, f, 0.5 + 0.4 * std::sin(3 * f)));
            release(spectrum, pixelOf(spectrum, 4.0, 0.2));
        });
        QTest::newRow("drawn, nothing yet") << enter("pushButton_3", 3);
    }
    void soundsAsThePlotShows()
    {
        QFETCH(Step, state);
        state();
        SoundGenerator generator(Rate, 1);
        generator.start(Baseband(*window->modeController()->currentSubmode()));
        const QVector<double> s = play(generator, 20.1);
        double loudest = 0;
        for (int n = 0; n < 20 * Rate; ++n)
            loudest = std::max(loudest, std::fabs(s[n]));
        if (!signal->graphCount()) {
            QCOMPARE(loudest, 0.0);
            return;
        }
        QVERIFY2(std::fabs(loudest - 0.5) < 0.002, qPrintable(QString::number(loudest)));

        // The plot times away from the fades at both ends of the loop and
        // from the Lorentzian's start, which no low-pass keeps sharp.
        QVector<double> heard, shown;
        const QVector<double> t = keys(signal->graph(0)), p = values(signal->graph(0));
        for (int i = 0; i < t.size(); ++i) {
            if (std::fabs(t[i]) < 9.97 && std::fabs(t[i]) > 0.03) {
                heard << mixedDown(s, qRound((t[i] + 10.0) * Rate));
                shown << p[i];
            }
        }
        // The same factor for every sample: the one that fits best.
        double hs = 0, ss = 0;
        for (int i = 0; i < heard.size(); ++i) {
            hs += heard[i] * shown[i];
            ss += shown[i] * shown[i];
        }
        const double gain = hs / ss;
        double worst = 0;
        for (int i = 0; i < heard.size(); ++i)
            worst = std::max(worst, std::fabs(heard[i] - gain * shown[i]));
        QVERIFY2(worst < 0.5e-3, qPrintable(QString::number(worst)));

        // The wrap from +10 s to -10 s is no larger a step than any other.
        const double normal = largestStep(s, Rate, 19 * Rate);
        QVERIFY(largestStep(s, 20 * Rate - Rate / 10, s.size()) <= normal);
    }

    void changesAndStopsWithoutAClick()
    {
        click("pushButton_2");
        find<QSpinBox>("spinBox_2")->setValue(2);
        const Baseband beats(*window->modeController()->currentSubmode());
        find<QSpinBox>("spinBox_2")->setValue(1);
        const Baseband single(*window->modeController()->currentSubmode());

        SoundGenerator generator(Rate, 1);
        generator.start(beats);
        QVector<double> s = play(generator, 0.5);
        generator.change(single);
        s += play(generator, 0.5);
        generator.fadeOut();
        s += play(generator, 0.1);
        const double normal = std::max(largestStep(s, Rate / 10, Rate * 45 / 100),
                                       largestStep(s, Rate * 6 / 10, Rate));
        QVERIFY(largestStep(s, Rate * 45 / 100, Rate * 6 / 10) < 1.25 * normal);
        QVERIFY(largestStep(s, Rate, s.size()) < 1.25 * normal);
        // Faded out within 10 ms, then silent.
        for (int n = Rate + Rate / 100; n < s.size(); ++n)
            QCOMPARE(s[n], 0.0);
        // The playing time went on through the change.
        QCOMPARE(generator.timeOf(generator.samplesMade()), -10.0 + 1.1);
    }

    void buttonWithoutADevice()
    {
        auto *const button = find<QAbstractButton>("soundButton");
        click("pushButton_2");
        QVERIFY(!button->isEnabled());
        QCOMPARE(button->toolTip(), QStringLiteral("Нет устройства вывода звука"));
        QCOMPARE(signal->graphCount(), 1);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!button->isChecked());
    }

    void playsLiveOnANullDevice()
    {
        QByteArray recording;
        AudioSink::setNullDevice(true, &recording);
        openWindow();
        AudioSink::setNullDevice(false);
        auto *const button = find<QAbstractButton>("soundButton");
        auto *const playhead = signal->findChild<QWidget *>(QStringLiteral("playhead"));
        click("pushButton_2");
        find<QSpinBox>("spinBox_2")->setValue(2);
        QVERIFY(button->isEnabled() && !playhead->isVisible());

        click("soundButton");
        QVERIFY(button->isChecked() && playhead->isVisible());
        QTest::qWait(400);
        // A pick keeps it playing: the separate harmonics again, one cosine.
        pickEntry(0);
        QTest::qWait(400);
        const int x = playhead->x();
        QTest::qWait(100);
        QVERIFY(playhead->x() > x);
        QCOMPARE(playhead->height(), signal->axisRect()->height());
        click("pushButton");
        QVERIFY(!button->isChecked() && !playhead->isVisible());
        QTest::qWait(300);

        // Beats before the pick, a single cosine at 0.2 Hz after it, both
        // loudest at half of full scale; silence after the fade-out.
        const QVector<double> s = samples(recording);
        QVERIFY2(s.size() > Rate * 8 / 10, qPrintable(QString::number(s.size())));
        for (const double t : {0.1, 0.3}) {
            const double beatsAt =
                0.5 * (std::cos(TwoPi * (t - 10)) + std::cos(TwoPi * 1.1 * (t - 10)));
            QVERIFY(std::fabs(mixedDown(s, int(t * Rate)) - 0.5 * beatsAt) < 1e-3);
        }
        for (const double t : {0.5, 0.7}) {
            const double single = std::cos(TwoPi * 0.2 * (t - 10));
            QVERIFY(std::fabs(mixedDown(s, int(t * Rate)) - 0.5 * single) < 1e-3);
        }
        QCOMPARE(s.last(), 0.0);
    }
};

QTEST_MAIN(SoundTest)
#include "tst_sound.moc"
