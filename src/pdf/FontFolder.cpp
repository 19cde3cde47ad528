// Fonts folders read once per process and shared by the documents that use them.
#include "FontFolder.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include <QDir>
#include <QFile>

namespace vtx::pdf {

FontFolder::FontFolder(QString path) : m_path(std::move(path)) {
    QStringList files;
    for (const QString& file : QDir(m_path).entryList(QDir::Files))
        if (file.endsWith(QLatin1String(".afm"), Qt::CaseInsensitive))
            files.append(file);
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return QStringView(a).chopped(4) < QStringView(b).chopped(4);
    });
    for (const QString& file : files)
        m_names.append(file.chopped(4));
    m_files = std::move(files);
}

std::shared_ptr<FontFolder> FontFolder::open(const QString& path) {
    using Clock = std::filesystem::file_time_type::clock;
    struct Entry {
        std::filesystem::file_time_type stamp, listed;
        std::shared_ptr<FontFolder> folder;
    };
    static std::mutex lock;
    static std::map<QString, Entry> read;

    // The folder's time changes whenever an entry is added, removed or renamed in it. File
    // times are coarse, so a listing made within a second of the last change may have missed
    // a later change of the same tick: such a folder is listed again until it has settled.
    std::error_code error;
    const auto stamp =
        std::filesystem::last_write_time(QFile::encodeName(path).toStdString(), error);
    const std::lock_guard guard(lock);
    const auto it = read.find(path);
    if (!error && it != read.end() && it->second.stamp == stamp &&
        it->second.listed - stamp > std::chrono::seconds(1))
        return it->second.folder;
    auto folder = std::make_shared<FontFolder>(path);
    if (!error)
        read.insert_or_assign(path, Entry{stamp, Clock::now(), folder});
    return folder;
}

const AfmWidths* FontFolder::widths(const QString& name) {
    const std::lock_guard guard(m_lock);
    const qsizetype i = m_names.indexOf(name);
    if (i < 0)
        return nullptr;
    auto it = m_widths.find(name);
    if (it == m_widths.end())
        it = m_widths.emplace(name, readAfm(QDir(m_path).filePath(m_files[i]))).first;
    return it->second ? &*it->second : nullptr;
}

} // namespace vtx::pdf
