// Program folder, clock and installation key of the report tests.
#include "ReportFolderTest.h"

#include "Clock.h"
#include "Desktop.h"
#include "Session.h"

namespace vtx::test {

void ReportFolderTest::SetUp() {
    Desktop::setProgramFolder(dir.path());
    Clock::set(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    gIdLic = QStringLiteral("LIC9");
}

void ReportFolderTest::TearDown() {
    Desktop::setProgramFolder(QString());
}

} // namespace vtx::test
