#include "reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace varnix;

namespace {

const NumberFormat PtBr{",", "."};

struct FrameCase {
    std::uint8_t first, second;
    int precision;
    const char *ratio;
    const char *unit;
    unsigned display; // 0: no display changes
    const char *text; // the display's text, or the failure's message
};

std::ostream &operator<<(std::ostream &os, const FrameCase &c)
{
    return os << std::hex << "0x" << int(c.first) << ",0x" << int(c.second) << std::dec << " precision " << c.precision
              << " ratio '" << c.ratio << "'";
}

class FrameToText : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameToText, ShowsTheExpectedText)
{
    const FrameCase &c = GetParam();
    const Reading reading = DecodeFrame(c.first, c.second);
    const auto shown = FormatReading(reading, c.precision, c.ratio, c.unit, PtBr);
    if (c.display == 0) {
        EXPECT_FALSE(shown.has_value());
        return;
    }
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->display, c.display);
    EXPECT_EQ(shown->text, c.text);
}

INSTANTIATE_TEST_SUITE_P(PtBrLocale, FrameToText, testing::Values(
    FrameCase{0xFF, 0x03, 3, "1", "V", 1, "4,995 V"},
    FrameCase{0xFF, 0x03, 2, "1", "V", 1, "5,00 V"},
    FrameCase{0xFF, 0x03, 1, "1", "V", 1, "5,0 V"},
    FrameCase{0x00, 0x00, 3, "1", "V", 1, "0,000 V"},
    FrameCase{0xFF, 0x4F, 3, "1", "V", 5, "4,995 V"},
    FrameCase{0xFF, 0x13, 3, "1", "V", 2, "4,995 V"},
    FrameCase{0x10, 0x0C, 3, "1", "V", 1, "0,078 V"},
    FrameCase{0x40, 0x00, 3, "1", "V", 1, "0,313 V"},
    FrameCase{0x80, 0x00, 2, "1", "V", 1, "0,63 V"},
    FrameCase{0x00, 0x01, 1, "1", "V", 1, "1,3 V"},
    FrameCase{0xFF, 0x53, 3, "abc", "V", 1, "4,995 v"},
    FrameCase{0xFF, 0xF3, 7, "", "", 1, "4,995 v"},
    FrameCase{0xFF, 0x50, 3, "1", "V", 1, "1,245 v"},
    FrameCase{0xFF, 0x03, 3, "0,001", "V", 1, "4.995,117 V"},
    FrameCase{0xFF, 0x03, 3, " 2 ", "V", 1, "2,498 V"},
    FrameCase{0xFF, 0x03, 3, "1,5E1", "V", 1, "0,333 V"},
    FrameCase{0xFF, 0x03, 3, "-1", "V", 1, "-4,995 V"},
    FrameCase{0x00, 0x00, 3, "-1", "V", 1, "0,000 V"},
    FrameCase{0xFF, 0x03, 3, "1E-20", "V", 1, "4,9951171875E20 V"},
    FrameCase{0xFF, 0x03, 3, "1", "", 1, "4,995 "},
    FrameCase{0xFF, 0x03, 4, "abc", "V", 0, ""},
    FrameCase{0xFF, 0x03, 0, "1", "V", 0, ""},
    FrameCase{0xFF, 0x03, 3, "1e", "mV", 1, "4,995 mV"},
    FrameCase{0xFF, 0x03, 3, ",5", "A", 1, "9,990 A"},
    FrameCase{0xFF, 0x03, 3, "2,", "A", 1, "2,498 A"},
    FrameCase{0xFF, 0x03, 3, "+1E+0", "A", 1, "4,995 A"},
    FrameCase{0xFF, 0x03, 3, "0,00001", "mm", 1, "499.511,719 mm"}));

struct FailureCase {
    std::uint8_t first, second;
    const char *ratio;
    const char *message;
};

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << "ratio '" << c.ratio << "'";
}

class FailedReading : public testing::TestWithParam<FailureCase> {};

TEST_P(FailedReading, ThrowsWithTheFailureText)
{
    const FailureCase &c = GetParam();
    try {
        FormatReading(DecodeFrame(c.first, c.second), 3, c.ratio, "V", PtBr);
        FAIL() << "no failure for ratio '" << c.ratio << "'";
    } catch (const ReadingError &error) {
        EXPECT_STREQ(error.what(), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Ratios, FailedReading, testing::Values(
    FailureCase{0xFF, 0x03, "abc", "'abc' is not a valid floating point value"},
    FailureCase{0xFF, 0x03, "", "'' is not a valid floating point value"},
    FailureCase{0xFF, 0x03, "1.5", "'1.5' is not a valid floating point value"},
    FailureCase{0xFF, 0x03, "1.000,5", "'1.000,5' is not a valid floating point value"},
    FailureCase{0xFF, 0x03, "\t1", "'\t1' is not a valid floating point value"},
    FailureCase{0xFF, 0x03, "1,2,3", "'1,2,3' is not a valid floating point value"},
    FailureCase{0xFF, 0x03, ",", "',' is not a valid floating point value"},
    FailureCase{0xFF, 0x03, "1E99999", "'1E99999' is not a valid floating point value"},
    FailureCase{0xFF, 0x03, "0", "Floating point division by zero"},
    FailureCase{0xFF, 0x03, "-0,0", "Floating point division by zero"},
    FailureCase{0x00, 0x00, "0", "Invalid floating point operation"},
    FailureCase{0xFF, 0x03, "1E-4940", "Floating point overflow"}));

struct FixedCase {
    long double value;
    int decimals;
    NumberFormat format;
    const char *text;
};

void PrintTo(const FixedCase &c, std::ostream *os)
{
    *os << "expects " << c.text;
}

class Fixed : public testing::TestWithParam<FixedCase> {};

TEST_P(Fixed, Formats)
{
    const FixedCase &c = GetParam();
    EXPECT_EQ(FormatFixed(c.value, c.decimals, c.format), c.text);
}

INSTANTIATE_TEST_SUITE_P(Values, Fixed, testing::Values(
    FixedCase{0.3125L, 3, PtBr, "0,313"},
    FixedCase{-0.3125L, 3, PtBr, "-0,313"},
    FixedCase{0.625L, 2, PtBr, "0,63"},
    FixedCase{1.25L, 1, PtBr, "1,3"},
    FixedCase{-0.0004L, 3, PtBr, "0,000"},
    FixedCase{-0.0L, 1, PtBr, "0,0"},
    FixedCase{999.9996L, 3, PtBr, "1.000,000"},
    FixedCase{1234567.5L, 1, PtBr, "1.234.567,5"},
    FixedCase{123456.0L, 2, PtBr, "123.456,00"},
    FixedCase{1234567.5L, 1, NumberFormat{".", ","}, "1,234,567.5"},
    FixedCase{1234567.5L, 1, NumberFormat{",", ""}, "1234567,5"},
    FixedCase{1234567.5L, 1, NumberFormat{",", "\u202F"}, "1\u202F234\u202F567,5"},
    FixedCase{999999999999999999.0L, 3, PtBr, "999.999.999.999.999.999,000"},
    FixedCase{1e18L, 3, PtBr, "1E18"},
    FixedCase{-4.9951171875e20L, 3, PtBr, "-4,9951171875E20"},
    FixedCase{1.0e-30L, 3, PtBr, "0,000"},
    FixedCase{0.0005L, 3, PtBr, "0,001"}));

TEST(Ratio, UsesTheLocaleSeparator)
{
    const NumberFormat english{".", ","};
    EXPECT_EQ(ParseRatio("0.5", english), 0.5L);
    EXPECT_THROW(ParseRatio("0,5", english), ReadingError);
    EXPECT_EQ(ParseRatio("0,5", PtBr), 0.5L);
}

TEST(Ratio, ParsesInExtendedPrecision)
{
    EXPECT_EQ(ParseRatio("0,1", PtBr), 0.1L);
    EXPECT_NE(ParseRatio("0,1", PtBr), static_cast<long double>(0.1));
}

// Every byte pair is a frame: decoding is total and stays in range.
TEST(DecodeFrame, IsTotalOverAllBytePairs)
{
    for (unsigned first = 0; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            const Reading r = DecodeFrame(first, second);
            ASSERT_EQ(r.RawCount, first + 256 * (second & 3)) << first << "," << second;
            ASSERT_EQ(r.ChannelCode, second >> 4);
            ASSERT_EQ(r.Volts, r.RawCount * 5.0L / 1024.0L);
            const auto shown = FormatReading(r, 3, "1", "V", PtBr);
            ASSERT_TRUE(shown.has_value());
            ASSERT_EQ(shown->display, r.ChannelCode < 5 ? r.ChannelCode + 1 : 1u);
        }
    }
}

} // namespace

namespace {

TEST(ReadCluster, TakesTheFirstFrameAndAsksOnlyTheNamedChannel)
{
    std::vector<unsigned> asked;
    const auto fields = [&](unsigned channel) {
        asked.push_back(channel);
        return ChannelFields{2, "1", "A"};
    };
    const struct {
        std::string cluster;
        std::optional<unsigned> display;
        const char *text;
        std::vector<unsigned> asked;
    } cases[] = {
        {std::string("\xff\x23\x00\x10", 4), 3u, "5,00 A", {3}},
        {std::string("\x80", 1), 1u, "0,63 A", {1}},
        {std::string("\xff\x53", 2), 1u, "4,995 v", {}},
        {std::string(), std::nullopt, "", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        asked.clear();
        const auto shown = ReadCluster(c.cluster, fields, PtBr);
        ASSERT_EQ(shown.has_value(), c.display.has_value());
        if (shown) {
            EXPECT_EQ(shown->display, *c.display);
            EXPECT_EQ(shown->text, c.text);
        }
        EXPECT_EQ(asked, c.asked);
    }
}

} // namespace
