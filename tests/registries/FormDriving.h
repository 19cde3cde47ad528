// Helpers for driving the registry forms and dialogs in tests: controls by name, focus moves,
// keys, and the rows a grid shows.
#pragma once

#include <functional>
#include <memory>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QTableView>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "Modal.h"

namespace vtx::test {

template <class W = QWidget> W* control(QWidget* form, const char* name) {
    W* w = form->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

inline void activate(QWidget* form) {
    form->show();
    QApplication::setActiveWindow(form);
    QApplication::processEvents();
}

/// A new form, shown and active.
template <class Form> std::unique_ptr<Form> open() {
    auto form = std::make_unique<Form>();
    activate(form.get());
    return form;
}

/// Moves the focus into a control and on to another, as Tab would.
inline void leave(QWidget* from, QWidget* to) {
    from->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    to->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

/// A key typed where the focus is.
inline void press(QWidget* form, Qt::Key key) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
    QTest::keyClick(target, key);
    QApplication::processEvents();
}

/// A click on a row of a grid, and the events it brings run.
inline void clickRow(QTableView* grid, int row) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, 0)).center());
    QApplication::processEvents();
}

/// Opens a dialog through its entry point and runs the steps on it while it is shown (once,
/// should the dialog open others through the same driver).
inline void driveModal(void (*run)(), const std::function<void(QDialog*)>& steps) {
    bool shown = false;
    setModalDriver([&](QDialog* form) {
        activate(form);
        if (!shown) {
            shown = true;
            steps(form);
        }
    });
    run();
    EXPECT_TRUE(shown);
}

/// The texts of one column of the form's list, top to bottom.
inline QStringList listed(QWidget* form, int column = 0) {
    QAbstractItemModel* model = control<QTableView>(form, "DataGrid1")->model();
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, column).data().toString();
    return out;
}

/// Checks the columns of the form's list at the form's size: those named whole show their
/// values whole, those named kept keep their share of the width the rows show in, and all of
/// them fit in that width.
inline void expectColumns(QWidget* form, const QList<int>& shares, const QList<int>& whole,
                          const QList<int>& kept) {
    auto* grid = control<QTableView>(form, "DataGrid1");
    const int width = grid->viewport()->width();
    int total = 0;
    for (int c = 0; c < shares.size(); ++c) {
        total += grid->columnWidth(c);
        if (whole.contains(c)) {
            EXPECT_GE(grid->columnWidth(c),
                      static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c))
                << c;
        }
        if (kept.contains(c)) {
            EXPECT_EQ(grid->columnWidth(c), width * shares[c] / 100) << c;
        }
    }
    EXPECT_LE(total, width);
}

} // namespace vtx::test
