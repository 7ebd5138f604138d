// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SPLINE_H
#define SPLINE_H

#include <QVector>

// The natural cubic spline (second derivative 0 at both ends) through points
// with strictly increasing abscissae. On the interval (x[j-1], x[j]] it is
//   a[j] + b[j] D + c[j] D^2 / 2 + d[j] D^3 / 6,  D = f - x[j],
// so every interval uses the coefficients of its right-hand knot: a holds the
// values, b the slopes, c the curvatures and d the third derivatives.
namespace Spline {

// Fills slopes, curvatures and thirdDerivatives, each resized to the number of
// knots, for the values at the knots. Two knots give the straight line
// between them; fewer give all zeros.
void fitNatural(const QVector<double> &knots, const QVector<double> &values,
                QVector<double> &slopes, QVector<double> &curvatures,
                QVector<double> &thirdDerivatives);

// The spline at f, found by bisection; 0 outside [knots.first(), knots.last()],
// the ends themselves counting as inside.
double valueAt(const QVector<double> &knots, const QVector<double> &values,
               const QVector<double> &slopes, const QVector<double> &curvatures,
               const QVector<double> &thirdDerivatives, double f);

} // namespace Spline

#endif // SPLINE_H
