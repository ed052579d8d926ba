// Feeds arbitrary bytes to ReadCluster as a received cluster, with the
// channel's fields (precision, ratio, unit) and the number format taken from
// the input too, then checks what a display would show.
//
// Input layout, so that a corpus file can be written by hand:
//   byte 0        bits 0-2: precision + 1 (so -1..6), bits 3-4: number format
//   then          the ratio text up to "\n", the unit text up to "\n"
//   the rest      the cluster

#include "reading.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace varnix;

namespace {

void Check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "cluster_display_fuzz: %s\n", what);
        std::abort();
    }
}

const NumberFormat Formats[4] = {
    {",", "."},                  // pt_BR
    {".", ","},                  // en_US
    {",", ""},                   // no grouping
    {"\xD9\xAB", "\xC2\xA0"},    // Arabic decimal separator, no-break space
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool Take(std::string_view &text, std::string_view prefix)
{
    if (prefix.empty() || text.substr(0, prefix.size()) != prefix)
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

std::size_t TakeDigits(std::string_view &text)
{
    std::size_t n = 0;
    while (n < text.size() && IsDigit(text[n]))
        ++n;
    text.remove_prefix(n);
    return n;
}

// A number as FormatFixed writes it: an optional sign, the integer digits
// grouped in threes, the decimal separator and exactly `decimals` digits; or
// the general notation for very large magnitudes (4,9951171875E20).
bool IsFixed(std::string_view text, int decimals, const NumberFormat &format)
{
    Take(text, "-");
    if (text.find('E') != std::string_view::npos) {
        if (TakeDigits(text) != 1)
            return false;
        if (Take(text, format.decimalSeparator) && TakeDigits(text) == 0)
            return false;
        if (!Take(text, "E"))
            return false;
        Take(text, "-");
        return TakeDigits(text) > 0 && text.empty();
    }
    const std::size_t lead = TakeDigits(text);
    if (lead == 0)
        return false;
    if (!format.thousandsSeparator.empty()) {
        if (lead > 3)
            return false;
        while (Take(text, format.thousandsSeparator)) {
            if (TakeDigits(text) != 3)
                return false;
        }
    }
    if (!Take(text, format.decimalSeparator))
        return false;
    return TakeDigits(text) == static_cast<std::size_t>(decimals) && text.empty();
}

std::string_view Field(std::string_view &input)
{
    const std::size_t end = input.find('\n');
    const std::string_view field = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return field;
}

// Volts to three places, halves away from zero, in whole thousandths: the
// count is 5000/1024 = 625/128 thousandths per step.
std::string RawVoltsText(unsigned count, const NumberFormat &format)
{
    const unsigned thousandths = (count * 625 * 2 + 128) / 256;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03u", thousandths % 1000);
    return std::to_string(thousandths / 1000) + format.decimalSeparator + digits + " v";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::string_view input(reinterpret_cast<const char *>(data) + 1, size - 1);
    const int precision = (data[0] & 7) - 1;
    const NumberFormat &format = Formats[(data[0] >> 3) & 3];
    const std::string ratio(Field(input));
    const std::string unit(Field(input));
    const std::string_view cluster = input;

    unsigned asked = 0;
    unsigned askedFor = 0;
    const auto fields = [&](unsigned channel) {
        ++asked;
        askedFor = channel;
        return ChannelFields{precision, ratio, unit};
    };

    std::optional<DisplayText> shown;
    bool failed = false;
    try {
        shown = ReadCluster(cluster, fields, format);
    } catch (const ReadingError &) {
        failed = true;
    }

    if (cluster.empty()) {
        Check(!shown && !failed && asked == 0, "an empty cluster gave something");
        return 0;
    }
    const Reading frame = DecodeFrame(static_cast<std::uint8_t>(cluster[0]),
                                      cluster.size() > 1 ? static_cast<std::uint8_t>(cluster[1]) : 0);
    Check(frame.RawCount <= 1023 && frame.ChannelCode <= 15, "frame out of range");
    const bool rawVolts = frame.ChannelCode >= ChannelCount;

    if (rawVolts) {
        Check(asked == 0, "fields were asked for a raw-volts frame");
        Check(shown && !failed, "a raw-volts frame gave no text");
        Check(shown->display == 1, "raw volts not in display 1");
        Check(shown->text == RawVoltsText(frame.RawCount, format), "raw-volts text is wrong");
    } else {
        Check(asked == 1 && askedFor == frame.ChannelCode + 1, "fields asked for the wrong channel");
        if (precision < 1 || precision > 3) {
            Check(!shown && !failed, "a precision outside 1..3 gave something");
        } else if (shown) {
            Check(shown->display == frame.ChannelCode + 1, "scaled reading in the wrong display");
            const std::string suffix = " " + unit;
            Check(shown->text.size() > suffix.size()
                      && shown->text.compare(shown->text.size() - suffix.size(), suffix.size(), suffix) == 0,
                  "text does not end with the unit");
            Check(IsFixed(std::string_view(shown->text).substr(0, shown->text.size() - suffix.size()), precision,
                          format),
                  "scaled value is not a fixed-point number of the channel's precision");
        }
    }
    if (shown) {
        Check(shown->display >= 1 && shown->display <= ChannelCount, "display outside 1..5");
        Check(shown->reading.RawCount == frame.RawCount && shown->reading.ChannelCode == frame.ChannelCode,
              "the reading is not the cluster's first frame");
    }

    // Only the first two bytes count.
    std::optional<DisplayText> again;
    try {
        again = ReadCluster(cluster.substr(0, 2), fields, format);
    } catch (const ReadingError &) {
        Check(failed, "the bytes after the frame changed the outcome");
        return 0;
    }
    Check(!failed && again.has_value() == shown.has_value() && (!again || again->text == shown->text),
          "the bytes after the frame changed the outcome");
    return 0;
}
