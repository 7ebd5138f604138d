// Look: the program's piecewise curve rasteriser draws what QPainter stroking
// each curve in one piece draws, give or take antialiasing and the shape of a
// join. Every submode's default state (and a drawn spectrum, whose default is
// empty) is rendered both ways at 1920x1080 and compared pixel by pixel; both
// renderings are kept under the build folder (tests/look/) for a person to
// look at.
#include "curvegraph.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
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
// this in every channel...
constexpr int ChannelTolerance = 48;
// ...and no more than this fraction of the plot's pixels may differ.
constexpr double DifferingShare = 0.005;

// The curves' colours may carry this much more or less ink in all: a seam or
// a notch at every join of a curve loses a few per cent of it, well inside
// the one-pixel tolerance of the other checks.
constexpr double InkTolerance = 0.01;

int chroma(QRgb p)
{
    return std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
}

bool isCurve(QRgb p)
{
    return chroma(p) >= CurveChroma;
}

// Colour laid on the achromatic background, antialiased edges included.
double ink(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += chroma(image.pixel(x, y));
    }
    return sum;
}

int hueDistance(QRgb a, QRgb b)
{
    const int d = std::abs(QColor(a).hsvHue() - QColor(b).hsvHue());
    return std::min(d, 360 - d);
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

struct Comparison
{
    int curvePixels = 0;
    int unmatchedCurvePixels = 0;
    int differingPixels = 0;
    QPoint firstUnmatched;
};

// One way: every pixel of `from` looked for within one pixel in `to`.
Comparison compare(const QImage &from, const QImage &to)
{
    Comparison c;
    for (int y = 0; y < from.height(); ++y) {
        for (int x = 0; x < from.width(); ++x) {
            const QRgb p = from.pixel(x, y);
            const bool curve = isCurve(p);
            bool matched = !curve;
            int nearest = 255;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (!to.rect().contains(x + dx, y + dy))
                        continue;
                    const QRgb q = to.pixel(x + dx, y + dy);
                    nearest = std::min(nearest, channelDistance(p, q));
                    matched = matched || (isCurve(q) && hueDistance(p, q) <= SameHue);
                }
            }
            c.curvePixels += curve;
            if (!matched && c.unmatchedCurvePixels++ == 0)
                c.firstUnmatched = QPoint(x, y);
            c.differingPixels += nearest > ChannelTolerance;
        }
    }
    return c;
}

void settle()
{
    while (QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents)) {
    }
}

} // namespace

class LookTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void piecewiseLooksLikePlainStroking_data();
    void piecewiseLooksLikePlainStroking();
    void pensKeepTheirProperties();

private:
    // The plot as it is rendered on screen, with the chosen rasteriser.
    static QImage render(QCustomPlot *plot, bool plain);
    void open(const QString &spectrumButton, int entry, int count);

    std::unique_ptr<MainWindow> window;
    QCustomPlot *spectrum = nullptr;
    QCustomPlot *signal = nullptr;
    QDir artefacts;
};

void LookTest::initTestCase()
{
    artefacts = QDir(QStringLiteral(QUARNEL_LOOK_DIR));
    QVERIFY(artefacts.mkpath(QStringLiteral(".")));
}

void LookTest::init()
{
    window = makeWindow();
    spectrum = find<QCustomPlot>(window.get(), "widget");
    signal = find<QCustomPlot>(window.get(), "widget_2");
}

void LookTest::cleanup()
{
    CurveGraph::setPlainStroking(false);
    window.reset();
}

QImage LookTest::render(QCustomPlot *plot, bool plain)
{
    CurveGraph::setPlainStroking(plain);
    plot->replot(QCustomPlot::rpImmediateRefresh);
    CurveGraph::setPlainStroking(false);
    return plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void LookTest::open(const QString &spectrumButton, int entry, int count)
{
    QTest::mouseClick(find<QPushButton>(window.get(), qPrintable(spectrumButton)), Qt::LeftButton);
    pick(find<QComboBox>(window.get(), "comboBox"), entry);
    if (count > 0)
        find<QSpinBox>(window.get(), "spinBox_2")->setValue(count);
    if (spectrumButton == QLatin1String("pushButton_3") && entry == 3) {
        // A wavy stroke across most of the band, released: spline and signal.
        press(spectrum, pixelOf(spectrum, 0.3, 0.2));
        for (double f = 0.4; f < 4.5; f += 0.1)
            move(spectrum, pixelOf(spectrum, f, 0.5 + 0.3 * std::sin(f * 3)));
        release(spectrum, pixelOf(spectrum, 4.5, 0.4));
    }
    settle();
}

void LookTest::piecewiseLooksLikePlainStroking_data()
{
    QTest::addColumn<QString>("spectrumButton");
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("count");

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

void LookTest::piecewiseLooksLikePlainStroking()
{
    QFETCH(QString, spectrumButton);
    QFETCH(int, entry);
    QFETCH(int, count);

    open(spectrumButton, entry, count);
    QCOMPARE(window->size(), QSize(1920, 1080));
    for (QCustomPlot *plot : {spectrum, signal}) {
        const QString name = QStringLiteral("%1-%2").arg(
            QString::fromLatin1(QTest::currentDataTag()),
            plot == spectrum ? QStringLiteral("spectrum") : QStringLiteral("signal"));
        const QImage plain = render(plot, true);
        const QImage piecewise = render(plot, false);
        QVERIFY(plain.save(artefacts.filePath(name + QStringLiteral("-plain.png"))));
        QVERIFY(piecewise.save(artefacts.filePath(name + QStringLiteral("-piecewise.png"))));
        QCOMPARE(piecewise.size(), plain.size());

        const Comparison there = compare(plain, piecewise);
        const Comparison back = compare(piecewise, plain);
        const int allowed = int(DifferingShare * plain.width() * plain.height());
        QString report =
            QStringLiteral("%1: curve pixels %2/%3, unmatched %4/%5 (first at %6,%7 / %8,%9), "
                           "differing %10/%11 of at most %12")
                .arg(name)
                .arg(there.curvePixels)
                .arg(back.curvePixels)
                .arg(there.unmatchedCurvePixels)
                .arg(back.unmatchedCurvePixels)
                .arg(there.firstUnmatched.x())
                .arg(there.firstUnmatched.y())
                .arg(back.firstUnmatched.x())
                .arg(back.firstUnmatched.y())
                .arg(there.differingPixels)
                .arg(back.differingPixels)
                .arg(allowed);
        const double plainInk = ink(plain);
        const double inkRatio = plainInk > 0 ? ink(piecewise) / plainInk : 1.0;
        report += QStringLiteral(", ink %1").arg(inkRatio, 0, 'f', 4);
        qInfo("%s", qPrintable(report));
        // Every signal here is a coloured curve, so the matching is not vacuous
        // (harmonic 1 is black, like the grid).
        if (plot == signal)
            QVERIFY2(there.curvePixels > 1000, qPrintable(report));
        QVERIFY2(there.unmatchedCurvePixels == 0 && back.unmatchedCurvePixels == 0,
                 qPrintable(report));
        QVERIFY2(there.differingPixels < allowed && back.differingPixels < allowed,
                 qPrintable(report));
        QVERIFY2(std::fabs(inkRatio - 1.0) < InkTolerance, qPrintable(report));
    }
}

void LookTest::pensKeepTheirProperties()
{
    // Only the rasterising changes: the pens read back as the submodes set them.
    open(QStringLiteral("pushButton_2"), 1, 0);
    for (QCustomPlot *plot : {spectrum, signal}) {
        QCPGraph *const graph = plot->graph(0);
        QVERIFY(qobject_cast<CurveGraph *>(graph));
        QCOMPARE(graph->pen().style(), Qt::SolidLine);
        QCOMPARE(graph->pen().capStyle(), Qt::SquareCap);
        QCOMPARE(graph->pen().joinStyle(), Qt::BevelJoin);
        QVERIFY(graph->antialiased());
    }
    QCOMPARE(signal->graph(0)->pen().color(), QColor(Qt::red));
    QCOMPARE(signal->graph(0)->pen().width(), 3);
    QCOMPARE(signal->graph(0)->lineStyle(), QCPGraph::lsLine);
    QCOMPARE(signal->graph(0)->dataCount(), 1001);
}

QTEST_MAIN(LookTest)
#include "tst_look.moc"
