// Key events with text, through the application so that event filters see them.
#include "Typing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace vtx::test {

void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        const int key = c.unicode() < 128 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace vtx::test
