// The tabbed container's tabs and the moving of their controls.
#include "SSTab.h"

#include <QTabBar>

namespace vtx {

SSTab::SSTab(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)) {
    connect(m_bar, &QTabBar::currentChanged, this, &SSTab::setCurrentTab);
}

int SSTab::addTab(const QString& caption) {
    m_controls.emplace_back();
    if (m_current < 0)
        m_current = 0;
    return m_bar->addTab(caption);
}

void SSTab::addControl(int tab, QWidget* control) {
    if (tab < 0 || tab >= int(m_controls.size()))
        return;
    control->setParent(this);
    m_controls[tab].emplace_back(control);
    if (tab != m_current)
        control->move(control->x() - kHiddenOffset, control->y());
}

void SSTab::setCurrentTab(int tab) {
    if (tab == m_current || tab < 0 || tab >= int(m_controls.size()))
        return;
    shift(m_current, -kHiddenOffset);
    shift(tab, kHiddenOffset);
    m_current = tab;
    m_bar->setCurrentIndex(tab);
}

void SSTab::shift(int tab, int dx) {
    for (const QPointer<QWidget>& control : m_controls[tab])
        if (control)
            control->move(control->x() + dx, control->y());
}

void SSTab::resizeEvent(QResizeEvent*) {
    m_bar->setGeometry(0, 0, width(), m_bar->sizeHint().height());
}

} // namespace vtx
