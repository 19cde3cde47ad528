// Modal showing through a replaceable driver.
#include "Modal.h"

#include <QDialog>
#include <QLayout>

#include "Controls.h"

namespace vtx {

namespace {
ModalDriver driver;

/// The property through which setScalesWithSize marks a form.
constexpr char kScalesWithSize[] = "vtxScalesWithSize";

/// Controls placed by coordinates neither follow a resized form nor scale with it unless the
/// form was marked as scaling them.
void holdDesignedSize(QDialog* form) {
    if (form->layout() || form->property(kScalesWithSize).toBool())
        return;
    form->setFixedSize(form->size());
}

} // namespace

void setScalesWithSize(QWidget* form) {
    form->setProperty(kScalesWithSize, true);
}

void showModal(QDialog* form) {
    holdDesignedSize(form);
    Controls::showStartOfLoadedTexts(form);
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
