#ifndef FOURIER_H
#define FOURIER_H

#include <QVector>
#include <complex>

namespace Fourier {

// In-place iterative radix-2 transform with a positive exponent and no
// scaling: afterwards z[k] = sum over m of z[m] exp(+2 pi i m k / N).
// N = z.size() must be a power of two (1 is allowed).
void transform(QVector<std::complex<double>> &z);

} // namespace Fourier

#endif // FOURIER_H
