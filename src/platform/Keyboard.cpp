// Key preview, focus moves and leave/enter handlers.
#include "Keyboard.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

namespace vtx {

namespace {

bool canTakeTabFocus(QWidget* w, QWidget* window) {
    return w->window() == window && w->isEnabled() && w->isVisibleTo(window) &&
           (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

void moveFocus(QWidget* current, bool forward) {
    if (!current)
        return;
    QWidget* window = current->window();
    QWidget* w = current;
    do {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (canTakeTabFocus(w, window)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    } while (w != current);
}

bool takesLineBreaks(const QWidget* w) {
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w))
        return !plain->isReadOnly();
    if (const auto* rich = qobject_cast<const QTextEdit*>(w))
        return !rich->isReadOnly();
    return false;
}

int asciiOf(const QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kEnter;
    case Qt::Key_Escape:
        return kEscape;
    case Qt::Key_Backspace:
        return kBackspace;
    default:
        break;
    }
    // Only typed characters: Delete (whose text is the DEL control) is a key, not a character.
    if (e->text().size() == 1 && e->text().at(0).isPrint())
        return e->text().at(0).unicode();
    return 0;
}

/// A menu bar the keyboard walks (Alt, arrows) answers its own keys: Return, Enter, Space and Esc
/// as it does itself, and Down, which opens a sub-menu, also chooses an item that acts at once.
bool menuBarKey(QMenuBar* bar, const QKeyEvent* key) {
    QAction* item = bar->activeAction();
    if (key->key() != Qt::Key_Down || !item || item->menu())
        return false;
    QKeyEvent choose(QEvent::KeyPress, Qt::Key_Return, key->modifiers());
    QCoreApplication::sendEvent(bar, &choose);
    return true;
}

class FocusWatcher : public QObject {
public:
    FocusWatcher(QWidget* control, QEvent::Type type, std::function<void()> handler)
        : QObject(control), m_type(type), m_handler(std::move(handler)) {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != m_type)
            return false;
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            return false;
        // A combo's list takes the focus into its own popup window once it is open.
        const QWidget* now = QApplication::focusWidget();
        if (m_type == QEvent::FocusOut && now &&
            now->window() != static_cast<QWidget*>(watched)->window())
            return false;
        m_handler();
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_handler;
};

} // namespace

void sendKeys(const QString& keys) {
    QWidget* current = QApplication::focusWidget();
    if (!current && QApplication::activeWindow())
        current = QApplication::activeWindow()->focusWidget();
    if (keys.compare(QLatin1String("{TAB}"), Qt::CaseInsensitive) == 0)
        moveFocus(current, true);
    else if (keys.compare(QLatin1String("+{TAB}"), Qt::CaseInsensitive) == 0)
        moveFocus(current, false);
}

KeyPreview::KeyPreview(QWidget* form) : QObject(form), m_form(form) {
    qApp->installEventFilter(this);
    // Buttons never answer Enter as the dialog's default button.
    for (auto* button : form->findChildren<QAbstractButton*>())
        if (auto* push = qobject_cast<QPushButton*>(button)) {
            push->setAutoDefault(false);
            push->setDefault(false);
        }
}

void KeyPreview::setControlKeyPress(QWidget* control, std::function<void(int&)> handler) {
    m_controlKeyPress[control] = std::move(handler);
}

bool KeyPreview::belongsToForm(QObject* watched) const {
    auto* w = qobject_cast<QWidget*>(watched);
    return w && w->window() == m_form && w->isWidgetType();
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (m_resending)
        return false;
    if (event->type() == QEvent::InputMethod && upperCase && belongsToForm(watched)) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        const QString upper = im->commitString().toUpper();
        if (upper != im->commitString()) {
            QInputMethodEvent copy(im->preeditString(), im->attributes());
            copy.setCommitString(upper, im->replacementStart(), im->replacementLength());
            m_resending = true;
            QCoreApplication::sendEvent(watched, &copy);
            m_resending = false;
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress || !belongsToForm(watched))
        return false;
    // The application filter also sees the event on each parent it propagates to.
    QWidget* focus = m_form->focusWidget();
    if (watched != focus && !(focus == nullptr && watched == m_form))
        return false;

    auto* key = static_cast<QKeyEvent*>(event);
    if (keyDown && keyDown(key->key(), key->modifiers()))
        return true;
    if (auto* bar = qobject_cast<QMenuBar*>(focus))
        return menuBarKey(bar, key);

    const int original = asciiOf(key);
    if (original == 0)
        return false;
    int ascii = original;
    QWidget* control = focus;
    if (ascii == kEnter && enterAsTab)
        moveFocus(focus, true);
    if (keyPress)
        keyPress(ascii);
    if (ascii != 0 && upperCase && ascii >= 32)
        ascii = QChar(ascii).toUpper().unicode();
    if (ascii != 0 && control) {
        auto it = m_controlKeyPress.find(control);
        if (it != m_controlKeyPress.end())
            it->second(ascii);
    }
    // The key itself passes on: a multi-line box takes its line break, though the focus has
    // moved on already.
    if (ascii == kEnter && takesLineBreaks(control)) {
        QKeyEvent enter(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
        m_resending = true;
        QCoreApplication::sendEvent(control, &enter);
        m_resending = false;
    }
    if (ascii == 0 || ascii == kEnter || ascii == kEscape)
        return true;
    if (ascii == original)
        return false;
    QKeyEvent changed(QEvent::KeyPress, key->key(), key->modifiers(), QString(QChar(ascii)),
                      key->isAutoRepeat(), key->count());
    m_resending = true;
    QCoreApplication::sendEvent(watched, &changed);
    m_resending = false;
    return true;
}

void onLeave(QWidget* control, std::function<void()> handler) {
    new FocusWatcher(control, QEvent::FocusOut, std::move(handler));
}

void onEnter(QWidget* control, std::function<void()> handler) {
    new FocusWatcher(control, QEvent::FocusIn, std::move(handler));
}

void selectAllOnFocus(QWidget* control) {
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (!edit)
        if (auto* combo = qobject_cast<QComboBox*>(control))
            edit = combo->lineEdit();
    if (!edit)
        return;
    onEnter(control, [edit] { QTimer::singleShot(0, edit, &QLineEdit::selectAll); });
}

} // namespace vtx
