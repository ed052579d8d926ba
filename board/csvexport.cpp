#include "csvexport.h"

#include <QSaveFile>

#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace varnix {

namespace {

std::string Quoted(const std::string &field, char separator)
{
    if (field.find_first_of(std::string("\"\r\n") + separator) == std::string::npos)
        return field;
    std::string out = "\"";
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

// Enough digits to give back the extended value; no grouping.
std::string Number(long double value, int significant, const std::string &decimalSeparator)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Lg", significant, value);
    std::string text = buffer;
    if (decimalSeparator != ".") {
        const auto point = text.find('.');
        if (point != std::string::npos)
            text.replace(point, 1, decimalSeparator);
    }
    return text;
}

} // namespace

std::string IsoTimestamp(std::int64_t timeMs, int utcOffsetMinutes)
{
    const std::int64_t localMs = timeMs + std::int64_t(utcOffsetMinutes) * 60000;
    std::int64_t seconds = localMs / 1000;
    int millis = static_cast<int>(localMs % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis,
                  utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return buffer;
}

std::string CsvText(const ReadingHistory &history, CsvStyle style, const NumberFormat &locale)
{
    const char sep = style == CsvStyle::Plain ? ',' : ';';
    const std::string decimal = style == CsvStyle::Plain ? "." : locale.decimalSeparator;
    std::string out = style == CsvStyle::Locale ? "\xEF\xBB\xBF" : "";
    for (const char *name : {"data_hora", "canal", "codigo", "titulo", "contagem", "volts", "valor", "unidade"})
        out += std::string(name) + sep;
    out += "texto\r\n";
    out.reserve(out.size() + history.Size() * 96);
    for (std::size_t i = 0; i < history.Size(); ++i) {
        const RecordedReading &r = history.At(i);
        const RecordSettings &s = history.SettingsOf(r);
        out += IsoTimestamp(r.timeMs, s.utcOffsetMinutes) + sep;
        out += std::to_string(ReadingHistory::Display(r)) + sep;
        out += std::to_string(r.channelCode) + sep;
        out += Quoted(s.title, sep) + sep;
        out += std::to_string(r.rawCount) + sep;
        out += Number(ReadingHistory::Volts(r), 18, decimal) + sep;
        out += Number(history.Value(r), 18, decimal) + sep;
        out += Quoted(s.unit, sep) + sep;
        out += Quoted(history.Text(r, locale), sep) + "\r\n";
    }
    return out;
}

void WriteCsvFile(const QString &path, const ReadingHistory &history, CsvStyle style, const NumberFormat &locale)
{
    const std::string text = CsvText(history, style, locale);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size())
        || !file.commit())
        throw std::runtime_error("Unable to write to " + path.toStdString());
}

} // namespace varnix
