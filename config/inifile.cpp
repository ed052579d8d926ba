#include "inifile.h"

#include "cp1252.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kNewLine[] = "\r\n";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Shrinks [begin, end) of text to exclude blanks on both sides.
void TrimRange(const QByteArray &text, qsizetype &begin, qsizetype &end)
{
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
}

QByteArray Trimmed(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    TrimRange(text, begin, end);
    return text.mid(begin, end - begin);
}

// Line breaks or a NUL inside a written name or value would split its line,
// or hide its rest, when the file is read back.
QByteArray EncodeText(const QString &text)
{
    QByteArray bytes = ToCp1252(text);
    for (char &c : bytes) {
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return bytes;
}

// Names are matched as they would be read back from the file, so a name
// with characters stored as "?" still finds the key written under it.
QByteArray EncodeName(const QString &name)
{
    return Trimmed(EncodeText(name));
}

QString Fold(QByteArrayView name)
{
    return FromCp1252(name).toCaseFolded();
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool WriteAll(int fd, const QByteArray &content)
{
    const char *data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// The file a save must replace: the target of a symbolic link, so that the
// link itself stays in place.
QString ResolveTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

bool ReplaceFile(const QString &path, const QByteArray &content)
{
    const QByteArray target = QFile::encodeName(ResolveTarget(path));

    // Opening for writing, without truncating, is the only test that also
    // catches what the mode bits do not tell root, such as an immutable file.
    struct stat existing {};
    bool exists = false;
    const int probe = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (probe >= 0) {
        const bool regular = ::fstat(probe, &existing) == 0 && S_ISREG(existing.st_mode);
        ::close(probe);
        if (!regular)
            return false;
        exists = true;
    } else if (errno != ENOENT) {
        return false;
    }

    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = WriteAll(fd, content);
    if (ok && exists) {
        // Only root may hand a file to another owner; anyone else's
        // replacement is simply their own. The mode comes after the owner
        // because a change of owner clears the set-id bits.
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0 && errno != EPERM)
            ok = false;
        ok = ok && ::fchmod(fd, existing.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view rest = text.substr(i);

    std::size_t prefix = 0;
    if (rest.starts_with("0x") || rest.starts_with("0X"))
        prefix = 2;
    else if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X'))
        prefix = 1;

    if (prefix != 0) {
        const std::string_view digits = rest.substr(prefix);
        if (digits.empty() || digits.size() > 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (char c : digits) {
            const int digit = HexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = (value << 4) | static_cast<std::uint32_t>(digit);
        }
        if (negative)
            value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    if (rest.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{1} << 31)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

TIniFile::TIniFile(QString path)
    : path_(std::move(path))
{
}

void TIniFile::load()
{
    if (loaded_)
        return;
    loaded_ = true;

    QByteArray data;
    QFile file(path_);
    if (file.open(QIODevice::ReadOnly))
        data = file.readAll();

    const char *bytes = data.constData();
    const qsizetype size = data.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r') {
            ++i;
            continue;
        }
        const qsizetype eolLength = (c == '\r' && i + 1 < size && bytes[i + 1] == '\n') ? 2 : 1;
        Line line = makeLine(data.mid(start, i - start));
        line.eol = data.mid(i, eolLength);
        lines_.push_back(std::move(line));
        i += eolLength;
        start = i;
    }
    if (start < size)
        lines_.push_back(makeLine(data.mid(start)));
}

TIniFile::Line TIniFile::makeLine(QByteArray text)
{
    Line line;
    line.text = std::move(text);
    classify(line);
    return line;
}

void TIniFile::classify(Line &line)
{
    const QByteArray &text = line.text;
    // A NUL ends what a line says, as it ends the C string the Windows
    // functions would have handed over; the bytes after it are still kept.
    qsizetype end = text.indexOf('\0');
    if (end < 0)
        end = text.size();
    const QByteArrayView content(text.constData(), end);

    qsizetype begin = 0;
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    if (begin == end || text[begin] == ';')
        return;

    if (text[begin] == '[') {
        // A header without "]" names its section with the rest of the line.
        qsizetype nameBegin = begin + 1;
        qsizetype nameEnd = content.indexOf(']', nameBegin);
        if (nameEnd < 0)
            nameEnd = end;
        TrimRange(text, nameBegin, nameEnd);
        line.kind = LineKind::Section;
        line.foldedName = Fold(content.sliced(nameBegin, nameEnd - nameBegin));
        return;
    }

    const qsizetype equals = content.indexOf('=', begin);
    if (equals < 0)
        return;
    qsizetype keyEnd = equals;
    TrimRange(text, begin, keyEnd);
    qsizetype valueBegin = equals + 1;
    qsizetype valueEnd = end;
    TrimRange(text, valueBegin, valueEnd);
    line.kind = LineKind::Key;
    line.foldedName = Fold(content.sliced(begin, keyEnd - begin));
    line.valueBegin = valueBegin;
    line.valueEnd = valueEnd;
}

TIniFile::Location TIniFile::locate(const QString &foldedSection, const QString &foldedKey)
{
    load();
    Location location{npos, npos};
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == LineKind::Section && lines_[i].foldedName == foldedSection) {
            location.section = i;
            break;
        }
    }
    if (location.section == npos)
        return location;
    for (std::size_t i = location.section + 1; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i) {
        if (lines_[i].kind == LineKind::Key && lines_[i].foldedName == foldedKey) {
            location.key = i;
            break;
        }
    }
    return location;
}

std::optional<QByteArray> TIniFile::rawValue(const QString &section, const QString &key)
{
    const Location location = locate(Fold(EncodeName(section)), Fold(EncodeName(key)));
    if (location.key == npos)
        return std::nullopt;
    const Line &line = lines_[location.key];
    const qsizetype length = std::min<qsizetype>(line.valueEnd - line.valueBegin, MaxValueLength);
    return line.text.mid(line.valueBegin, length);
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &def)
{
    const std::optional<QByteArray> value = rawValue(section, key);
    return value ? FromCp1252(*value) : def;
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QByteArray sectionName = EncodeName(section);
    const QByteArray keyName = EncodeName(key);
    const Location location = locate(Fold(sectionName), Fold(keyName));

    Line keyLine = makeLine(keyName + '=' + EncodeText(value));
    keyLine.eol = kNewLine;

    if (location.key != npos) {
        lines_[location.key] = std::move(keyLine);
    } else if (location.section != npos) {
        std::size_t after = location.section;
        for (std::size_t i = location.section + 1; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i) {
            if (lines_[i].kind == LineKind::Key)
                after = i;
        }
        if (lines_[after].eol.isEmpty())
            lines_[after].eol = kNewLine;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after + 1), std::move(keyLine));
    } else {
        if (!lines_.empty() && lines_.back().eol.isEmpty())
            lines_.back().eol = kNewLine;
        Line header = makeLine('[' + sectionName + ']');
        header.eol = kNewLine;
        lines_.push_back(std::move(header));
        lines_.push_back(std::move(keyLine));
    }
    dirty_ = true;
}

std::int32_t TIniFile::ReadInteger(const QString &section, const QString &key, std::int32_t def)
{
    const std::optional<QByteArray> value = rawValue(section, key);
    if (!value)
        return def;
    return ParseIniInteger(std::string_view(value->constData(), static_cast<std::size_t>(value->size()))).value_or(def);
}

void TIniFile::WriteInteger(const QString &section, const QString &key, std::int32_t value)
{
    WriteString(section, key, QString::number(value));
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool def)
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::UpdateFile()
{
    if (!dirty_)
        return;
    QByteArray content;
    qsizetype size = 0;
    for (const Line &line : lines_)
        size += line.text.size() + line.eol.size();
    content.reserve(size);
    for (const Line &line : lines_) {
        content += line.text;
        content += line.eol;
    }
    if (!ReplaceFile(path_, content))
        throw EIniFileException(("Unable to write to " + path_).toStdString());
    dirty_ = false;
}
