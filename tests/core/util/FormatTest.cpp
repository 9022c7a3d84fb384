#include "core/util/Format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace {

// A comma-decimal process locale, as Qt sets it for a German user.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        const char* current = std::setlocale(LC_ALL, nullptr);
        m_saved = current != nullptr ? current : "C";
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup generates it)";
        }
        ASSERT_EQ(Probe(), "1,96")
            << "the locale must really use a decimal comma for this test to mean anything";
    }
    void TearDown() override { std::setlocale(LC_ALL, m_saved.c_str()); }

    static std::string Probe() {
        char probe[16];
        std::snprintf(probe, sizeof probe, "%4.2f", 1.96);
        return probe;
    }

private:
    std::string m_saved;
};

}  // namespace

TEST_F(CommaLocale, FormatAndParsingUseADecimalPoint) {
    EXPECT_EQ(Format("%4.2f", 1.96), "1.96");
    EXPECT_EQ(Format("%d;%.1f;%s", 12, -0.5, "x"), "12;-0.5;x");
    EXPECT_EQ(Format("%012.0f", 274877906943.0), "274877906943");
    EXPECT_EQ(Probe(), "1,96") << "only our own formatting is pinned, the process locale is untouched";

    double value = 0;
    EXPECT_TRUE(ParseDouble("1.96", value));
    EXPECT_DOUBLE_EQ(value, 1.96);
    EXPECT_TRUE(ParseDouble("1,96", value));
    EXPECT_DOUBLE_EQ(value, 1.0) << "a comma ends the number";
    int count = 0;
    EXPECT_EQ(Scan("3.25 7", "%lf %d", &value, &count), 2);
    EXPECT_DOUBLE_EQ(value, 3.25);
    EXPECT_EQ(count, 7);
}

TEST(Format, EmptyAndLongTexts) {
    EXPECT_EQ(Format("%s", ""), "");
    for (const size_t size : {255u, 256u, 100000u}) {
        const std::string text(size, 'y');
        EXPECT_EQ(Format("%s%s", text.c_str(), "!"), text + "!") << size;
    }
}

TEST(Parse, Numbers) {
    const struct {
        const char* text;
        bool ok;
        int value;
    } ints[] = {{"42", true, 42}, {"  -7", true, -7}, {"98a", true, 98},
                {"", false, 0},   {"abc", false, 0},  {" ", false, 0}};
    for (const auto& c : ints) {
        int value = 0;
        EXPECT_EQ(ParseInt(c.text, value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    const struct {
        const char* text;
        bool ok;
        double value;
    } doubles[] = {{"123456789012", true, 123456789012.0},
                   {" 0.5 ", true, 0.5},
                   {"1e3", true, 1000.0},
                   {"", false, 0.0},
                   {"x1", false, 0.0}};
    for (const auto& c : doubles) {
        double value = 0;
        EXPECT_EQ(ParseDouble(c.text, value), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
}
