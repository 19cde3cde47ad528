// The instalment rows of the expense entry: up to 115 rows of value, due date, label and hidden
// key, in five columns of 23 under their headings, made and removed as the count changes.
#pragma once

#include <memory>
#include <vector>

#include <QFrame>

class QLabel;
class QLineEdit;

namespace vtx {

/// The frame "frmVCT"; row 0 always exists, rows 1 and above are made by CarregaParcelas. Its
/// rows and headings keep their drawn places and sizes in proportion to the frame's size.
class InstalmentSchedule : public QFrame {
    Q_OBJECT
public:
    explicit InstalmentSchedule(QWidget* parent);
    ~InstalmentSchedule() override;

    /// Rows on the frame, row 0 included.
    int rowCount() const;
    QLineEdit* txtVR(int row) const;
    QLineEdit* txtVCT(int row) const;
    QLabel* lblParc(int row) const;
    QLineEdit* txtIdLan(int row) const;

    /// Makes rows 1 to count - 1 (and the headings of the columns they open) and labels row 0
    /// "001/" and the count; nothing when the count is not above 1.
    void CarregaParcelas(int count);
    /// Removes rows 1 and above with their headings; row 0 keeps its texts.
    void DescarregaParcelas();

    /// A paid row: its value and due date are read-only.
    bool isLocked(int row) const;
    void setLocked(int row, bool locked);
    /// Empties row 0's value, due date and key, and labels it "001/001".
    void clearFirstRow();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Row;
    void placeRow(Row& row, int x, int y, bool first);
    /// The three headings of the column whose left edge is drawn at left (twips).
    std::vector<QLabel*> headings(int index, int left);
    /// Records where the drawn frame has the control and places it there, scaled.
    template <class Control> Control* drawn(Control* control, const QRect& at);
    void fit(QWidget* control) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vtx
