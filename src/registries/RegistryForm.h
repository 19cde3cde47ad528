// The registration form pattern: a list of the installation's rows, the code box whose leaving
// loads a row, the name box, "SALVAR" and "LIMPA", FechaTabelas and LimpaCampos.
#pragma once

#include <QPair>
#include <QVariant>

#include "ListForm.h"

class QLayout;
class QLineEdit;
class QPushButton;

namespace vtx {

class Recordset;

/// The table behind a registration form and the list it shows.
struct RegistryTable {
    QString table;      // "convenios"
    QString codeColumn; // "idconv", made by the database
    QString nameColumn; // "nmconv"
    QString listSql;    // the list's select, its one marker bound to the installation key
    QList<GridColumn> columns;
    /// A change reads the list again and looks its row up; otherwise it writes the list's
    /// current row when that row holds the code.
    bool refreshBeforeChange = false;
    /// Audit columns: evcad at insert and evup at every save, "user - moment"; or evcad alone,
    /// "user moment", written by every save so that it holds the last change.
    enum class Audit { CreatedAndChanged, LastChangeOnly } audit = Audit::CreatedAndChanged;
    /// A single click on a row picks it (the double click otherwise).
    bool pickOnClick = false;
    /// Between the user and the moment in evcad and evup (CreatedAndChanged).
    QString stampSeparator = QStringLiteral(" - ");
};

/// A registration form: specialisations add their boxes, checks and values.
class RegistryForm : public ListForm {
    Q_OBJECT
public:
    using Values = QList<QPair<QString, QVariant>>;

    ~RegistryForm() override;

    /// Closes the form's own rows, the shared connection when open, then the list's rows.
    void FechaTabelas();
    /// Empties the boxes and sets the buttons.
    virtual void LimpaCampos();

protected:
    RegistryForm(RegistryTable table, const QString& caption, QWidget* parent);

    QLineEdit* txtcodcli() const;
    QLineEdit* txtnome() const;
    QPushButton* cmdsalva() const;
    QPushButton* cmdretorna() const;
    /// "EXCLUIR", which only answers that it is not available; made by layOutSimple().
    QPushButton* Command1() const;

    /// Lays the form out as the small registries do: code, name, the extra labelled fields,
    /// the buttons and the list.
    void layOutSimple(const QString& nameLabel, const QList<QPair<QString, QWidget*>>& extra);
    /// Lays the form out as fields above a row of buttons above the list, at the given size.
    void layOutAround(QLayout* fields, const QList<QPushButton*>& buttons, const QSize& size);
    /// Installs the keys and reads the list; the specialisation calls it once it is built.
    void start();

    // Steps of the pattern, for the forms that extend it.
    /// Reads the list again and makes the row of the code current; false when no row has it.
    bool findCode(const QString& code);
    /// Makes the row of the code current without reading the list again.
    bool locateListed(const QString& code);
    /// Writes the values to the row of the code (or inserts with no code); false and a
    /// message when the row is gone; throws DbError.
    bool writeRow(const QString& code, const Values& values);
    /// "--- ERRO --- CÓDIGO NÃO ENCONTRADO!".
    static void codeNotFound();
    /// gUsuario, " - " and the clock's date and time.
    static QString stamp();
    /// The values a save writes: idlic (insert), the name, afterName, the stamps of the
    /// table's audit, then last.
    Values standardValues(bool inserting, const Values& afterName, const Values& last) const;

    // Hooks of the specialisations.
    virtual void clearFields() {}
    virtual void fillFields(const Recordset& row);
    /// Whether the extra fields pass the check that shares the name's message.
    virtual bool fieldsFilled() const { return true; }
    /// Further checks with messages of their own.
    virtual bool checkFields() { return true; }
    virtual Values rowValues(bool inserting) const;
    virtual void closeOwnRows() {}

    // Event handlers.
    virtual void codeBoxLeft();
    virtual void rowPicked();
    virtual void save();
    virtual void clear();
    void escape() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
