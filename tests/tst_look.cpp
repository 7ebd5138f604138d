// Look: the program's piecewise curve rasteriser draws what QPainter stroking
// each curve in one piece draws, give or take antialiasing and the shape of a
// join. Every submode's default state (and a drawn spectrum, whose default is
// empty) is rendered both ways at 1920x1080 and compared pixel by pixel; both
// renderings are kept under the build folder (tests/look/) for a person.
#include "curvegraph.h"
#include "testsupport.h"

#include <QDir>
#include <QSpinBox>
#include <QtTest>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

using namespace TestSupport;

namespace {

// A curve pixel is far from the white background and from the black and grey
// of the grid, axes and text: its channels spread at least this much.
constexpr int CurveChroma = 64;
// Curve pixels of the same colour: hues this close, in degrees. Hue survives
// antialiasing against white, unlike the channels themselves.
constexpr int SameHue = 20;
// A pixel differs when no pixel within one of it in the other image is within
// this in every channel, and at most this share of the plot's pixels may differ.
constexpr int ChannelTolerance = 48;
constexpr double DifferingShare = 0.005;
// The colour laid on the achromatic background, summed over the image, may be
// this much more or less: a seam or a notch at every join loses a few per cent
// of it, well inside the one-pixel tolerance of the other checks.
constexpr double InkTolerance = 0.01;

int chroma(QRgb p)
{
    return std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
}

bool sameCurveColour(QRgb a, QRgb b)
{
    const int d = std::abs(QColor(a).hsvHue() - QColor(b).hsvHue());
    return chroma(b) >= CurveChroma && std::min(d, 360 - d) <= SameHue;
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

struct Comparison
{
    int curvePixels = 0;
    int unmatched = 0;
    int differing = 0;
    double ink = 0;
};

// One way: every pixel of `from` looked for within one pixel in `to`.
Comparison compare(const QImage &from, const QImage &to)
{
    Comparison c;
    for (int y = 0; y < from.height(); ++y) {
        for (int x = 0; x < from.width(); ++x) {
            const QRgb p = from.pixel(x, y);
            const bool curve = chroma(p) >= CurveChroma;
            bool matched = !curve;
            int nearest = 255;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (!to.rect().contains(x + dx, y + dy))
                        continue;
                    const QRgb q = to.pixel(x + dx, y + dy);
                    nearest = std::min(nearest, channelDistance(p, q));
                    matched = matched || sameCurveColour(p, q);
                }
            }
            c.ink += chroma(p);
            c.curvePixels += curve;
            c.unmatched += !matched;
            c.differing += nearest > ChannelTolerance;
        }
    }
    return c;
}

// The plot as it is rendered on screen, with the chosen rasteriser.
QImage render(QCustomPlot *plot, bool plain)
{
    CurveGraph::setPlainStroking(plain);
    plot->replot(QCustomPlot::rpImmediateRefresh);
    CurveGraph::setPlainStroking(false);
    return plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class LookTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(artefacts.mkpath(QStringLiteral("."))); }
    void init() { openWindow(); }

    void piecewiseLooksLikePlainStroking_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("count"); // of separate harmonics: its example
        const QString discrete = QStringLiteral("pushButton_2");
        const QString continuous = QStringLiteral("pushButton_3");
        QTest::newRow("harmonics") << discrete << 0 << 0;
        QTest::newRow("beats") << discrete << 0 << 2;
        QTest::newRow("modulation") << discrete << 0 << 3;
        QTest::newRow("wavepacket") << discrete << 1 << 0;
        QTest::newRow("gaussian") << continuous << 0 << 0;
        QTest::newRow("rectangular") << continuous << 1 << 0;
        QTest::newRow("lorentzian") << continuous << 2 << 0;
        QTest::newRow("drawn") << continuous << 3 << 0;
    }

    void piecewiseLooksLikePlainStroking()
    {
        QFETCH(QString, button);
        QFETCH(int, entry);
        QFETCH(int, count);
        click(qPrintable(button));
        pickEntry(entry);
        if (count > 0)
            find<QSpinBox>("spinBox_2")->setValue(count);
        if (QTest::currentDataTag() == QByteArray("drawn")) {
            // A wavy stroke across most of the band, released: spline and signal.
            press(spectrum, pixelOf(spectrum, 0.3, 0.2));
            for (double f = 0.4; f < 4.5; f += 0.1)
                move(spectrum, pixelOf(spectrum, f, 0.5 + 0.3 * std::sin(f * 3)));
            release(spectrum, pixelOf(spectrum, 4.5, 0.4));
        }
        settle();
        QCOMPARE(window->size(), QSize(1920, 1080));

        for (QCustomPlot *plot : {spectrum, signal}) {
            // Lecture quality, and every curve drawn by the rasteriser under test.
            QVERIFY(!plot->plottingHints().testFlag(QCP::phFastPolylines));
            QVERIFY(!plot->noAntialiasingOnDrag());
            for (int g = 0; g < plot->graphCount(); ++g)
                QVERIFY(qobject_cast<CurveGraph *>(plot->graph(g)) &&
                        plot->graph(g)->antialiased());

            const QString name = QLatin1String(QTest::currentDataTag()) +
                                 QLatin1String(plot == spectrum ? "-spectrum" : "-signal");
            const QImage plain = render(plot, true), piecewise = render(plot, false);
            QVERIFY(plain.save(artefacts.filePath(name + QStringLiteral("-plain.png"))));
            QVERIFY(piecewise.save(artefacts.filePath(name + QStringLiteral("-piecewise.png"))));

            const Comparison there = compare(plain, piecewise);
            const Comparison back = compare(piecewise, plain);
            const int allowed = int(DifferingShare * plain.width() * plain.height());
            const double inkRatio = there.ink > 0 ? back.ink / there.ink : 1.0;
            const QByteArray report =
                QString::asprintf("%s: curve pixels %d/%d, unmatched %d/%d, differing %d/%d of at "
                                  "most %d, ink %.4f",
                                  qPrintable(name), there.curvePixels, back.curvePixels,
                                  there.unmatched, back.unmatched, there.differing, back.differing,
                                  allowed, inkRatio)
                    .toUtf8();
            qInfo("%s", report.constData());
            // Every signal here is a coloured curve, so the matching is not
            // vacuous (harmonic 1 is black, like the grid).
            QVERIFY2(plot == spectrum || there.curvePixels > 1000, report);
            QVERIFY2(there.unmatched == 0 && back.unmatched == 0, report);
            QVERIFY2(there.differing < allowed && back.differing < allowed, report);
            QVERIFY2(std::fabs(inkRatio - 1.0) < InkTolerance, report);
        }
    }

private:
    QDir artefacts{QStringLiteral(QUARNEL_LOOK_DIR)};
};

QTEST_MAIN(LookTest)
#include "tst_look.moc"
