#include "reading.h"

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace varnix {

namespace {

constexpr int SignificantDigits = 18;
constexpr int GeneralDigits = 15;

// A finite value as decimal digits: value = 0.d1d2d3... x 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits; // no leading zeros unless the value is zero
    int exponent = 0;
};

// The value taken to 18 significant digits, to nearest, as the extended
// type's own decimal conversion does.
Decimal ToDecimal(long double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Le", SignificantDigits - 1, value);
    Decimal d;
    const char *p = buffer;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits += *p;
    d.exponent = (*p == 'e') ? std::atoi(p + 1) + 1 : 1;
    if (d.digits.find_first_not_of('0') == std::string::npos) {
        d.digits = "0";
        d.exponent = 1;
    }
    return d;
}

// Keeps the first `keep` digits, rounding halves away from zero; a carry out
// of the first digit raises the exponent.
void RoundDigits(Decimal &d, int keep)
{
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (static_cast<int>(d.digits.size()) <= keep)
        return;
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (!up)
        return;
    int i = keep - 1;
    for (; i >= 0 && d.digits[i] == '9'; --i)
        d.digits[i] = '0';
    if (i >= 0) {
        ++d.digits[i];
    } else {
        d.digits.insert(d.digits.begin(), '1');
        ++d.exponent;
    }
}

std::string GroupThousands(const std::string &digits, const std::string &separator)
{
    if (separator.empty())
        return digits;
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

std::string FormatGeneral(Decimal d, const NumberFormat &format)
{
    RoundDigits(d, GeneralDigits);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    std::string out = d.negative ? "-" : "";
    out += d.digits[0];
    if (d.digits.size() > 1)
        out += format.decimalSeparator + d.digits.substr(1);
    return out + "E" + std::to_string(d.exponent - 1);
}

const char *SkipBlanks(const char *p, const char *end)
{
    while (p < end && *p == ' ')
        ++p;
    return p;
}

bool StartsWith(const char *p, const char *end, const std::string &s)
{
    return !s.empty() && static_cast<std::size_t>(end - p) >= s.size() && std::string_view(p, s.size()) == s;
}

} // namespace

Reading DecodeFrame(std::uint8_t first, std::uint8_t second)
{
    Reading r;
    r.RawCount = first + 256u * (second & 3u);
    r.ChannelCode = second >> 4;
    r.Volts = r.RawCount * VoltsPerCount;
    return r;
}

std::string FormatFixed(long double value, int decimals, const NumberFormat &format)
{
    Decimal d = ToDecimal(value);
    if (d.exponent > SignificantDigits)
        return FormatGeneral(d, format);

    RoundDigits(d, d.exponent + decimals);
    // Digits now stand for the value to `decimals` places; pad them so that
    // every integer and decimal place is present.
    std::string integer, fraction;
    if (d.exponent > 0) {
        std::string all = d.digits;
        all.resize(std::max<std::size_t>(all.size(), d.exponent + decimals), '0');
        integer = all.substr(0, d.exponent);
        fraction = all.substr(d.exponent, decimals);
    } else {
        std::string all = std::string(-d.exponent, '0') + d.digits;
        all.resize(std::max<std::size_t>(all.size(), decimals), '0');
        integer = "0";
        fraction = all.substr(0, decimals);
    }
    const std::size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? "0" : integer.substr(firstNonZero);

    const bool zero = integer == "0" && fraction.find_first_not_of('0') == std::string::npos;
    std::string out = (d.negative && !zero) ? "-" : "";
    return out + GroupThousands(integer, format.thousandsSeparator) + format.decimalSeparator + fraction;
}

long double ParseRatio(std::string_view text, const NumberFormat &format)
{
    const auto invalid = [&] {
        return ReadingError("'" + std::string(text) + "' is not a valid floating point value");
    };
    const char *p = text.data();
    const char *end = p + text.size();
    std::string canonical;

    p = SkipBlanks(p, end);
    if (p < end && (*p == '+' || *p == '-'))
        canonical += *p++;
    bool digit = false, separator = false;
    while (p < end) {
        if (*p >= '0' && *p <= '9') {
            canonical += *p++;
            digit = true;
        } else if (!separator && StartsWith(p, end, format.decimalSeparator)) {
            canonical += '.';
            p += format.decimalSeparator.size();
            separator = true;
        } else {
            break;
        }
    }
    if (!digit)
        throw invalid();
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        canonical += 'e';
        if (p < end && (*p == '+' || *p == '-'))
            canonical += *p++;
        bool exponentDigit = false;
        for (; p < end && *p >= '0' && *p <= '9'; ++p) {
            canonical += *p;
            exponentDigit = true;
        }
        if (!exponentDigit)
            canonical += '0';
    }
    p = SkipBlanks(p, end);
    if (p != end)
        throw invalid();

    // The program runs under the user's LC_NUMERIC; the canonical text uses
    // the C locale's full stop, so parse it there.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    errno = 0;
    const long double value = strtold_l(canonical.c_str(), nullptr, cLocale);
    if (errno == ERANGE && std::isinf(value))
        throw invalid();
    return value;
}

std::optional<DisplayText> FormatReading(const Reading &reading, int precision, std::string_view ratio,
                                         std::string_view unit, const NumberFormat &format)
{
    if (reading.ChannelCode >= ChannelCount)
        return DisplayText{1, FormatFixed(reading.Volts, 3, format) + " v", reading, 3, 1};
    if (precision < 1 || precision > 3)
        return std::nullopt;

    const long double divisor = ParseRatio(ratio, format);
    if (divisor == 0) {
        if (reading.Volts == 0)
            throw ReadingError("Invalid floating point operation");
        throw ReadingError("Floating point division by zero");
    }
    const long double scaled = reading.Volts / divisor;
    if (!std::isfinite(scaled))
        throw ReadingError("Floating point overflow");
    return DisplayText{reading.ChannelCode + 1, FormatFixed(scaled, precision, format) + " " + std::string(unit), reading,
                       precision, divisor};
}

std::optional<DisplayText> ReadCluster(std::string_view cluster,
                                       const std::function<ChannelFields(unsigned channel)> &fields,
                                       const NumberFormat &format)
{
    if (cluster.empty())
        return std::nullopt;
    const Reading reading = DecodeFrame(static_cast<std::uint8_t>(cluster[0]),
                                        cluster.size() > 1 ? static_cast<std::uint8_t>(cluster[1]) : 0);
    if (reading.ChannelCode >= ChannelCount)
        return FormatReading(reading, 0, {}, {}, format);
    const ChannelFields channel = fields(reading.ChannelCode + 1);
    return FormatReading(reading, channel.precision, channel.ratio, channel.unit, format);
}

} // namespace varnix
