// Rows and form driving shared by the supplies stock tests.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "Clock.h"
#include "DbFixture.h"
#include "Decimal.h"
#include "FormDriving.h"
#include "Forms.h"
#include "Modal.h"
#include "Recordset.h"
#include "ScriptedPrompter.h"
#include "Session.h"

namespace vtx::test {

/// The test database under a fresh installation, the clock at 14/03/2026 09:26:53.
class StockFixture : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    }
    void TearDown() override {
        Forms::setMenuState(nullptr);
        DbFixture::TearDown();
    }

    QString addGroup(const QString& name) {
        db.execute(QStringLiteral("insert into grupoestoque (idlic, dsgrupo, evcad, evup) values "
                                  "(?, ?, 'X old', 'X old')"),
                   {gIdLic, name});
        return QString::number(db.lastInsertId());
    }
    void addSupply(const QString& code, const QString& name, const QString& lotControl = "0",
                   const QString& idlic = QString()) {
        db.execute(QStringLiteral("insert into produtos (idlic, cdpro, dspro, un, vcusto, qmin, "
                                  "caplote, evcad) values (?, ?, ?, 'UN', 2.5, 1, ?, 'X old')"),
                   {idlic.isEmpty() ? gIdLic : idlic, code, name, lotControl});
    }
    QString addSupplier(const QString& name) {
        db.execute(QStringLiteral("insert into fornecedores (idlic, nmfor) values (?, ?)"),
                   {gIdLic, name});
        return QString::number(db.lastInsertId());
    }
    Recordset rows(const QString& sql) { return db.query(sql, {gIdLic}); }
    /// A purchase line written directly: supplier, series "1", number "77", issued on the day.
    void addLine(const QString& idlan, const QString& supplier, const QString& model,
                 const QString& supply, const char* value, const char* quantity,
                 const QString& status = QStringLiteral("N"), const QDate& issued = {2026, 3, 1},
                 const QString& lot = QString()) {
        db.execute(QStringLiteral("insert into insumos_cmp (idlic, idlan, cdfor, serie, nfiscal, "
                                  "modelo, dte, dtc, cdpro, vfinal, qtde, status, lote) values "
                                  "(?, ?, ?, '1', '77', ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {gIdLic, idlan, supplier, model, issued, issued.addDays(1), supply,
                    QLatin1String(value), QLatin1String(quantity), status, lot});
    }

    static QLineEdit* box(QWidget* f, const char* name) { return control<QLineEdit>(f, name); }
    static void click(QWidget* f, const char* name) {
        control<QPushButton>(f, name)->click();
        QApplication::processEvents();
    }
    /// A click on a line of the form's grid.
    static void clickLine(QWidget* f, int row) {
        clickRow(control<QTableView>(f, "DataGrid1"), row);
    }
    /// Types a text into a box and moves the focus on to another, running the leaving.
    static void enter(QWidget* f, const char* name, const QString& text, const char* next) {
        box(f, name)->setText(text);
        leave(box(f, name), control<QWidget>(f, next));
    }
};

} // namespace vtx::test
