#include "core/diagnosis/Dft.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTurn = 6.28318530718;
constexpr double kTwoPi = 6.283185307179586476925;
// The constant is a little more than 2 pi: over the j * k steps of one transform this adds up
// to about 1e-10 rad, which is far above rounding and must be kept.
constexpr double kExcess = kTurn - kTwoPi;

bool IsPowerOfTwo(int n) {
    return n >= 2 && (n & (n - 1)) == 0;
}

}  // namespace

std::vector<double> CDft::ComputeDirect(const double* values, int n) {
    std::vector<double> out;
    if (n <= 0) {
        return out;
    }
    const double w = -kTurn / n;
    for (int k = 0; k < n / 2; ++k) {
        double re = 0.0;
        double im = 0.0;
        for (int j = 0; j < n; ++j) {
            re += std::cos(j * (k * w)) * values[j];
            im += std::sin(j * (k * w)) * values[j];
        }
        out.push_back(std::sqrt(re * re + im * im));
    }
    return out;
}

void CDft::BuildTables(int n) {
    m_tableN = n;
    if (IsPowerOfTwo(n)) {
        m_cos.resize(n / 2);
        m_sin.resize(n / 2);
        for (int m = 0; m < n / 2; ++m) {
            m_cos[m] = std::cos(kTwoPi * m / n);
            m_sin[m] = std::sin(kTwoPi * m / n);
        }
        m_reversed.resize(n);
        int bits = 0;
        while ((1 << bits) < n) {
            ++bits;
        }
        for (int i = 0; i < n; ++i) {
            int r = 0;
            for (int b = 0; b < bits; ++b) {
                r |= ((i >> b) & 1) << (bits - 1 - b);
            }
            m_reversed[i] = r;
        }
        m_re.resize(n);
        m_im.resize(n);
        return;
    }
    const double w = -kTurn / n;
    m_cos.resize(n);
    m_sin.resize(n);
    for (int m = 0; m < n; ++m) {
        m_cos[m] = std::cos(m * w);
        m_sin[m] = std::sin(m * w);
    }
    // j * k stays below n * n / 2, so fewer than n / 2 whole turns are ever passed.
    const int turns = n / 2 + 1;
    m_turnCos.resize(turns);
    m_turnSin.resize(turns);
    for (int q = 0; q < turns; ++q) {
        m_turnCos[q] = std::cos(q * (n * w));
        m_turnSin[q] = std::sin(q * (n * w));
    }
}

void CDft::Compute(const double* values, int n) {
    m_magnitudes.clear();
    if (n <= 0) {
        return;
    }
    if (n != m_tableN) {
        BuildTables(n);
    }
    if (IsPowerOfTwo(n)) {
        ComputeFast(values, n);
    } else {
        ComputeTable(values, n);
    }
}

void CDft::ComputeFast(const double* values, int n) {
    // With c the constant, e^(-i c j k / n) = e^(-2 pi i j k / n) * e^(-i (c - 2 pi) j k / n), and
    // the second factor is 1 - i (c - 2 pi) j k / n to within 1e-20. So X(k) = F(k) - i e k / n
    // G(k), with F the exact transform of x(j) and G that of j x(j): both real, so one complex
    // FFT of x(j) + i j x(j) carries them.
    double* re = m_re.data();
    double* im = m_im.data();
    for (int j = 0; j < n; ++j) {
        const int r = m_reversed[j];
        re[r] = values[j];
        im[r] = j * values[j];
    }
    for (int size = 2; size <= n; size *= 2) {
        const int half = size / 2;
        const int step = n / size;
        for (int start = 0; start < n; start += size) {
            for (int i = 0; i < half; ++i) {
                const double c = m_cos[i * step];
                const double s = -m_sin[i * step];
                const int a = start + i;
                const int b = a + half;
                const double tr = re[b] * c - im[b] * s;
                const double ti = re[b] * s + im[b] * c;
                re[b] = re[a] - tr;
                im[b] = im[a] - ti;
                re[a] += tr;
                im[a] += ti;
            }
        }
    }
    m_magnitudes.resize(n / 2);
    for (int k = 0; k < n / 2; ++k) {
        const int mirror = (n - k) % n;
        // F = (Z(k) + conj Z(n-k)) / 2, G = (Z(k) - conj Z(n-k)) / 2i.
        const double fr = (re[k] + re[mirror]) / 2;
        const double fi = (im[k] - im[mirror]) / 2;
        const double gr = (im[k] + im[mirror]) / 2;
        const double gi = -(re[k] - re[mirror]) / 2;
        const double e = kExcess * k / n;
        const double xr = fr + e * gi;
        const double xi = fi - e * gr;
        m_magnitudes[k] = std::sqrt(xr * xr + xi * xi);
    }
}

void CDft::ComputeTable(const double* values, int n) {
    const double* c = m_cos.data();
    const double* s = m_sin.data();
    m_magnitudes.reserve(n / 2);
    for (int k = 0; k < n / 2; ++k) {
        // The angle j * k * w is (q * n + m) * w: the table gives m * w, and each run of equal q
        // is summed first and then turned by q * n * w as a whole.
        double re = 0.0;
        double im = 0.0;
        int j = 0;
        int m = 0;
        int q = 0;
        while (j < n) {
            const int end = k == 0 ? n : std::min(n, ((q + 1) * n + k - 1) / k);
            double runRe = 0.0;
            double runIm = 0.0;
            for (; j < end; ++j) {
                runRe += c[m] * values[j];
                runIm += s[m] * values[j];
                m += k;
                if (m >= n) {
                    m -= n;
                }
            }
            re += runRe * m_turnCos[q] - runIm * m_turnSin[q];
            im += runRe * m_turnSin[q] + runIm * m_turnCos[q];
            ++q;
        }
        m_magnitudes.push_back(std::sqrt(re * re + im * im));
    }
}

void CDft::CopyMagnitudes(double* out) const {
    std::copy(m_magnitudes.begin(), m_magnitudes.end(), out);
}
