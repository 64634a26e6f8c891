#pragma once

#include <QString>

#include <optional>

// Which file a path names: two paths, or one path at two moments, name the same file
// exactly when device and inode agree. A file deleted and made again at the same path is
// another file.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// The file the path names now; nullopt when it names none.
std::optional<FileIdentity> fileIdentity(const QString &path);
