// Builders of the small fixed-place controls that the forms lay out in code: captions, line
// boxes, password boxes and buttons, each named for the form's own code and tests.
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vtx::Controls {

/// A caption at a fixed place; an empty name leaves the label unnamed.
QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& geometry);
/// A line box at a fixed place; a maximum length of 0 leaves Qt's own limit.
QLineEdit* lineBox(QWidget* parent, const QString& name, const QRect& geometry, int maxLength = 0);
/// A line box that shows each character as "*".
QLineEdit* passwordBox(QWidget* parent, const QString& name, const QRect& geometry, int maxLength);
/// A button at a fixed place that never answers Enter as a dialog's default button.
QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QRect& geometry);

} // namespace vtx::Controls
