// The benchmark's own folder for what it writes: in memory where the machine has /dev/shm, named
// uniquely so that two runs at once never share a file, and removed with its files at the end.
#pragma once

#include <QDir>
#include <QTemporaryDir>

inline const QTemporaryDir& scratchFolder() {
    static const QTemporaryDir dir(QDir(QDir(QStringLiteral("/dev/shm")).exists()
                                            ? QStringLiteral("/dev/shm")
                                            : QDir::tempPath())
                                       .filePath(QStringLiteral("vtx-bench-XXXXXX")));
    return dir;
}
