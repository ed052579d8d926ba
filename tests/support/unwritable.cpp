#include "unwritable.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

bool SetImmutable(const QString &path, bool on, std::string *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = "open: " + std::string(std::strerror(errno));
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!ok && error)
        *error = "ioctl: " + std::string(std::strerror(errno));
    ::close(fd);
    return ok;
}

ImmutableCapableDir::ImmutableCapableDir()
{
    for (const QString &base : {QDir::tempPath(), QDir::currentPath()}) {
        auto dir = std::make_unique<QTemporaryDir>(base + "/varnix-unwritable-XXXXXX");
        if (!dir->isValid())
            continue;
        const QString probe = dir->filePath("probe");
        QFile file(probe);
        file.open(QIODevice::WriteOnly);
        file.close();
        std::string error;
        const bool works = SetImmutable(probe, true, &error);
        SetImmutable(probe, false);
        QFile::remove(probe);
        if (works) {
            dir_ = std::move(dir);
            return;
        }
        why_ += " " + base.toStdString() + ": " + error + ";";
    }
    why_ = "the immutable attribute cannot be set here:" + why_;
}

ImmutableCapableDir::~ImmutableCapableDir()
{
    for (const QString &path : immutable_)
        SetImmutable(path, false);
}

bool ImmutableCapableDir::MakeImmutable(const QString &path)
{
    if (!SetImmutable(path, true))
        return false;
    immutable_.push_back(path);
    return true;
}
