// The tabbed container: one strip of tabs over controls that belong to one tab each.
#pragma once

#include <vector>

#include <QPointer>
#include <QWidget>

class QTabBar;

namespace vtx {

/// Keeps the controls of every tab but the shown one kHiddenOffset to the left of their
/// place, so that only the shown tab's controls are seen; showing a tab moves its controls
/// back by that much and the others' away.
class SSTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHiddenOffset = 75000;

    explicit SSTab(QWidget* parent);

    /// A new tab; the first one added is shown.
    int addTab(const QString& caption);
    /// Puts a control of this container on a tab, placed as if its tab were shown.
    void addControl(int tab, QWidget* control);
    int currentTab() const { return m_current; }
    void setCurrentTab(int tab);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void shift(int tab, int dx);

    QTabBar* m_bar;
    std::vector<std::vector<QPointer<QWidget>>> m_controls;
    int m_current = -1;
};

} // namespace vtx
