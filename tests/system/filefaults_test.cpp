// Faults of the file system under the running program: whatever keeps it
// from writing Varnix.ini shows a message box, and the file (or what stands
// in its place) is left exactly as it was.

#include "systemtest.h"
#include "unwritable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <sys/mount.h>

namespace {

using namespace std::chrono_literals;

// A small file system of its own, filled up on demand.
class TmpfsFolder {
public:
    TmpfsFolder()
    {
        const QString point = dir_.filePath("disk");
        QDir().mkpath(point);
        // The executable lives here too, so the file system holds it and a
        // little more.
        const qint64 size = QFileInfo(VARNIX_EXE).size() + 1024 * 1024;
        const QByteArray options = "size=" + QByteArray::number(size);
        if (::mount("tmpfs", QFile::encodeName(point).constData(), "tmpfs", 0, options.constData()) != 0) {
            why_ = "cannot mount a tmpfs: " + std::string(std::strerror(errno));
            return;
        }
        path_ = point;
    }
    ~TmpfsFolder()
    {
        if (!path_.isEmpty())
            ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
    }

    const QString &Path() const { return path_; }
    const std::string &Why() const { return why_; }

    void Fill() const
    {
        QFile filler(path_ + "/filler");
        filler.open(QIODevice::WriteOnly);
        const QByteArray block(64 * 1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        // What is left is less than a block; take it a byte at a time.
        while (filler.write("x", 1) == 1 && filler.flush()) {
        }
    }

private:
    QTemporaryDir dir_;
    QString path_;
    std::string why_;
};

// Where the program runs: a folder that can be made unwritable, or a small
// file system. Empty Folder() means the fault cannot be staged here.
struct Site {
    std::optional<ImmutableCapableDir> immutable;
    std::optional<TmpfsFolder> tmpfs;
    QString Folder() const
    {
        if (immutable && immutable->IsValid())
            return immutable->Path();
        if (tmpfs)
            return tmpfs->Path();
        return {};
    }
    std::string Why() const { return immutable ? immutable->Why() : tmpfs->Why(); }
    QString Ini() const { return Folder() + "/Varnix.ini"; }
};

enum class When { AtStart, OnSave };

struct FileFault {
    const char *name;
    bool smallDisk; // else a folder that keeps the immutable attribute
    When when;
    // Stages the fault; AtStart before the program starts, OnSave after.
    std::function<void(Site &)> stage;
    // Parts of the text the box shows.
    std::vector<QString> shown;
};

// Names the case in test listings, rather than its bytes.
void PrintTo(const FileFault &fault, std::ostream *os)
{
    *os << fault.name;
}

void ReplaceByDirectory(Site &site)
{
    QFile::remove(site.Ini());
    QDir().mkdir(site.Ini());
}

const std::vector<QString> UnableToWrite = {"Unable to write to", "Varnix.ini."};

const FileFault Faults[] = {
    {"read-only file", false, When::OnSave, [](Site &s) { s.immutable->MakeImmutable(s.Ini()); }, UnableToWrite},
    {"read-only folder", false, When::OnSave, [](Site &s) { s.immutable->MakeImmutable(s.Folder()); }, UnableToWrite},
    {"full disk", true, When::OnSave, [](Site &s) { s.tmpfs->Fill(); }, UnableToWrite},
    {"directory in place of the file", false, When::AtStart, ReplaceByDirectory, UnableToWrite},
    // The file is gone as far as saving knows: it says so and creates nothing.
    {"file replaced by a directory", false, When::OnSave, ReplaceByDirectory, {"Arquivo de configuração", "não encontrado!"}},
};

// The file's bytes, or what stands in its place.
QByteArray State(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return "directory holding " + QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(',').toUtf8();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "missing";
    return file.readAll();
}

class FileFaults : public SystemTest, public testing::WithParamInterface<FileFault> {};

TEST_P(FileFaults, ShowTheBoxAndLeaveTheFileAsItWas)
{
    const FileFault &fault = GetParam();
    Site site;
    if (fault.smallDisk)
        site.tmpfs.emplace();
    else
        site.immutable.emplace();
    if (site.Folder().isEmpty()) {
        GTEST_SKIP() << site.Why();
    }

    desktop = std::make_unique<Desktop>();
    ASSERT_TRUE(desktop->Error().isEmpty()) << desktop->Error().toStdString();
    board = std::make_unique<SimulatorProcess>();
    ASSERT_TRUE(board->Error().isEmpty()) << board->Error().toStdString();
    monitor = std::make_unique<MonitorProcess>(*desktop, site.Folder());
    ASSERT_TRUE(monitor->Copied());
    monitor->WriteSettings(SettingsFile(board->LinkPath()));

    QByteArray before;
    if (fault.when == When::AtStart) {
        fault.stage(site);
        before = State(site.Ini());
        monitor->Start();
    } else {
        monitor->Start();
        ASSERT_TRUE(monitor->WaitForWindow());
        fault.stage(site);
        before = State(site.Ini());
        monitor->NextPage();
        ASSERT_TRUE(WaitFor([&] { return !monitor->ReadingsPageShown(); }));
        monitor->ClickSave();
    }

    QStringList boxes;
    ASSERT_TRUE(WaitFor([&] { return !(boxes = MessageBoxes(*desktop)).isEmpty(); }, 10s)) << "no message box";
    const QString text = Plain(desktop->Read(desktop->Screen(), Desktop::Kind::Block));
    for (const QString &words : fault.shown)
        EXPECT_TRUE(text.contains(Plain(words))) << words.toStdString() << " is not in " << text.toStdString();
    desktop->Key(boxes.first(), "Return");
    EXPECT_TRUE(WaitFor([&] { return MessageBoxes(*desktop).isEmpty(); })) << "Return did not close the box";
    if (fault.when == When::AtStart) {
        ASSERT_TRUE(monitor->WaitForWindow());
    }

    ExpectClosesWithAltF4();
    EXPECT_EQ(State(site.Ini()), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileFaults, testing::ValuesIn(Faults), [](const auto &info) {
    std::string name;
    for (const char *c = info.param.name; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
});

} // namespace
