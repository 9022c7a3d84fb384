// The simulated receiver as the tool sees it: framed answers to the diagnosis commands.
#include "SimTestSupport.h"

#include "core/diagnosis/Dft.h"
#include "core/link/Commands.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace {

// The samples of a block answer: after status and code, before the CRC byte.
Bytes Samples(SimulatedReader& reader, uint8_t code) {
    const Bytes body = AnswerBody(reader, {code});
    EXPECT_GE(body.size(), 2u);
    EXPECT_EQ(body[0], 0x06);
    EXPECT_EQ(body[1], code);
    return Bytes(body.begin() + 2, body.end());
}

TEST(SimulatedSignals, BlocksLookLikeTheReceiverChannels) {
    SimulatedReader reader;
    const Bytes fdx = Samples(reader, Cmd::kStartFdxSample);
    ASSERT_EQ(fdx.size(), 512u);
    // The biphase stream's bit rate shows as a line in the spectrum (118 Hz a bin).
    std::vector<double> x(fdx.begin(), fdx.end());
    CDft dft;
    dft.Compute(x.data(), 512);
    const auto& m = dft.Magnitudes();
    const double strongest = *std::max_element(m.begin() + 1, m.end());
    EXPECT_GE(*std::max_element(m.begin() + 32, m.begin() + 38), 0.5 * strongest);

    const Bytes hdx = Samples(reader, Cmd::kStartHdxSample);
    ASSERT_EQ(hdx.size(), 512u);
    // Quiet before the tag answers, then a burst.
    EXPECT_LT(*std::max_element(hdx.begin(), hdx.begin() + 15), 150);
    EXPECT_GT(*std::max_element(hdx.begin() + 80, hdx.begin() + 200), 190);

    const Bytes ub = Samples(reader, Cmd::kStartUbSample);
    ASSERT_EQ(ub.size(), 512u);
    for (size_t i = 0; i < ub.size(); i += 2) {
        const double volts = ((ub[i] << 8) | ub[i + 1]) * 21.5 / 1024;
        ASSERT_GT(volts, 8.3) << i;
        ASSERT_LT(volts, 9.3) << i;
    }
}

TEST(SimulatedSignals, RssiDriftsAndEverythingRepeatsUnderTheSeed) {
    SimulatedReader a(1, 42);
    SimulatedReader b(1, 42);
    int previous = -1;
    for (int i = 0; i < 50; ++i) {
        const Bytes body = AnswerBody(a, {Cmd::kGetRssi});
        ASSERT_EQ(body.size(), 3u);
        if (previous >= 0) {
            EXPECT_LE(std::abs(body[2] - previous), 25);
        }
        previous = body[2];
        EXPECT_EQ(AnswerBody(b, {Cmd::kGetRssi}), body);
    }
    EXPECT_EQ(Samples(a, Cmd::kStartFdxSample), Samples(b, Cmd::kStartFdxSample));
    EXPECT_NE(Samples(a, Cmd::kStartFdxSample), Samples(b, Cmd::kStartHdxSample));
}

}  // namespace
