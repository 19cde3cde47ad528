// Form-level key handling: the form sees keys before its controls, Enter moves on, letters
// may be turned to upper case, and leaving or entering a control runs the form's handler.
#pragma once

#include <functional>
#include <map>

#include <QObject>

class QWidget;

namespace vtx {

/// Character codes the forms compare with.
enum KeyAscii { kBackspace = 8, kEnter = 13, kEscape = 27 };

/// Moves the focus as if the keys had been typed; only "{TAB}" and "+{TAB}" are understood.
void sendKeys(const QString& keys);

/// Sees each key of a form before the control that has the focus.
class KeyPreview : public QObject {
public:
    explicit KeyPreview(QWidget* form);

    /// Key-down of any key (Qt key code, modifiers); true consumes the key.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> keyDown;
    /// Key-press of a typed character (Enter 13, Esc 27, Backspace 8); setting it to 0
    /// swallows the key, changing it types the new character instead.
    std::function<void(int& ascii)> keyPress;
    /// Enter sends "{TAB}" before the form's own key-press runs.
    bool enterAsTab = true;
    /// Typed letters reach the controls in upper case (after the form's key-press).
    bool upperCase = true;

    /// A control's own key-press, run after the form's.
    void setControlKeyPress(QWidget* control, std::function<void(int& ascii)> handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool belongsToForm(QObject* watched) const;

    QWidget* m_form;
    std::map<QWidget*, std::function<void(int&)>> m_controlKeyPress;
    bool m_resending = false;
};

/// Runs a handler when the focus leaves a control for another control of its window;
/// a popup (a combo's list) or another window (a message box) taking the focus is no leave.
void onLeave(QWidget* control, std::function<void()> handler);
/// Runs a handler when a control receives the focus from another control of its window.
void onEnter(QWidget* control, std::function<void()> handler);
/// Selects a line box's whole text whenever it receives the focus.
void selectAllOnFocus(QWidget* control);

} // namespace vtx
