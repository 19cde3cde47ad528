// The search dialog family: a list of a registry's rows narrowed by typed texts, from which
// the current row's code and name go back to the opener through gCodBusca and gNomeBusca.
#pragma once

#include <QVariant>

#include "ListForm.h"

class QLineEdit;

namespace vtx {

/// What each "?" of a statement is bound to, in order.
enum class SearchBind {
    Key,        // the installation key gIdLic
    Pattern,    // "%" + the typed text + "%"
    SearchCode, // the text of gCodBusca
    Zero        // "0"
};

struct SearchStatement {
    QString sql;
    QList<SearchBind> binds;
};

/// A button and the function key that does what it does.
struct SearchButton {
    int key;
    QString name;
    QString caption;
};

/// A filter key: its button, the input box's prompt and title, and the statement it runs.
struct SearchFilter {
    SearchButton button;
    QString prompt;
    QString title;
    SearchStatement statement;
};

/// Everything that tells one search dialog from another.
struct SearchDescription {
    QString formName;
    QString caption;
    QList<GridColumn> columns;
    QString gridFont;
    /// Per cent of the grid's width for each column, set whenever the dialog becomes active.
    QList<int> columnShares;
    /// Columns whose values show whole (phones), taking the room from the widest others.
    QList<int> wholeColumns;
    SearchStatement list;
    QList<SearchFilter> filters;
    SearchButton select;
    SearchButton newEntry;
    QString codeColumn;
    QString nameColumn;
    /// The main-menu item whose state allows a new entry, the form it opens, and the refusal.
    QString menuItem;
    /// The new entry asks the rights table (VerificaPerfil, into gRetorno) at the moment of the
    /// key instead of the menu item's state.
    bool rightFromProfile = false;
    QString registrationForm;
    QString registrationCaption;
    QString refusal;
    /// Lists clinic procedures: gCodBusca becomes "0" at load and is compared with vertmex.
    bool clinicOnly = false;
    /// Controls placed at fixed positions and scaled with the window by the auto-resizer.
    bool autoResize = false;
    /// Enter moves to the next control (false: Enter is left to the control).
    bool enterAsTab = true;
    /// The selection hands the name back in gNomeBusca too (false: only the code).
    bool selectSetsName = true;
};

/// One dialog of the family, made from its description.
class SearchDialog : public ListForm {
    Q_OBJECT
public:
    ~SearchDialog() override;

    /// Closes the list's rows; the shared connection stays as it is.
    void FechaTabelas();

    /// A caller's code search: empties gCodBusca, shows the dialog, puts the numeric code it
    /// handed back (1 to 18 digits) into the box, and gives the box the focus.
    static void pickCode(void (*run)(), QLineEdit* codeBox);

protected:
    SearchDialog(SearchDescription description, QWidget* parent);

    /// Shows a dialog of the family modally; the choice comes back in gCodBusca/gNomeBusca.
    template <class Dialog> static void runModal() {
        Dialog dialog;
        showDialog(&dialog);
    }

    void escape() override;
    bool functionKey(int key) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static void showDialog(QDialog* dialog);
    void buildUi();
    void filter(const SearchFilter& filter);
    void selectRow();
    void newEntry();
    bool runStatement(const SearchStatement& statement, const QString& text);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
