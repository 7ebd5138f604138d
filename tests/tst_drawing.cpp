// The drawn spectrum: strokes made with real mouse events on the spectrum plot,
// the spline and the synthesised signal read back from the plots, and the
// spline and the transform on their own.
#include "fourier.h"
#include "modecontroller.h"
#include "spline.h"
#include "submode.h"
#include "testsupport.h"

#include <QLabel>
#include <QtTest>
#include <qcustomplot.h>

#include <complex>
#include <random>

using namespace TestSupport;

namespace {
const double TwoPi = 6.283185307179586;

struct Fit
{
    QVector<double> x, a, b, c, d;
    Fit(const QVector<double> &knots, const QVector<double> &values) : x(knots), a(values)
    {
        Spline::fitNatural(x, a, b, c, d);
    }
    double at(double f) const { return Spline::valueAt(x, a, b, c, d, f); }
};
} // namespace

class DrawingTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        openWindow();
        click("pushButton_3");
        pickEntry(3);
    }

    void strokeKeepsPointsFurtherRightOnTheBorder()
    {
        QVERIFY(hint()->isVisible());
        QCOMPARE(spectrum->graph(0)->dataCount(), 0);
        const QRect rect = spectrum->axisRect()->rect();
        const QPoint start = at(1.0, 0.2), kept = at(2.5, 1.04);
        stroke({start, at(0.5, 0.9), kept, at(1.5, 0.3), QPoint(kept.x(), at(0, 0.5).y())}, false);
        QVERIFY(hint()->isHidden());
        QCOMPARE(drawnKeys(), QVector<double>({point(start).x(), point(kept).x()}));
        QCOMPARE(drawnValues(), QVector<double>({point(start).y(), 1.0})); // 1.0 to 1.1 counts as 1
        QCOMPARE(spectrum->graph(0)->lineStyle(), QCPGraph::lsLine);
        QCOMPARE(signal->graphCount(), 0);
        // Past the right edge and below the plot: the stroke ends at (5 Hz, 0).
        move(spectrum, rect.bottomRight() + QPoint(40, 25));
        move(spectrum, rect.bottomRight() + QPoint(80, 5));
        QCOMPARE(drawnKeys().mid(2), QVector<double>({5.0}));
        QCOMPARE(drawnValues().last(), 0.0);
        release(spectrum, rect.bottomRight());
        QCOMPARE(drawnKeys().size(), 501);
        QCOMPARE(signal->graphCount(), 1);
        QCOMPARE(signal->graph(0)->pen().color(), QColor(Qt::red));
        pickEntry(0);
        QVERIFY(hint()->isHidden());
    }

    void fewPointsFinishAsImpulses_data()
    {
        QTest::addColumn<QVector<double>>("frequencies");
        QTest::newRow("click without a move") << QVector<double>{2.5};
        QTest::newRow("click left of the axes") << QVector<double>{-0.1};
        QTest::newRow("two points, then leftward") << QVector<double>{1.0, 4.0, 3.0, 0.5};
    }
    void fewPointsFinishAsImpulses()
    {
        QFETCH(QVector<double>, frequencies);
        QVector<QPoint> pixels;
        for (double f : frequencies)
            pixels << at(f, 0.6);
        stroke(pixels);
        QCOMPARE(spectrum->graph(0)->lineStyle(), QCPGraph::lsImpulse);
        QCOMPARE(drawnKeys().size(), std::min(int(frequencies.size()), 2));
        for (int i = 0; i < drawnKeys().size(); ++i)
            QCOMPARE(QPointF(drawnKeys()[i], drawnValues()[i]), point(pixels[i]));
        QCOMPARE(signal->graphCount(), 0);
    }

    void secondStrokeWaitsForClearing()
    {
        stroke({at(0.5, 0.1), at(1.0, 0.7), at(1.5, 0.3), at(2.0, 0.8)});
        const QVector<double> before = drawnValues();
        hint()->show(); // a refused press still hides it
        const QVector<QPoint> second{at(3.0, 0.9), at(3.5, 0.2), at(4.0, 0.9)};
        stroke(second);
        QVERIFY(hint()->isHidden());
        QCOMPARE(drawnValues(), before);

        window->modeController()->currentSubmode()->setParameter(0, 0.5); // not a clearing
        QCOMPARE(drawnValues(), before);
        click("pushButton_5");
        QCOMPARE(spectrum->graph(0)->dataCount(), 0);
        QCOMPARE(spectrum->graph(0)->lineStyle(), QCPGraph::lsLine);
        QCOMPARE(signal->graphCount(), 0);
        QVERIFY(hint()->isHidden());
        stroke(second);
        QCOMPARE(drawnValues().at(290), 0.0);
        QCOMPARE(signal->graphCount(), 1);

        // "Очистить спектр" can be pressed from the keyboard while the mouse
        // button is still held on the plot: the stroke starts afresh.
        click("pushButton_5");
        stroke({at(2.0, 0.5), at(3.0, 0.5)}, false);
        click("pushButton_5");
        move(spectrum, at(1.0, 0.3));
        QCOMPARE(drawnKeys(), QVector<double>({point(at(1.0, 0.3)).x()}));
        move(spectrum, at(1.5, 0.6));
        move(spectrum, at(2.5, 0.6));
        release(spectrum, at(2.5, 0.6));
        QCOMPARE(drawnKeys().size(), 501);

        // Releases with nothing drawn, stray or after a clearing mid-stroke,
        // leave the drawing open for the next stroke.
        click("pushButton_5");
        release(spectrum, at(1.0, 0.5));
        press(spectrum, at(2.0, 0.5));
        click("pushButton_5");
        release(spectrum, at(2.0, 0.5));
        stroke(second);
        QCOMPARE(signal->graphCount(), 1);
    }

    void signalIsTheCosineSumOfTheSpline()
    {
        // A quick stroke: few points far apart, so the spline swings beyond 0..1.
        stroke({at(0.4, 0.1), at(0.9, 0.95), at(1.3, 0.05), at(2.6, 0.6), at(2.7, 0.65)}, false);
        const Fit fit(drawnKeys(), drawnValues());
        release(spectrum, at(2.7, 0.65));
        const QVector<double> s = drawnValues();
        for (int i = 0; i <= 500; ++i) {
            QCOMPARE(drawnKeys()[i], i * 0.01);
            QCOMPARE(s[i], fit.at(i * 0.01));
        }
        QCOMPARE(s[39], 0.0);
        QCOMPARE(s[271], 0.0);
        QVERIFY(*std::min_element(s.begin(), s.end()) < 0.0);

        const QVector<double> t = keys(signal->graph(0)), y = values(signal->graph(0));
        QCOMPARE(t.size(), 4097);
        QVector<double> sum(t.size(), 0.0);
        double largest = 0.0, worst = 0.0, peak = 0.0;
        for (int j = 0; j < t.size(); ++j) {
            QCOMPARE(t[j], (j - 2048) * 0.0244140625); // -50 s to +50 s
            for (int n = 0; n <= 500; ++n)
                sum[j] += s[n] * std::cos(TwoPi * n * 0.01 * t[j]);
            largest = std::max(largest, std::fabs(sum[j]));
        }
        for (int j = 0; j < t.size(); ++j) {
            worst = std::max(worst, std::fabs(y[j] - sum[j] / largest));
            peak = std::max(peak, std::fabs(y[j]));
        }
        QVERIFY2(worst < 1e-9, qPrintable(QString::number(worst)));
        QCOMPARE(peak, 1.0);
    }

    void gaussianStrokeBuildsItsCarrier()
    {
        // The "Гауссов" line at 3 Hz, 0.6 Hz wide at 1/e, drawn every 3 pixels,
        // must build that line's signal: exp(-2 pi^2 s^2 t^2) cos(2 pi 3 t).
        const double f0 = 3.0, s = 0.6 / (2 * std::sqrt(2.0));
        QVector<QPoint> pixels;
        for (int px = at(0.0, 0).x(); px <= at(5.0, 0).x() + 3; px += 3) {
            const double f = spectrum->xAxis->pixelToCoord(px);
            pixels << at(f, std::exp(-(f - f0) * (f - f0) / (2 * s * s)));
        }
        stroke(pixels);
        const QVector<double> t = keys(signal->graph(0)), y = values(signal->graph(0));
        for (int j = 2048 - 409; j <= 2048 + 409; ++j) { // -10 s to 10 s
            const double expected =
                std::exp(-TwoPi * TwoPi / 2 * s * s * t[j] * t[j]) * std::cos(TwoPi * f0 * t[j]);
            QVERIFY2(std::fabs(y[j] - expected) < 0.005, qPrintable(QString::number(t[j])));
        }
    }

    void strokeAtZeroGivesTheZeroSignal()
    {
        const int below = spectrum->axisRect()->rect().bottom() + 30;
        stroke({QPoint(at(1.0, 0).x(), below), at(2.0, 0.0), QPoint(at(4.0, 0).x(), below)});
        QCOMPARE(drawnValues(), QVector<double>(501, 0.0));
        QCOMPARE(values(signal->graph(0)), QVector<double>(4097, 0.0));
    }

    void splineJoinsSmoothlyThroughEveryKnot()
    {
        for (const int n : {3, 4, 60}) {
            // Irregular gaps and wandering levels, as a quick stroke leaves them.
            std::mt19937 random(2024u + n);
            std::uniform_real_distribution<double> gap(0.001, 0.4), level(0.0, 1.0);
            QVector<double> x{0.2}, y{level(random)};
            while (x.size() < n) {
                x << x.last() + gap(random);
                y << level(random);
            }
            const Fit fit(x, y);
            for (int i = 0; i < n; ++i)
                QVERIFY(std::fabs(fit.at(x[i]) - y[i]) < 1e-12);
            // Interval i + 1 is a cubic about x[i + 1]; at its left end x[i] its
            // slope and curvature must meet those with which interval i ends.
            for (int i = 1; i < n - 1; ++i) {
                const double h = x[i + 1] - x[i], d = fit.d[i + 1];
                const double tolerance = 1e-9 * (1 + std::fabs(fit.b[i]) + std::fabs(fit.c[i]));
                QVERIFY(std::fabs(fit.b[i + 1] - fit.c[i + 1] * h + d * h * h / 2 - fit.b[i]) <
                        tolerance);
                QVERIFY(std::fabs(fit.c[i + 1] - d * h - fit.c[i]) < tolerance);
            }
            // Natural ends, seen on the curve: a central second difference is
            // exact for a cubic, and the curvature grows from 0 at the end as d e.
            const double e = (x[1] - x[0]) / 10, d = fit.d[1];
            const double left =
                (fit.at(x[0]) - 2 * fit.at(x[0] + e) + fit.at(x[0] + 2 * e)) / e / e;
            QVERIFY(std::fabs(left - d * e) < 1e-4 * (1 + std::fabs(d)));
        }
    }

    void splineKeepsAStraightLineAndIsZeroOutside()
    {
        // Through (0,0), (1,1), (2,0): curvature -3 at the middle, 11/16 half way up.
        const Fit peak({0.0, 1.0, 2.0}, {0.0, 1.0, 0.0});
        QCOMPARE(peak.c, QVector<double>({0.0, -3.0, 0.0}));
        QCOMPARE(QVector<double>({peak.at(0.5), peak.at(1.5)}), QVector<double>(2, 0.6875));

        const QVector<double> x{0.5, 0.53, 1.0, 1.01, 2.5, 4.75, 5.0};
        QVector<double> y;
        for (double f : x)
            y << 0.9 - 0.17 * f;
        const Fit fit(x, y);
        for (double c : fit.c)
            QVERIFY(std::fabs(c) < 1e-13);
        for (double f = 0.5; f <= 5.0; f += 0.01)
            QVERIFY(std::fabs(fit.at(f) - (0.9 - 0.17 * f)) < 1e-13);
        QCOMPARE(fit.at(5.0), y.last());
        QCOMPARE(fit.at(std::nextafter(0.5, 0.0)), 0.0);
        QCOMPARE(fit.at(std::nextafter(5.0, 6.0)), 0.0);
    }

    void transformMatchesDirectSum_data()
    {
        QTest::addColumn<int>("n");
        for (int n : {1, 2, 8, 64, 4096})
            QTest::addRow("N = %d", n) << n;
    }
    void transformMatchesDirectSum()
    {
        QFETCH(int, n);
        std::mt19937 random(4097u + n);
        std::uniform_real_distribution<double> sample(-1.0, 1.0);
        QVector<std::complex<double>> z(n), root(n);
        for (int m = 0; m < n; ++m) {
            z[m] = {sample(random), sample(random)};
            root[m] = std::polar(1.0, TwoPi * m / n);
        }
        const QVector<std::complex<double>> input = z;
        Fourier::transform(z);
        for (int k = 0; k < n; ++k) {
            std::complex<double> sum = 0.0; // exponent +2 pi i m k / N, no scaling
            for (int m = 0; m < n; ++m)
                sum += input[m] * root[int(qint64(m) * k % n)];
            QVERIFY2(std::abs(sum - z[k]) < 1e-10 * n, qPrintable(QString::number(k)));
        }
    }

private:
    QPoint at(double f, double a) const { return pixelOf(spectrum, f, a); }
    // The drawn point that a press or move at this pixel must add.
    QPointF point(QPoint pixel) const
    {
        return QPointF(qBound(0.0, spectrum->xAxis->pixelToCoord(pixel.x()), 5.0),
                       qBound(0.0, spectrum->yAxis->pixelToCoord(pixel.y()), 1.0));
    }

    void stroke(const QVector<QPoint> &pixels, bool finish = true)
    {
        press(spectrum, pixels.first());
        for (QPoint p : pixels.mid(1))
            move(spectrum, p);
        if (finish)
            release(spectrum, pixels.last());
    }
    QVector<double> drawnKeys() const { return keys(spectrum->graph(0)); }
    QVector<double> drawnValues() const { return values(spectrum->graph(0)); }
    QLabel *hint() const { return find<QLabel>("label_28"); }
};

QTEST_MAIN(DrawingTest)
#include "tst_drawing.moc"
