// Fixed-place control builders.
#include "Controls.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vtx::Controls {

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    return l;
}

QLineEdit* lineBox(QWidget* parent, const QString& name, const QRect& geometry, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    edit->setGeometry(geometry);
    return edit;
}

QLineEdit* passwordBox(QWidget* parent, const QString& name, const QRect& geometry, int maxLength) {
    QLineEdit* edit = lineBox(parent, name, geometry, maxLength);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return edit;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QRect& geometry) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

void showStartOfLoadedTexts(QWidget* form) {
    static const char kShowsStart[] = "vtxShowsStart";
    const QList<QLineEdit*> boxes = form->findChildren<QLineEdit*>();
    for (QLineEdit* box : boxes) {
        // The boxes inside combo and spin boxes are theirs to place; a form shown again keeps
        // what its first showing set.
        QWidget* owner = box->parentWidget();
        if (qobject_cast<QComboBox*>(owner) || qobject_cast<QAbstractSpinBox*>(owner) ||
            box->property(kShowsStart).toBool())
            continue;
        box->setProperty(kShowsStart, true);
        // Text the program puts in leaves the box unmodified; typing marks it modified.
        const auto showStart = [box] {
            if (!box->isModified())
                box->setCursorPosition(0);
        };
        showStart();
        QObject::connect(box, &QLineEdit::textChanged, box, showStart);
        // Tab into a box selects all its text with the caret at the end, which scrolls a long
        // name to its end: the same selection is kept with the caret at the start.
        QObject::connect(box, &QLineEdit::selectionChanged, box, [box] {
            const int length = int(box->text().size());
            if (!box->isModified() && length > 0 && box->selectionLength() == length &&
                box->cursorPosition() == length)
                box->setSelection(length, -length);
        });
    }
}

} // namespace vtx::Controls
