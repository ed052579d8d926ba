#pragma once

// A reading frame is two bytes, in the order received:
//
//   first byte   bits 0-7  RawCount bits 0-7
//   second byte  bits 0-1  RawCount bits 8-9
//                bits 2-3  unused, ignored
//                bits 4-7  ChannelCode
//
// ChannelCode 0 to 4 names channels 1 to 5; 5 to 15 is a raw-volts reading
// shown in channel 1's display. Every byte pair is a valid frame.
//
// The converter spans 5 V in 1024 steps, so the voltage RawCount x 5/1024 is
// exact in any binary floating-point type. Ratio, voltage and quotient are
// held in 80-bit extended precision (long double on x86-64) so that readings
// round exactly as the board's users have always seen them.
//
// Nothing here does I/O or keeps state; the locale's separators are passed in.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace varnix {

inline constexpr long double VoltsPerCount = 5.0L / 1024.0L;
inline constexpr unsigned ChannelCount = 5;

struct Reading {
    unsigned ChannelCode = 0; // 0..15
    unsigned RawCount = 0;    // 0..1023
    long double Volts = 0;
};

// Separators as UTF-8 text; an empty thousands separator means no grouping.
struct NumberFormat {
    std::string decimalSeparator = ",";
    std::string thousandsSeparator = ".";
};

// A reading that cannot be shown; the message is the text of the failure.
class ReadingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a reading shows, and what it was computed from.
struct DisplayText {
    unsigned display = 1; // 1..5
    std::string text;     // UTF-8
    Reading reading;
    int precision = 3;
    long double ratio = 1;
};

Reading DecodeFrame(std::uint8_t first, std::uint8_t second);

// value rounded to decimals (1, 2 or 3) places, halves away from zero, with
// the integer digits grouped in threes; magnitudes of 10^18 and more in the
// general notation (4,9951171875E20).
std::string FormatFixed(long double value, int decimals, const NumberFormat &format);

// The ratio grammar: blanks, optional sign, digits with at most one decimal
// separator, optional exponent, blanks. Throws ReadingError when the text is
// not such a number or lies beyond the extended range.
long double ParseRatio(std::string_view text, const NumberFormat &format);

// The display and its new text, or nothing when the channel's precision is
// outside 1 to 3. Throws ReadingError when the ratio is not a number, is
// zero, or the quotient overflows.
std::optional<DisplayText> FormatReading(const Reading &reading, int precision, std::string_view ratio,
                                         std::string_view unit, const NumberFormat &format);

// A channel's settings as its fields hold them at the moment of a reading.
struct ChannelFields {
    int precision = 3;
    std::string ratio = "1";
    std::string unit;
};

// The reading that a received cluster gives: its first two bytes are the
// frame (a one-byte cluster's second byte is 0) and the rest are dropped; an
// empty cluster gives nothing. fields(channel) is asked only for the channel
// a scaled reading names (1..5). Throws ReadingError as FormatReading does.
std::optional<DisplayText> ReadCluster(std::string_view cluster,
                                       const std::function<ChannelFields(unsigned channel)> &fields,
                                       const NumberFormat &format);

} // namespace varnix
