// The updater's progress window: a three-step bar and a waiting message.
#pragma once

#include <memory>

#include <QDialog>

class QProgressBar;

namespace vtx {

/// Shown without waiting while the update downloads; the download drives its bar.
class frmProgresso : public QDialog {
public:
    explicit frmProgresso(QWidget* parent = nullptr);
    ~frmProgresso() override;

    QProgressBar* ProgressBar1() const;

private:
    struct Private;
    std::unique_ptr<Private> d;

    void buildUi();
};

} // namespace vtx
