#pragma once
// Typing search criteria into the search window's grid, for the finding window tests.
#include <QCoreApplication>
#include <QLineEdit>
#include <QString>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "find/ui/searchwindow.h"

namespace windowtest {

// Types into a criteria cell as a person does: go to the cell, F2 opens its editor, type, Enter.
inline void typeInCell(SearchWindow& w, int slot, const QString& text) {
    QTableWidget* g = w.grid();
    g->setFocus();
    g->setCurrentCell(slot - 1, SearchWindow::CriteriaColumn);
    QTest::keyClick(g, Qt::Key_F2);
    QCoreApplication::processEvents();
    auto* editor = g->viewport()->findChild<QLineEdit*>(QStringLiteral("CriteriaEdit"));
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

} // namespace windowtest
