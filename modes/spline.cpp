// SPDX-License-Identifier: GPL-3.0-or-later
#include "spline.h"

namespace Spline {

void fitNatural(const QVector<double> &knots, const QVector<double> &values,
                QVector<double> &slopes, QVector<double> &curvatures,
                QVector<double> &thirdDerivatives)
{
    const QVector<double> &x = knots;
    const QVector<double> &y = values;
    const int n = x.size();
    slopes.fill(0.0, n);
    curvatures.fill(0.0, n);
    thirdDerivatives.fill(0.0, n);
    if (n < 2)
        return;

    // Tridiagonal sweep for the curvatures: c[i] = alpha[i] c[i+1] + beta[i],
    // with alpha[0] = beta[0] = 0 holding the left end straight.
    QVector<double> alpha(n - 1, 0.0);
    QVector<double> beta(n - 1, 0.0);
    for (int i = 1; i < n - 1; ++i) {
        const double hLeft = x[i] - x[i - 1];
        const double hRight = x[i + 1] - x[i];
        const double diagonal = 2 * (hRight + hLeft);
        const double rhs = 6.0 * ((y[i + 1] - y[i]) / hRight - (y[i] - y[i - 1]) / hLeft);
        const double z = alpha[i - 1] * hLeft + diagonal;
        alpha[i] = -hRight / z;
        beta[i] = (rhs - beta[i - 1] * hLeft) / z;
    }

    QVector<double> &c = curvatures;
    c[n - 1] = 0.0;
    c[0] = 0.0;
    for (int i = n - 2; i > 0; --i)
        c[i] = c[i + 1] * alpha[i] + beta[i];

    for (int i = n - 1; i > 0; --i) {
        const double h = x[i] - x[i - 1];
        thirdDerivatives[i] = (c[i] - c[i - 1]) / h;
        slopes[i] = (2 * c[i] + c[i - 1]) * h / 6.0 + (y[i] - y[i - 1]) / h;
    }
}

double valueAt(const QVector<double> &knots, const QVector<double> &values,
               const QVector<double> &slopes, const QVector<double> &curvatures,
               const QVector<double> &thirdDerivatives, double f)
{
    const int n = knots.size();
    if (n < 2 || f < knots.first() || f > knots.last())
        return 0.0;

    int lo = 0;
    int hi = n - 1;
    while (lo + 1 < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (f <= knots[mid])
            hi = mid;
        else
            lo = mid;
    }
    const int j = hi;
    const double delta = f - knots[j];
    return values[j] +
           (slopes[j] + (curvatures[j] * 0.5 + thirdDerivatives[j] * delta / 6.0) * delta) * delta;
}

} // namespace Spline
