// The supplier form: the suppliers that purchases and payables refer to.
#pragma once

#include "RegistryForm.h"

namespace vtx {

/// The registry form of fornecedores, saving through the shared connection.
class frmCadFor : public RegistryForm {
    Q_OBJECT
public:
    explicit frmCadFor(QWidget* parent = nullptr);
    ~frmCadFor() override;

protected:
    void clearFields() override;
    void fillFields(const Recordset& row) override;
    void save() override;
    void clear() override;
    bool functionKey(int key) override;

private:
    void buildUi();
    void layOut();
    /// The text of the box that holds a column.
    QString boxText(const QString& column) const;
    void TXTCPF_LostFocus();
    /// F10 and F11: lists the suppliers whose column holds the asked text.
    void search(const QString& prompt, const QString& column, bool upperCase);
    /// Runs the insert, or the update of an existing code; false when no row has the code.
    bool writeSupplier(const QString& code, const QString& stamp);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
