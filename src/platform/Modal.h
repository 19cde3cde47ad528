// Modal showing of forms: the program runs a local event loop, a test drives the form instead.
#pragma once

#include <functional>

class QDialog;

namespace vtx {

/// Shows a form modally and returns when it has closed. A form whose controls stand at fixed
/// places (no layout, no auto-resizer) keeps the size it was designed at: it cannot be resized.
void showModal(QDialog* form);

/// A test's stand-in for the user: called with the shown form, it drives the form and returns.
using ModalDriver = std::function<void(QDialog* form)>;
void setModalDriver(ModalDriver driver);

} // namespace vtx
