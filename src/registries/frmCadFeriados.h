// The holiday form: the clinic's yearly holidays by day and month.
#pragma once

#include "DayListForm.h"

namespace vtx {

/// Keeps one row of feriados per day and month, lists and deletes them.
class frmCadFeriados : public DayListForm {
    Q_OBJECT
public:
    explicit frmCadFeriados(QWidget* parent = nullptr);
    ~frmCadFeriados() override;

private:
    void buildUi();
    void Command1_Click();
    /// Inserts the day and month, or renames the holiday already stored for them.
    void writeHoliday(int day, int month, const QString& monthName);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
