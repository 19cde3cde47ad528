// Fixture of the paged report and print assistant tests: a fresh program folder, a fixed clock
// and a fixed installation key; and a file size limit that makes writes fail part-way.
#pragma once

#include <csignal>
#include <sys/resource.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtx::test {

/// The program folder is a fresh temporary one, the clock is fixed at 04/03/2026 05:06:07 and
/// the installation key is "LIC9".
class ReportFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QTemporaryDir dir;
};

/// While it lives, no file of this process grows past `bytes`: a write beyond fails (EFBIG).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldSignal)(int) = nullptr;
};

} // namespace vtx::test
