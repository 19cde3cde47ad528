// Modal showing through a replaceable driver.
#include "Modal.h"

#include <QDialog>

namespace vtx {

namespace {
ModalDriver driver;
}

void showModal(QDialog* form) {
    if (driver) {
        form->setModal(true);
        form->show();
        driver(form);
        if (form->isVisible())
            form->close();
        return;
    }
    form->exec();
}

void setModalDriver(ModalDriver d) {
    driver = std::move(d);
}

} // namespace vtx
