// Print assistant form: paths, document information, font, page and rotation choices, and
// the conversion, e-mail and spreadsheet buttons.
#include "frmgerapdfp.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "Desktop.h"
#include "FileDialogs.h"
#include "Keyboard.h"
#include "Modal.h"
#include "Prompter.h"
#include "Session.h"
#include "SpreadsheetExport.h"
#include "TextToPdf.h"
#include "WaitCursor.h"

namespace vtx {

namespace {

const QString kNotAvailable = QStringLiteral("Ainda não disponivel!");
/// The page size the report writers choose (list index 2).
constexpr int kReportPageSize = 2;

/// The number at the start of a text ("08pt" 8, "8.5\" x 11\"" 8.5); 0 when there is none.
double leadingNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+(\\.\\d*)?)"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0;
}

void removeTextReport() {
    if (!gArquivoTXT.isEmpty() && QFile::exists(gArquivoTXT))
        QFile::remove(gArquivoTXT);
}

QString missingFile(const QString& path) {
    return QStringLiteral("Arquivo '") + path + QStringLiteral("' não existe.");
}

} // namespace

struct frmgerapdfp::Private {
    QLineEdit* txtFilename = nullptr;
    QLineEdit* txtOutputFile = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtSubject = nullptr;
    QLineEdit* txtKeywords = nullptr;
    QLineEdit* txtCreator = nullptr;
    QLineEdit* txtAuthor = nullptr;
    QComboBox* cmbFont = nullptr;
    QComboBox* cmbFontSize = nullptr;
    QComboBox* cmbPageSize = nullptr;
    QComboBox* cmbRotation = nullptr;
    bool activated = false;

    TextPdfSettings settings() const;
    /// Converts the input into the output; shows what went wrong and returns the outcome.
    TextPdfResult convert() const;
};

TextPdfSettings frmgerapdfp::Private::settings() const {
    TextPdfSettings s;
    s.author = txtAuthor->text();
    s.creator = txtCreator->text();
    s.keywords = txtKeywords->text();
    s.subject = txtSubject->text();
    s.title = txtTitle->text();
    s.fontName = cmbFont->currentText();
    s.fontSize = int(leadingNumber(cmbFontSize->currentText()));
    s.rotation = int(leadingNumber(cmbRotation->currentText()));
    // A page size nobody chose is the report writers' one.
    const QString page = cmbPageSize->currentIndex() < 0 ? cmbPageSize->itemText(kReportPageSize)
                                                         : cmbPageSize->currentText();
    s.pageWidth = leadingNumber(page);
    s.pageHeight = leadingNumber(page.right(3));
    return s;
}

TextPdfResult frmgerapdfp::Private::convert() const {
    const TextPdfResult r =
        TextToPdf::convert(txtFilename->text(), txtOutputFile->text(), settings());
    if (r.status == TextPdfResult::Status::InputMissing)
        msgBox(missingFile(txtFilename->text()));
    else if (r.status == TextPdfResult::Status::Failed)
        msgBox(r.error);
    return r;
}

frmgerapdfp::frmgerapdfp(QWidget* parent) : QDialog(parent), d(std::make_unique<Private>()) {
    buildUi();
    d->txtCreator->setText(QStringLiteral("Tekvora v1.0"));
    d->cmbFont->setCurrentIndex(0);
    d->cmbFontSize->setCurrentIndex(0);
    d->cmbRotation->setCurrentIndex(0);
    d->cmbPageSize->setCurrentIndex(-1);
    d->txtFilename->setText(gArquivoTXT);
    d->txtOutputFile->setText(gArquivoPDF);
}

frmgerapdfp::~frmgerapdfp() = default;

void frmgerapdfp::buildUi() {
    setObjectName(QStringLiteral("frmgerapdfp"));
    setWindowTitle(QStringLiteral("Assistente de impressão"));
    auto* grid = new QGridLayout(this);

    auto* caption = new QLabel(QStringLiteral("Assistente de Impressão"), this);
    caption->setObjectName(QStringLiteral("lblCaption"));
    QFont big = caption->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    caption->setFont(big);
    grid->addWidget(caption, 0, 0, 1, 3);

    int row = 1;
    auto box = [&](const char* labelName, const QString& label, const char* name) {
        auto* l = new QLabel(label, this);
        l->setObjectName(QLatin1String(labelName));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        l->setBuddy(edit);
        selectAllOnFocus(edit);
        grid->addWidget(l, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
        return edit;
    };
    auto browse = [&](const char* name, void (frmgerapdfp::*slot)()) {
        auto* b = new QPushButton(QStringLiteral("&Procurar."), this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, slot);
        grid->addWidget(b, row - 1, 2);
    };
    d->txtFilename = box("lblFilename", QStringLiteral("Arq. Entrada:"), "txtFilename");
    browse("btnOpen", &frmgerapdfp::browseInput);
    d->txtOutputFile = box("lblOutputFile", QStringLiteral("Arq. Saída :"), "txtOutputFile");
    browse("btnSave", &frmgerapdfp::browseOutput);
    d->txtTitle = box("lblTitle", QStringLiteral("Titulo:"), "txtTitle");
    d->txtSubject = box("lblSubject", QStringLiteral("Assunto:"), "txtSubject");
    d->txtKeywords = box("lblKeyword", QStringLiteral("Palavras Chave:"), "txtKeywords");
    d->txtCreator = box("lblCreator", QStringLiteral("Autor:"), "txtCreator");
    d->txtAuthor = box("lblAuthor", QStringLiteral("Nome"), "txtAuthor");

    auto* choices = new QHBoxLayout;
    auto combo = [&](const char* name, const QStringList& items) {
        auto* c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->addItems(items);
        choices->addWidget(c);
        return c;
    };
    d->cmbFont = combo("cmbFont", {QStringLiteral("Courier"), QStringLiteral("Courier New")});
    d->cmbFontSize = combo("cmbFontSize",
                           {QStringLiteral("10pt"), QStringLiteral("08pt"), QStringLiteral("12pt"),
                            QStringLiteral("14pt"), QStringLiteral("16pt"), QStringLiteral("18pt"),
                            QStringLiteral("20pt")});
    d->cmbPageSize =
        combo("cmbPageSize", {QStringLiteral("8.5\" x 11\""), QStringLiteral("8.5\" x 14\""),
                              QStringLiteral("14\" x 11\"")});
    d->cmbRotation = combo("cmbRotation", {QStringLiteral("0º"), QStringLiteral("90º"),
                                           QStringLiteral("180º"), QStringLiteral("270º")});
    grid->addLayout(choices, row++, 0, 1, 3);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* name, const QString& text, void (frmgerapdfp::*slot)()) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    button("btnConvert", QStringLiteral("Imprimir"), &frmgerapdfp::imprimir);
    button("Command1", QStringLiteral("Enviar email"), &frmgerapdfp::enviarEmail);
    button("Command2", QStringLiteral("Exporta Excel"), &frmgerapdfp::exportaExcel);
    button("btnClose", QStringLiteral("Cancelar"), &frmgerapdfp::cancelar);
    grid->addLayout(buttons, row, 0, 1, 3);
    resize(560, 360);
}

void frmgerapdfp::printReport() {
    frmgerapdfp form;
    form.d->cmbPageSize->setCurrentIndex(kReportPageSize);
    showModal(&form);
}

void frmgerapdfp::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (d->activated)
        return;
    d->activated = true;
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            imprimir();
    });
}

void frmgerapdfp::imprimir() {
    if (d->txtFilename->text().isEmpty() || d->txtOutputFile->text().isEmpty()) {
        msgBox(QStringLiteral("Informe o nome do arquivo."));
        return;
    }
    TextPdfResult result;
    {
        WaitCursor wait;
        result = d->convert();
    }
    // A failed write keeps the text report, the only copy, and the form open.
    if (result.status == TextPdfResult::Status::Failed)
        return;
    if (result.ok() && TextToPdf::fileExists(d->txtOutputFile->text()))
        Desktop::openFile(d->txtOutputFile->text());
    removeTextReport();
    accept();
}

void frmgerapdfp::cancelar() {
    removeTextReport();
    reject();
}

void frmgerapdfp::enviarEmail() {
    if (!d->txtFilename->text().isEmpty() && !d->txtOutputFile->text().isEmpty() &&
        d->convert().status == TextPdfResult::Status::Failed)
        return;
    removeTextReport();
    msgBox(kNotAvailable);
}

void frmgerapdfp::exportaExcel() {
    const QString chosen = FileDialogs::ask(this, {FileDialogs::Request::Save, {}, {}, {}});
    if (chosen.isEmpty())
        return;
    if (!TextToPdf::fileExists(gArquivoTXT)) {
        msgBox(missingFile(gArquivoTXT));
        return;
    }
    if (const auto error =
            SpreadsheetExport::exportReport(gArquivoTXT, SpreadsheetExport::workbookPath(chosen))) {
        msgBox(*error);
        return;
    }
    removeTextReport();
    if (msgBox(QStringLiteral("ARQUIVO EXPORTADO COM SUCESSO!\r\nDeseja enviar por email?"),
               QStringLiteral("Atenção"), MsgIcon::Question, MsgButtons::YesNo,
               MsgDefault::Second) != MsgAnswer::No)
        msgBox(kNotAvailable);
}

void frmgerapdfp::browseInput() {
    const QString path =
        FileDialogs::ask(this, {FileDialogs::Request::Open,
                                QStringLiteral("Select a text file"),
                                QStringLiteral("Text files (*.txt);;All files (*.*)"),
                                {}});
    if (path.isEmpty())
        return;
    d->txtFilename->setText(path);
    d->txtOutputFile->setText(path.left(path.size() - 3) + QStringLiteral("pdf"));
}

void frmgerapdfp::browseOutput() {
    const QString path = FileDialogs::ask(
        this, {FileDialogs::Request::Save, QStringLiteral("Save PDF As"),
               QStringLiteral("Portable Document Format files (*.pdf)"), QStringLiteral("pdf")});
    if (!path.isEmpty())
        d->txtOutputFile->setText(path);
}

} // namespace vtx
