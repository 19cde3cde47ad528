// The registration form of people (patients, professionals): the registry pattern with their
// shared boxes, fill-ins, coded lookup (F2), name search (F10) and birth-date question.
#pragma once

#include <functional>
#include <optional>

#include <QRect>

#include "RegistryForm.h"

class QComboBox;
class QPlainTextEdit;

namespace vtx {

struct TextColumn;

/// A code box whose leaving shows the name the code has in another table.
struct CodeLookup {
    QString codeBox;    // "txtIdConv"
    QString nameBox;    // "txtNmConv"
    int maxLength = 0;  // of both boxes; 0 for none
    QString sql;        // markers: the installation key, the code
    QString codeColumn; // column of the form's table, and of the looked-up one
    QString nameColumn;
    std::function<void()> search; // the search dialog, answering in gCodBusca
};

/// What tells one people registry from the other.
struct PersonSetup {
    RegistryTable table;
    QString caption;
    QString landlineColumn; // "fonepac"
    QString filterSql;      // the list filtered by name: the key, then the pattern
    QString searchTitle;    // title of the name search's input box
    CodeLookup lookup;
};

/// The list of a people registry: the name, a second column, the document, the phones, the
/// city and the code, with their shares of the grid's width.
QList<GridColumn> personColumns(const GridColumn& name, const GridColumn& second,
                                const QString& landlineColumn, const QString& codeColumn);

/// A control's place on the form, under its label.
struct Placement {
    QWidget* control;
    QString label;
    QRect geometry;
};

/// The registry pattern extended for people; the two registries add their own fields.
class PersonForm : public RegistryForm {
    Q_OBJECT
public:
    ~PersonForm() override;

    /// Empties every box but the code and puts today in the registration date.
    void LimpaCampos() override;

protected:
    /// The notes box ("txtmemo") fills memoColumn, whose limit a save checks.
    PersonForm(PersonSetup setup, const TextColumn& memoColumn, QWidget* parent);

    /// A box the two registries share, by its control name.
    QLineEdit* box(const QString& name) const;
    QLineEdit* lookupCode() const;
    QLineEdit* lookupName() const;
    QPlainTextEdit* txtmemo() const;
    QPushButton* Command3() const;

    QLineEdit* newBox(const QString& name, int maxLength);
    QComboBox* newCombo(const QString& name, const QStringList& items);
    /// The code, the personal, contact and address boxes, placed in the first four rows.
    QList<Placement> sharedPlacements() const;
    /// The top of a box in the given row of the form.
    static int rowTop(int row) { return 24 + row * 44; }
    /// Places the controls in tab order, then installs the keys and reads the list.
    void layOut(const QList<Placement>& placements, QSize size);

    // Hooks of the two registries.
    virtual void fillOwn(const Recordset& row) = 0;
    virtual Values ownValues() const = 0;
    /// Checks with messages of their own, before and after the phone check.
    virtual bool checkBeforePhones() { return true; }
    virtual bool checkAfterPhones() { return true; }
    /// Whether the registry's own fields pass the check that shares the name's message.
    virtual bool ownFilled() const { return true; }

    /// A flag combo's stored digit as its item; any other value leaves no item chosen.
    static void selectByDigit(QComboBox* combo, const QString& digit);

    void fillFields(const Recordset& row) final;
    bool fieldsFilled() const final;
    bool checkFields() final;
    Values rowValues(bool inserting) const final;
    void codeBoxLeft() override;
    void save() override;
    void clear() override;
    bool functionKey(int key) override;

private:
    void nameSearch();
    void lookupSearch();
    void runLookup();
    std::optional<QVariant> askBirthDate();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
