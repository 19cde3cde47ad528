// Typing into widgets as a user would, accented letters included.
#pragma once

#include <QString>

class QWidget;

namespace vtx::test {

/// Sends one key press and release per character (with its text) to the widget.
void typeText(QWidget* widget, const QString& text);

} // namespace vtx::test
