#pragma once
// Helpers of the window tests that work a window as a person does: make it the active one, type
// into a box, answer the next modal window from inside its event loop.
#include <QApplication>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace windowtest {

// Shows a window and makes it the active one; fails the test when it does not become active.
inline void activate(QWidget* w) {
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

// Shows a window as the active one, as a person's click would make it.
inline void showActive(QWidget* w) {
    w->show();
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w));
}

// Types into a box as a person does: in, everything selected and deleted, then the text; then
// the key `leave` when one is given (Tab to go on to the next box).
inline void typeInto(QLineEdit* edit, const QString& text, Qt::Key leave = Qt::Key_unknown) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    if (leave != Qt::Key_unknown) QTest::keyClick(edit, leave);
}

// Runs `answer` on the next modal window to appear; fails the test when none is open by then.
inline void onNextModal(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal);
        answer(modal);
    });
}

} // namespace windowtest
