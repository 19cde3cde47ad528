// Fixture of the paged report and print assistant tests: a fresh program folder, a fixed clock
// and a fixed installation key.
#pragma once

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

} // namespace vtx::test
