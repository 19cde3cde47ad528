// A form kept busy for the length of a step: disabled, with the hourglass over it.
#pragma once

#include <QPointer>
#include <QWidget>

namespace vtx {

/// Disables the form and shows the hourglass over it (not over the dialogs it opens meanwhile);
/// both come back when it ends, whichever way the step ends.
class FormBusy {
public:
    explicit FormBusy(QWidget* form) : m_form(form) {
        form->setEnabled(false);
        form->setCursor(Qt::WaitCursor);
    }
    ~FormBusy() {
        if (!m_form)
            return;
        m_form->unsetCursor();
        m_form->setEnabled(true);
    }
    FormBusy(const FormBusy&) = delete;
    FormBusy& operator=(const FormBusy&) = delete;

private:
    QPointer<QWidget> m_form;
};

} // namespace vtx
