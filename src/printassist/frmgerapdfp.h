// The print assistant: turns the paged text report into a PDF and opens it, or exports the
// report into a spreadsheet.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

/// Print assistant form; converts at its first show.
class frmgerapdfp : public QDialog {
    Q_OBJECT
public:
    explicit frmgerapdfp(QWidget* parent = nullptr);
    ~frmgerapdfp() override;

    /// The report writers' hand-over: the report in gArquivoTXT becomes the PDF in
    /// gArquivoPDF on a 14" x 11" page; returns when the form has closed.
    static void printReport();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void imprimir();
    void cancelar();
    void enviarEmail();
    void exportaExcel();
    void browseInput();
    void browseOutput();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
