// The auto-resizer on small forms: proportional geometry, fonts by the smaller ratio, the
// controls it leaves alone, the minimum size and the aspect ratio.
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include "AutoResize.h"
#include "Line.h"
#include "Modal.h"
#include "Printers.h"
#include "SSTab.h"

namespace vtx::test {
namespace {

QPushButton* addButton(QWidget* parent, const char* name, const QRect& geometry, qreal points) {
    auto* b = new QPushButton(QLatin1String(name), parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    QFont font = b->font();
    font.setPointSizeF(points);
    b->setFont(font);
    return b;
}

void resizeAndWait(QWidget* form, int width, int height) {
    form->resize(width, height);
    QCoreApplication::processEvents();
}

class AutoResizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.resize(600, 400);
        scaled = addButton(&form, "Command1", {10, 20, 100, 30}, 10);
        fixed = addButton(&form, "Command2", {200, 50, 80, 24}, 10);
        fixed->setProperty("Tag", QStringLiteral("NO"));
        resizer = new AutoResize(&form);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    QWidget form;
    QPushButton* scaled = nullptr;
    QPushButton* fixed = nullptr;
    AutoResize* resizer = nullptr;
};

TEST_F(AutoResizeTest, ScalesGeometryPerAxisAndFontsByTheSmallerRatio) {
    resizeAndWait(&form, 1200, 800);
    EXPECT_EQ(scaled->geometry(), QRect(20, 40, 200, 60));
    EXPECT_DOUBLE_EQ(scaled->font().pointSizeF(), 20);

    // Widening alone never enlarges the text.
    resizeAndWait(&form, 1200, 400);
    EXPECT_EQ(scaled->geometry(), QRect(20, 20, 200, 30));
    EXPECT_DOUBLE_EQ(scaled->font().pointSizeF(), 10);

    // Always from the recorded layout: no drift after several steps.
    resizeAndWait(&form, 900, 600);
    EXPECT_EQ(scaled->geometry(), QRect(15, 30, 150, 45));
    EXPECT_DOUBLE_EQ(scaled->font().pointSizeF(), 15);

    EXPECT_EQ(fixed->geometry(), QRect(200, 50, 80, 24));
    EXPECT_DOUBLE_EQ(fixed->font().pointSizeF(), 10);
}

TEST_F(AutoResizeTest, HoldsTheMinimumSizeAndScalesToIt) {
    const int minWidth = qRound(4800 * form.logicalDpiX() / 1440.0);
    const int minHeight = qRound(3000 * form.logicalDpiY() / 1440.0);
    resizeAndWait(&form, 50, 40);
    // The minimum is the outer size, frame included.
    EXPECT_EQ(form.frameGeometry().size(), QSize(minWidth, minHeight));
    EXPECT_EQ(scaled->width(), qRound(100.0 * form.width() / 600));
    EXPECT_EQ(scaled->height(), qRound(30.0 * form.height() / 400));
}

TEST_F(AutoResizeTest, DisabledDoesNothingAndLiftsTheMinimum) {
    resizer->setEnabled(false);
    resizeAndWait(&form, 100, 80);
    EXPECT_EQ(form.size(), QSize(100, 80));
    EXPECT_EQ(scaled->geometry(), QRect(10, 20, 100, 30));
}

TEST_F(AutoResizeTest, KeepsTheAspectRatio) {
    resizer->setAspectRatioValue(0.5);
    resizer->setKeepAspectRatio(false);
    EXPECT_EQ(resizer->aspectRatioValue(), 0);
    resizer->setKeepAspectRatio(true);
    const QSize outer = form.frameGeometry().size();
    EXPECT_DOUBLE_EQ(resizer->aspectRatioValue(), double(outer.height()) / outer.width());
    resizer->setAspectRatioValue(0.5);
    resizeAndWait(&form, 1000, 300);
    QCoreApplication::processEvents();
    // The ratio holds between the outer height and the outer width.
    EXPECT_EQ(form.frameGeometry().height(), qRound(form.frameGeometry().width() * 0.5));
    const double yr = form.height() / 400.0;
    EXPECT_EQ(scaled->geometry(), QRect(qRound(10 * 1000 / 600.0), qRound(20 * yr),
                                        qRound(100 * 1000 / 600.0), qRound(30 * yr)));
}

TEST(AutoResizeControls, LinesScaleByTheirEndsAndHiddenTabsStayHidden) {
    QWidget form;
    form.resize(600, 400);
    auto* line = new Line(&form);
    line->setObjectName(QStringLiteral("Line1"));
    line->setPoints(QLine(10, 300, 310, 20));
    const QFont lineFont = line->font();
    auto* tabs = new SSTab(&form);
    tabs->setObjectName(QStringLiteral("SSTab1"));
    tabs->setGeometry(0, 0, 400, 200);
    tabs->addTab(QStringLiteral("Um"));
    const int second = tabs->addTab(QStringLiteral("Dois"));
    QPushButton* shown = addButton(tabs, "cmdShown", {100, 40, 80, 20}, 10);
    QPushButton* hidden = addButton(tabs, "cmdHidden", {100, 80, 80, 20}, 10);
    tabs->addControl(0, shown);
    tabs->addControl(second, hidden);
    ASSERT_EQ(hidden->x(), 100 - 75000);
    new AutoResize(&form);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    resizeAndWait(&form, 900, 200);
    EXPECT_EQ(line->points(), QLine(15, 150, 465, 10));
    EXPECT_EQ(line->font(), lineFont);
    EXPECT_EQ(shown->geometry(), QRect(150, 20, 120, 10));
    // Scaled from where it stands when shown, and still kept out of sight.
    EXPECT_EQ(hidden->geometry(), QRect(150 - 75000, 40, 120, 10));

    tabs->setCurrentTab(second);
    EXPECT_EQ(hidden->x(), 150);
    EXPECT_EQ(shown->x(), 150 - 75000);
    resizeAndWait(&form, 600, 400);
    EXPECT_EQ(hidden->geometry(), QRect(100, 80, 80, 20));
    EXPECT_EQ(shown->geometry(), QRect(100 - 75000, 40, 80, 20));
    EXPECT_EQ(tabs->geometry(), QRect(0, 0, 400, 200));
}

TEST(AutoResizeLargeForm, OpensScaledToFitTheScreenWithItsTitleBar) {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget form;
    form.resize(room.width() * 3 / 2, room.height() * 2);
    QPushButton* bottom = addButton(&form, "Command1", {0, form.height() - 40, 100, 40}, 10);
    new AutoResize(&form);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_LE(form.frameGeometry().height(), room.height());
    EXPECT_LE(form.frameGeometry().width(), room.width());
    EXPECT_NEAR(form.width() * 4.0 / form.height(), 3.0, 0.02);
    EXPECT_LE(bottom->geometry().bottom(), form.height());
    EXPECT_LT(bottom->font().pointSizeF(), 10);
}

// Wherever the window it opens over stands, a scaled form opens whole within the screen's
// free area, title bar and borders included, as large as it fits or at its own size.
TEST(AutoResizeLargeForm, OpensWithinTheScreenWhereverItsOwnerStands) {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.resize(room.width() / 2, 200);
    owner.move(room.left() + room.width() / 2, room.bottom() - 100);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    for (const QSize designed : {QSize(room.width() / 2, room.height() * 3 / 4), room.size() * 2}) {
        for (QWidget* parent : {&owner, static_cast<QWidget*>(nullptr)}) {
            QDialog form(parent);
            form.resize(designed);
            new AutoResize(&form);
            form.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
            EXPECT_TRUE(room.contains(form.frameGeometry()))
                << form.frameGeometry().top() << " " << form.frameGeometry().bottom() << " "
                << form.frameGeometry().left() << " " << form.frameGeometry().right();
        }
    }
}

TEST(AutoResizeMainWindow, ScalesTheCentralAreaAndLeavesTheStatusBar) {
    QMainWindow window;
    auto* area = new QWidget(&window);
    window.setCentralWidget(area);
    QPushButton* banner = addButton(area, "cmdST", {8, 8, 200, 40}, 12);
    auto* panel = new QLabel(QStringLiteral("Usuário:"));
    panel->setObjectName(QStringLiteral("sRodapePanel3"));
    window.statusBar()->addWidget(panel);
    window.resize(700, 500);
    new AutoResize(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QSize areaBefore = area->size();
    const QFont panelFont = panel->font();

    resizeAndWait(&window, 700 + areaBefore.width(), 500 + areaBefore.height());
    EXPECT_EQ(area->size(), areaBefore * 2);
    EXPECT_EQ(banner->geometry(), QRect(16, 16, 400, 80));
    EXPECT_DOUBLE_EQ(banner->font().pointSizeF(), 24);
    EXPECT_EQ(panel->font(), panelFont);
}

// The resizer's mark, not its object's name, keeps a form it scales resizable when shown modally.
TEST(AutoResizeModal, AFormItScalesStaysResizableWhateverTheResizerIsNamed) {
    QDialog form;
    form.resize(600, 400);
    (new AutoResize(&form))->setObjectName(QStringLiteral("Scaler"));
    QSize maximum;
    setModalDriver([&](QDialog* shown) { maximum = shown->maximumSize(); });
    showModal(&form);
    setModalDriver(nullptr);
    EXPECT_GT(maximum.width(), 600);
    EXPECT_GT(maximum.height(), 400);
}

} // namespace
} // namespace vtx::test
