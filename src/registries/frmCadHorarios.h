// The working-hours form: each professional's weekdays, places and slot start times.
#pragma once

#include "DayListForm.h"

namespace vtx {

/// Stores rows of diahr for the professional picked in the combo, lists and deletes them.
class frmCadHorarios : public DayListForm {
    Q_OBJECT
public:
    explicit frmCadHorarios(QWidget* parent = nullptr);
    ~frmCadHorarios() override;

private:
    void buildUi();
    void loadProfessionals();
    void cboPRO_Click();
    void Command1_Click();
    bool inputAccepted() const;
    void addRow();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
