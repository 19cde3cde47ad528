// Form-level keys on a small form: Enter moves on, letters arrive in upper case, leave handlers.
#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "Keyboard.h"
#include "Typing.h"

namespace vtx::test {
namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        first = new QLineEdit(&form);
        second = new QLineEdit(&form);
        button = new QPushButton(QStringLiteral("OK"), &form);
        second->move(0, 30);
        button->move(0, 60);
        preview = new KeyPreview(&form);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        first->setFocus();
    }

    QDialog form;
    QLineEdit* first = nullptr;
    QLineEdit* second = nullptr;
    QPushButton* button = nullptr;
    KeyPreview* preview = nullptr;
    int clicks = 0;
};

TEST_F(KeyboardTest, EnterMovesToTheNextControlAndNeverPressesAButton) {
    int leaves = 0;
    onLeave(first, [&] { ++leaves; });
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(form.focusWidget(), second);
    EXPECT_EQ(leaves, 1);
    QTest::keyClick(second, Qt::Key_Return);
    EXPECT_EQ(form.focusWidget(), button);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(KeyboardTest, EnterInAMultiLineBoxBreaksTheLineThereAndMovesOn) {
    auto* memo = new QPlainTextEdit(&form);
    memo->setTabChangesFocus(true);
    memo->setGeometry(0, 90, 200, 60);
    memo->show();
    memo->setPlainText(QStringLiteral("AB"));
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(1);
    memo->setTextCursor(cursor);
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("A\nB"));
    EXPECT_EQ(form.focusWidget(), first);
}

TEST_F(KeyboardTest, LettersArriveInUpperCaseAccentsIncluded) {
    typeText(first, QStringLiteral("joão d'ávila ç"));
    EXPECT_EQ(first->text(), QStringLiteral("JOÃO D'ÁVILA Ç"));
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("é"));
    QApplication::sendEvent(first, &composed);
    EXPECT_EQ(first->text(), QStringLiteral("JOÃO D'ÁVILA ÇÉ"));
    preview->upperCase = false;
    QTest::keyClicks(second, QStringLiteral("ab"));
    EXPECT_EQ(second->text(), QStringLiteral("ab"));
}

TEST_F(KeyboardTest, FormSeesKeysFirstAndCanSwallowThem) {
    int escapes = 0;
    int f2 = 0;
    preview->keyPress = [&](int& ascii) {
        if (ascii == kEscape)
            ++escapes;
        if (ascii == 'x')
            ascii = 0;
    };
    preview->keyDown = [&](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_F2) {
            ++f2;
            return true;
        }
        return false;
    };
    preview->upperCase = false;
    QTest::keyClicks(first, QStringLiteral("axb"));
    QTest::keyClick(first, Qt::Key_F2);
    QTest::keyClick(first, Qt::Key_Escape);
    EXPECT_EQ(first->text(), QStringLiteral("ab"));
    EXPECT_EQ(f2, 1);
    EXPECT_EQ(escapes, 1);
    EXPECT_TRUE(form.isVisible()) << "Esc belongs to the form, not to QDialog";
}

TEST_F(KeyboardTest, LeavingForAPopupOrAnotherWindowIsNoLeave) {
    int leaves = 0;
    onLeave(first, [&] { ++leaves; });
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(first, &popup);
    QFocusEvent otherWindow(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(first, &otherWindow);
    EXPECT_EQ(leaves, 0);
    second->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(leaves, 1);
}

} // namespace
} // namespace vtx::test
