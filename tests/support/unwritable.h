#pragma once

// Root writes through any mode bits, so tests make a file or folder
// unwritable with the immutable attribute, as chattr +i does.

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

bool SetImmutable(const QString &path, bool on, std::string *error = nullptr);

// A temporary folder on a file system that keeps the immutable attribute
// (/tmp may be a tmpfs or an overlay without it; the working directory is
// the fallback). Everything made immutable is released on destruction.
class ImmutableCapableDir {
public:
    ImmutableCapableDir();
    ~ImmutableCapableDir();

    // Empty when no folder here can hold the attribute; then Why() says why.
    bool IsValid() const { return dir_ != nullptr; }
    const std::string &Why() const { return why_; }
    QString FilePath(const QString &name) const { return dir_->filePath(name); }
    QString Path() const { return dir_->path(); }

    bool MakeImmutable(const QString &path);

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::vector<QString> immutable_;
    std::string why_;
};
