// The hourglass pointer.
#include "WaitCursor.h"

#include <QApplication>

namespace vtx {

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitCursor::done() {
    if (m_on)
        QApplication::restoreOverrideCursor();
    m_on = false;
}

} // namespace vtx
