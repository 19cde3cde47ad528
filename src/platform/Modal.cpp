// Modal showing through a replaceable driver.
#include "Modal.h"

#include <QDialog>
#include <QLayout>

namespace vtx {

namespace {
ModalDriver driver;

/// Controls placed by coordinates neither follow a resized form nor scale with it unless the
/// form carries the auto-resizer, the object named "Resize".
void holdDesignedSize(QDialog* form) {
    if (form->layout() ||
        form->findChild<QObject*>(QStringLiteral("Resize"), Qt::FindDirectChildrenOnly))
        return;
    form->setFixedSize(form->size());
}

} // namespace

void showModal(QDialog* form) {
    holdDesignedSize(form);
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
