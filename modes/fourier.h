// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FOURIER_H
#define FOURIER_H

#include <QVector>
#include <complex>

namespace Fourier {

// The twiddle factors of one transform size N: exp(+2 pi i k / N) for k below
// N / 2. Every stage of a transform of that size reads its factors from this
// one table, so a transform repeated at the same size computes no sine or
// cosine at all. Stage factors exp(2 pi i k / L) come out bit for bit the same
// as when computed directly, since k N / L and N differ from k and L by the
// same power of two.
class Twiddles
{
public:
    explicit Twiddles(int n);

    int size() const { return n; }
    const std::complex<double> *data() const { return factors.constData(); }

private:
    int n;
    QVector<std::complex<double>> factors;
};

// In-place iterative radix-2 transform with a positive exponent and no
// scaling: afterwards z[k] = sum over m of z[m] exp(+2 pi i m k / N).
// N = z.size() must be a power of two (1 is allowed) and equal twiddles.size().
void transform(QVector<std::complex<double>> &z, const Twiddles &twiddles);

// The same for a one-off transform: builds the table of z.size() first.
void transform(QVector<std::complex<double>> &z);

} // namespace Fourier

#endif // FOURIER_H
