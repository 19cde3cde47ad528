// The date typing mask as an event filter on the box, after the form has seen the key.
#include "DateMask.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "Keyboard.h"
#include "SharedRoutines.h"

namespace vtx {

namespace {

/// Runs the mask on each typed character; Tab, arrows and the like pass untouched.
class DateMask : public QObject {
public:
    DateMask(QLineEdit* box, int maxLength) : QObject(box), m_box(box), m_maxLength(maxLength) {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        int ascii = key->key() == Qt::Key_Backspace ? kBackspace : 0;
        if (ascii == 0) {
            if (key->text().size() != 1 || key->text().at(0).unicode() < 32)
                return false; // Tab, arrows and the like are no typed characters
            ascii = key->text().at(0).unicode();
        }
        if (ascii != kBackspace && m_maxLength > 0 &&
            m_box->text().size() - m_box->selectedText().size() >= m_maxLength)
            return true;
        MascaraData(ascii, m_box);
        return ascii == 0;
    }

private:
    QLineEdit* m_box;
    int m_maxLength;
};

} // namespace

void applyDateMask(QLineEdit* box, int maxLength) {
    new DateMask(box, maxLength);
}

} // namespace vtx
