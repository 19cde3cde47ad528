// Modal showing of forms: the program runs a local event loop, a test drives the form instead.
#pragma once

#include <functional>

class QDialog;
class QWidget;

namespace vtx {

/// Shows a form modally and returns when it has closed. A form whose controls stand at fixed
/// places (no layout, not marked by setScalesWithSize) keeps the size it was designed at: it
/// cannot be resized. Its line boxes show the start of the texts loaded into them.
void showModal(QDialog* form);

/// Marks a form whose controls follow its size though placed by coordinates (an auto-resizer
/// scales them), so that showModal leaves it resizable.
void setScalesWithSize(QWidget* form);

/// A test's stand-in for the user: called with the shown form, it drives the form and returns.
using ModalDriver = std::function<void(QDialog* form)>;
void setModalDriver(ModalDriver driver);

} // namespace vtx
