#include "platform/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    struct stat info
    {
    };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino)};
}
