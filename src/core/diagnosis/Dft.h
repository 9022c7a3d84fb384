#pragma once

#include <vector>

// The spectrum of one sample block: n/2 magnitudes of a plain discrete Fourier transform with the
// phase step -6.28318530718 / n (that constant, not the exact 2 pi), no window and no scaling, so
// bin 0 is the sum of the samples.
class CDft {
public:
    virtual ~CDft() = default;

    // Replaces the magnitudes with n/2 new ones; n of 0 or below leaves none.
    void Compute(const double* values, int n);
    // Copies the magnitudes, in bin order, to out[0], out[1], ...
    void CopyMagnitudes(double* out) const;
    const std::vector<double>& Magnitudes() const { return m_magnitudes; }

    // The same magnitudes by the textbook double sum, one cosine and sine per term: the reference
    // Compute is measured and checked against.
    static std::vector<double> ComputeDirect(const double* values, int n);

private:
    void BuildTables(int n);
    void ComputeFast(const double* values, int n);
    void ComputeTable(const double* values, int n);

    std::vector<double> m_magnitudes;
    // Built once per n: cos/sin(2 pi m / n), and for n not a power of two cos/sin of the
    // constant's own m * w and of its whole turns.
    int m_tableN = 0;
    std::vector<double> m_cos;
    std::vector<double> m_sin;
    std::vector<double> m_turnCos;
    std::vector<double> m_turnSin;
    std::vector<int> m_reversed;
    std::vector<double> m_re;
    std::vector<double> m_im;
};
