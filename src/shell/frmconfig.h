// The settings form: shows the installation settings and rewrites the settings file.
#pragma once

#include <memory>

#include <QDialog>

namespace vtx {

/// "Configuração": database name, user, password, server and installation key.
class frmconfig : public QDialog {
    Q_OBJECT
public:
    explicit frmconfig(QWidget* parent = nullptr);
    ~frmconfig() override;

private:
    void buildUi();
    void Form_Load();
    void Command2_Click();

    struct Private;
    std::unique_ptr<Private> d;
};

/// Registers the settings form with the form opener.
void registerConfigForm();

} // namespace vtx
