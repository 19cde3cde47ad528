// What the process has read of a fonts folder: the names of its metric files and their widths.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <QStringList>

#include "AfmMetrics.h"

namespace vtx::pdf {

/// One fonts folder as read by this process. Documents share it, so a document reads no file
/// of the folder that an earlier one has read.
class FontFolder {
public:
    explicit FontFolder(QString path);

    /// The folder as the process has read it, listed again only when the folder has changed
    /// since (a metric file added, removed or renamed) or had changed just before it was read.
    /// A metric file rewritten in place is not read again.
    static std::shared_ptr<FontFolder> open(const QString& path);

    const QString& path() const { return m_path; }
    /// The base-font names of the folder's ".afm" files, in name order.
    const QStringList& fontNames() const { return m_names; }
    /// The widths of name.afm, read on the first call; nothing when the folder has no such
    /// readable file. The result stays valid as long as the folder object lives.
    const AfmWidths* widths(const QString& name);

private:
    QString m_path;
    QStringList m_names, m_files; // a name and its file's name at the same index
    std::mutex m_lock;
    std::map<QString, std::optional<AfmWidths>> m_widths;
};

} // namespace vtx::pdf
