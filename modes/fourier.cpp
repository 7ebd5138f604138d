// SPDX-License-Identifier: GPL-3.0-or-later
#include "fourier.h"

#include <cmath>
#include <utility>

namespace {

constexpr double TwoPi = 6.283185307179586;

} // namespace

namespace Fourier {

Twiddles::Twiddles(int n) : n(n), factors(qMax(n / 2, 0))
{
    for (int k = 0; k < factors.size(); ++k) {
        const double angle = TwoPi * k / n;
        factors[k] = std::complex<double>(std::cos(angle), std::sin(angle));
    }
}

void transform(QVector<std::complex<double>> &z, const Twiddles &twiddles)
{
    const int n = z.size();
    Q_ASSERT(n == twiddles.size());
    if (n < 2)
        return;

    // Bit-reversal reordering: j runs as the mirror image of i.
    int j = 0;
    for (int i = 1; i < n; ++i) {
        int m = n / 2;
        while (m >= 1 && j >= m) {
            j -= m;
            m /= 2;
        }
        j += m;
        if (i < j)
            std::swap(z[i], z[j]);
    }

    // Butterflies. Within one block length every butterfly is independent, so
    // k runs outermost and each twiddle factor is read only once.
    std::complex<double> *const data = z.data();
    const std::complex<double> *const table = twiddles.data();
    for (int length = 2; length <= n; length *= 2) {
        const int half = length / 2;
        const int stride = n / length;
        for (int k = 0; k < half; ++k) {
            const std::complex<double> w = table[k * stride];
            for (int start = 0; start < n; start += length) {
                std::complex<double> &upper = data[start + k];
                std::complex<double> &lower = data[start + k + half];
                // Written out: the library's complex product also checks for
                // infinities, which costs more than the butterfly itself.
                const std::complex<double> t(w.real() * lower.real() - w.imag() * lower.imag(),
                                             w.real() * lower.imag() + w.imag() * lower.real());
                lower = upper - t;
                upper += t;
            }
        }
    }
}

void transform(QVector<std::complex<double>> &z)
{
    transform(z, Twiddles(z.size()));
}

} // namespace Fourier
