// The spectrum against the textbook double sum it replaces, and against signals whose spectrum
// is known.
#include "core/diagnosis/Dft.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

namespace {

TEST(Dft, AgreesWithTheDirectSumBinByBin) {
    std::mt19937 random(5);
    std::vector<double> noise(512);
    for (double& v : noise) {
        v = static_cast<double>(random() % 256);
    }
    std::vector<double> ramp(12);
    for (size_t j = 0; j < ramp.size(); ++j) {
        ramp[j] = 10.0 * j + 3;
    }
    // A receiver's block: a square wave of 14.4 samples a period between two levels, with noise.
    std::vector<double> square(512);
    for (int j = 0; j < 512; ++j) {
        square[j] = static_cast<int>(j / 7.2) % 2 == 0 ? 180.0 + random() % 9 : 70.0 + random() % 9;
    }
    const struct {
        const char* name;
        std::vector<double> x;
    } cases[] = {
        {"square wave", square},
        {"noise", noise},
        {"n not a power of two", ramp},
    };
    for (const auto& c : cases) {
        const int n = static_cast<int>(c.x.size());
        CDft dft;
        dft.Compute(c.x.data(), n);
        const auto direct = CDft::ComputeDirect(c.x.data(), n);
        ASSERT_EQ(dft.Magnitudes().size(), static_cast<size_t>(n / 2)) << c.name;
        for (int k = 0; k < n / 2; ++k) {
            EXPECT_NEAR(dft.Magnitudes()[k], direct[k], 1e-9 * direct[k]) << c.name << " bin " << k;
        }
    }
}

TEST(Dft, ToneLandsInItsBinAndBinZeroIsTheSum) {
    std::vector<double> x(512);
    double sum = 0;
    for (int j = 0; j < 512; ++j) {
        x[j] = 128 + 100 * std::cos(2 * M_PI * 40 * j / 512);
        sum += x[j];
    }
    CDft dft;
    dft.Compute(x.data(), 512);
    std::vector<double> out(256);
    dft.CopyMagnitudes(out.data());
    EXPECT_NEAR(out[0], sum, 1e-9 * sum);
    EXPECT_NEAR(out[40], 100 * 256, 1e-6);
    for (int k = 1; k < 256; ++k) {
        if (k != 40) {
            EXPECT_LT(out[k], 1e-6) << k;
        }
    }
    dft.Compute(x.data(), 0);
    EXPECT_TRUE(dft.Magnitudes().empty());
}

}  // namespace
