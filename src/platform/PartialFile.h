// Removal of a file whose writing failed: only a regular file goes, never a device or folder.
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QString>

namespace vtx {

inline void removePartialFile(const QString& path) {
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

} // namespace vtx
