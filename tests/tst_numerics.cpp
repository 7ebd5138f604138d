// The drawn spectrum's numerics on their own: the natural cubic spline and the
// radix-2 transform.
#include "fourier.h"
#include "spline.h"

#include <QtTest>

#include <complex>
#include <random>

struct Fit
{
    QVector<double> x, a, b, c, d;
    Fit(const QVector<double> &knots, const QVector<double> &values) : x(knots), a(values)
    {
        Spline::fitNatural(x, a, b, c, d);
    }
    double at(double f) const { return Spline::valueAt(x, a, b, c, d, f); }
};

class NumericsTest : public QObject
{
    Q_OBJECT

private slots:
    void splineKnownAnswer();
    void splineJoinsSmoothlyThroughEveryKnot_data();
    void splineJoinsSmoothlyThroughEveryKnot();
    void splineKeepsAStraightLineAndIsZeroOutside();
    void transformMatchesDirectSum_data();
    void transformMatchesDirectSum();
};

void NumericsTest::splineKnownAnswer()
{
    // Through (0,0), (1,1), (2,0): curvature -3 at the middle, 11/16 half way up.
    const Fit fit({0.0, 1.0, 2.0}, {0.0, 1.0, 0.0});
    QCOMPARE(fit.c, QVector<double>({0.0, -3.0, 0.0}));
    QCOMPARE(fit.at(0.5), 0.6875);
    QCOMPARE(fit.at(1.5), 0.6875);
}

void NumericsTest::splineJoinsSmoothlyThroughEveryKnot_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("three points") << 3;
    QTest::newRow("four points") << 4;
    QTest::newRow("a long stroke") << 60;
}

void NumericsTest::splineJoinsSmoothlyThroughEveryKnot()
{
    QFETCH(int, n);
    // Irregular gaps and wandering levels, as a quick stroke leaves them.
    std::mt19937 random(2024u + n);
    std::uniform_real_distribution<double> gap(0.001, 0.4), level(0.0, 1.0);
    QVector<double> x{0.2}, y{level(random)};
    while (x.size() < n) {
        x << x.last() + gap(random);
        y << level(random);
    }
    const Fit fit(x, y);
    QCOMPARE(fit.d.size(), n);
    for (int i = 0; i < n; ++i)
        QVERIFY(std::fabs(fit.at(x[i]) - y[i]) < 1e-12);
    // Interval i + 1 is a cubic about x[i + 1]; at its left end x[i] its slope
    // and curvature must meet those with which interval i ends.
    for (int i = 1; i < n - 1; ++i) {
        const double h = x[i + 1] - x[i];
        const double scale = 1e-9 * (1 + std::fabs(fit.b[i]) + std::fabs(fit.c[i]));
        QVERIFY(std::fabs(fit.b[i + 1] - fit.c[i + 1] * h + fit.d[i + 1] * h * h / 2 - fit.b[i]) <
                scale);
        QVERIFY(std::fabs(fit.c[i + 1] - fit.d[i + 1] * h - fit.c[i]) < scale);
    }
    // Natural ends, seen on the curve: a central second difference is exact
    // for a cubic, and the curvature grows from 0 at the end as d e.
    const double e = (x[1] - x[0]) / 10;
    const double left = (fit.at(x[0]) - 2 * fit.at(x[0] + e) + fit.at(x[0] + 2 * e)) / (e * e);
    QVERIFY(std::fabs(left - fit.d[1] * e) < 1e-4 * (1 + std::fabs(fit.d[1])));
}

void NumericsTest::splineKeepsAStraightLineAndIsZeroOutside()
{
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
    QCOMPARE(fit.at(40.0), 0.0);
}

void NumericsTest::transformMatchesDirectSum_data()
{
    QTest::addColumn<int>("n");
    for (int n : {1, 2, 8, 64, 4096})
        QTest::addRow("N = %d", n) << n;
}

void NumericsTest::transformMatchesDirectSum()
{
    QFETCH(int, n);
    std::mt19937 random(4097u + n);
    std::uniform_real_distribution<double> sample(-1.0, 1.0);
    QVector<std::complex<double>> z(n), root(n);
    for (int m = 0; m < n; ++m) {
        z[m] = {sample(random), sample(random)};
        root[m] = std::polar(1.0, 6.283185307179586 * m / n);
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

QTEST_APPLESS_MAIN(NumericsTest)
#include "tst_numerics.moc"
