// The search dialog family.
#include "SearchDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "AutoResize.h"
#include "BoundGrid.h"
#include "DataControl.h"
#include "Formats.h"
#include "Forms.h"
#include "Modal.h"
#include "Prompter.h"
#include "Session.h"
#include "UserRights.h"

namespace vtx {

struct SearchDialog::Private {
    SearchDescription description;
    bool chosen = false;
    /// The search result as it stood when the dialog opened (for the procedure search, after
    /// its own "0"): a registration form opened by F12 may run searches of its own.
    QVariant openedCode;
    QString openedName;
};

SearchDialog::SearchDialog(SearchDescription description, QWidget* parent)
    : ListForm(description.columns, parent), d(new Private) {
    d->description = std::move(description);
    setObjectName(d->description.formName);
    setWindowTitle(d->description.caption);
    buildUi();
    installKeys(/*upperCase=*/true, d->description.enterAsTab);
    if (d->description.clinicOnly)
        gCodBusca = QStringLiteral("0");
    d->openedCode = gCodBusca;
    d->openedName = gNomeBusca;
    runStatement(d->description.list, QString());
}

SearchDialog::~SearchDialog() = default;

void SearchDialog::pickCode(void (*run)(), QLineEdit* codeBox) {
    gCodBusca = QString();
    run();
    if (const auto code = Formats::numericCode(gCodBusca.toString()))
        codeBox->setText(QString::number(*code));
    codeBox->setFocus(Qt::OtherFocusReason);
}

void SearchDialog::showDialog(QDialog* dialog) {
    showModal(dialog);
}

void SearchDialog::buildUi() {
    const SearchDescription& s = d->description;
    QList<QPushButton*> made;
    auto addButton = [&](const SearchButton& b, std::function<void()> action) {
        QPushButton* button = makeButton(b.name, b.caption);
        connect(button, &QPushButton::clicked, this, std::move(action));
        made << button;
    };
    for (const SearchFilter& f : s.filters)
        addButton(f.button, [this, f] { filter(f); });
    addButton(s.select, [this] { selectRow(); });
    addButton(s.newEntry, [this] { newEntry(); });

    QFont font(s.gridFont);
    font.setStyleHint(QFont::SansSerif);
    DataGrid1()->setFont(font);
    if (!s.columnShares.isEmpty())
        list().keepColumnShares(s.columnShares, s.wholeColumns);
    const QSize size(s.columns.size() > 3 ? 900 : 560, 420);
    if (s.autoResize) {
        // Fixed positions, so that the auto-resizer scales them with the window.
        resize(size);
        DataGrid1()->setGeometry(8, 8, size.width() - 16, size.height() - 56);
        int x = 8;
        for (QPushButton* button : made) {
            const int width = std::max(110, button->sizeHint().width());
            button->setGeometry(x, size.height() - 40, width, 30);
            x += width + 6;
        }
        new AutoResize(this);
        return;
    }
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : made)
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DataGrid1(), 1);
    layout->addLayout(buttons);
    resize(size);
}

bool SearchDialog::runStatement(const SearchStatement& statement, const QString& text) {
    QList<QVariant> params;
    for (SearchBind bind : statement.binds) {
        switch (bind) {
        case SearchBind::Key:
            params << gIdLic;
            break;
        case SearchBind::Pattern:
            params << QStringLiteral("%") + text + QStringLiteral("%");
            break;
        case SearchBind::SearchCode:
            params << gCodBusca.toString();
            break;
        case SearchBind::Zero:
            params << QStringLiteral("0");
            break;
        }
    }
    return openList(statement.sql, params);
}

void SearchDialog::filter(const SearchFilter& f) {
    const std::optional<QString> text = inputBox(f.prompt, f.title);
    if (text)
        runStatement(f.statement, *text);
    DataGrid1()->setFocus(Qt::OtherFocusReason);
}

void SearchDialog::selectRow() {
    if (currentRow() < 0)
        return;
    const Recordset& rows = Adodc1().recordset();
    gCodBusca = rows.value(d->description.codeColumn);
    if (d->description.selectSetsName)
        gNomeBusca = rows.text(d->description.nameColumn);
    d->chosen = true;
    FechaTabelas();
    done(QDialog::Accepted);
}

void SearchDialog::newEntry() {
    const SearchDescription& s = d->description;
    bool allowed = true;
    if (s.rightFromProfile) {
        if (!tryDb([&] { gRetorno = VerificaPerfil(gUsuario, s.menuItem); }))
            return;
        allowed = gRetorno.toString() != QLatin1String("1");
    } else {
        allowed = Forms::menuItemEnabled(s.menuItem);
    }
    if (!allowed) {
        msgBox(s.refusal, QStringLiteral("Atenção"), MsgIcon::Information);
        return;
    }
    Forms::open(s.registrationForm, s.registrationCaption);
    // What the form's own searches handed back is theirs, not this dialog's choice.
    gCodBusca = d->openedCode;
    gNomeBusca = d->openedName;
    // The current statement (the list or the last filter) runs again.
    tryDb([this] { refreshList(); });
    DataGrid1()->setFocus(Qt::OtherFocusReason);
}

void SearchDialog::escape() {
    gCodBusca = QString();
    gNomeBusca.clear();
    d->chosen = true;
    FechaTabelas();
    done(QDialog::Rejected);
}

void SearchDialog::FechaTabelas() {
    closeList();
}

bool SearchDialog::functionKey(int key) {
    const SearchDescription& s = d->description;
    for (const SearchFilter& f : s.filters)
        if (f.button.key == key) {
            filter(f);
            return true;
        }
    if (key == s.select.key)
        selectRow();
    else if (key == s.newEntry.key)
        newEntry();
    else
        return false;
    return true;
}

void SearchDialog::closeEvent(QCloseEvent* event) {
    // The close box hands nothing back, as Esc does; the procedure search would otherwise
    // leave its own "0" behind as if a procedure had been chosen.
    if (d->description.clinicOnly && !d->chosen) {
        gCodBusca = QString();
        gNomeBusca.clear();
    }
    ListForm::closeEvent(event);
}

} // namespace vtx
