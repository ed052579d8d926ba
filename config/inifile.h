#pragma once

// An INI accessor that behaves like the Windows private-profile functions the
// settings file was first written with: names match without regard to letter
// case, blanks around names and values are ignored, the first of duplicate
// sections or keys wins, text is single-byte Windows-1252 on disk.
//
// Writes are kept in memory and reach the disk only in UpdateFile(), which
// replaces the whole file in one step, so a failed save never leaves a file
// that mixes old and new values.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The integer rule of the file: optional leading blanks, optional sign, then
// decimal digits or hexadecimal digits after "$", "0x", "0X", "x" or "X".
// Up to eight hex digits are a 32-bit two's-complement pattern; a decimal
// value outside the signed 32-bit range, or any other text, is no integer.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

class TIniFile {
public:
    // Touches nothing on disk; the file is read at the first access.
    explicit TIniFile(QString path);

    const QString &FileName() const { return path_; }

    QString ReadString(const QString &section, const QString &key, const QString &def);
    void WriteString(const QString &section, const QString &key, const QString &value);
    std::int32_t ReadInteger(const QString &section, const QString &key, std::int32_t def);
    void WriteInteger(const QString &section, const QString &key, std::int32_t value);
    bool ReadBool(const QString &section, const QString &key, bool def);
    void WriteBool(const QString &section, const QString &key, bool value);

    // Writes the pending changes, if any, by replacing the file in one step.
    // Throws EIniFileException("Unable to write to <path>") and leaves the old
    // file untouched when the file or its folder cannot be written.
    void UpdateFile();

    // The longest value a read returns, as the Windows functions do.
    static constexpr int MaxValueLength = 2047;

private:
    enum class LineKind { Other, Section, Key };

    struct Line {
        QByteArray text; // without its line end
        QByteArray eol;  // "\r\n", "\n", "\r", or empty on a last line that has none
        LineKind kind = LineKind::Other;
        QString foldedName; // section or key name, trimmed and case-folded
        qsizetype valueBegin = 0;
        qsizetype valueEnd = 0;
    };

    // Where a key lives, or would go: index of the section header and of the
    // key line; either is npos when absent.
    struct Location {
        std::size_t section;
        std::size_t key;
    };
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    void load();
    static void classify(Line &line);
    static Line makeLine(QByteArray text);
    Location locate(const QString &foldedSection, const QString &foldedKey);
    std::optional<QByteArray> rawValue(const QString &section, const QString &key);

    QString path_;
    bool loaded_ = false;
    bool dirty_ = false;
    std::vector<Line> lines_;
};
