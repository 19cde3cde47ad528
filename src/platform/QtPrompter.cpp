// QMessageBox and QInputDialog behind the prompter seam.
#include "QtPrompter.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

namespace vtx {

namespace {

/// Room for the window icon and the three buttons of a title bar, with their gaps.
constexpr int kTitleBarButtons = 150;
/// Room for the glyphs' overhang, so that the last letter of a prompt is never clipped.
constexpr int kPromptSlack = 8;

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

/// The answer a button of a message box gives.
constexpr const char* kAnswer = "vtxAnswer";

/// The width a dialog's layout must fill for its title to show whole in the title bar, beside the
/// bar's icon and buttons: the desktop draws the title in a bold face of about the program's size.
int titleRoom(const QDialog* dialog, const QString& title) {
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int margins = dialog->style()->pixelMetric(QStyle::PM_LayoutLeftMargin) +
                        dialog->style()->pixelMetric(QStyle::PM_LayoutRightMargin);
    return QFontMetrics(titleFont).horizontalAdvance(title) + kTitleBarButtons - margins;
}

} // namespace

std::unique_ptr<QMessageBox> makeMessageBox(const MessageRequest& request) {
    auto box = std::make_unique<QMessageBox>(toQt(request.icon), request.title, request.text,
                                             QMessageBox::NoButton, QApplication::activeWindow());
    std::vector<QPushButton*> buttons;
    auto add = [&](const QString& text, QMessageBox::ButtonRole role, MsgAnswer answer) {
        buttons.push_back(box->addButton(text, role));
        buttons.back()->setProperty(kAnswer, static_cast<int>(answer));
    };
    switch (request.buttons) {
    case MsgButtons::Ok:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, MsgAnswer::Ok);
        break;
    case MsgButtons::OkCancel:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, MsgAnswer::Ok);
        add(QStringLiteral("Cancelar"), QMessageBox::RejectRole, MsgAnswer::Cancel);
        break;
    case MsgButtons::YesNo:
        add(QStringLiteral("Sim"), QMessageBox::YesRole, MsgAnswer::Yes);
        add(QStringLiteral("Não"), QMessageBox::NoRole, MsgAnswer::No);
        break;
    case MsgButtons::YesNoCancel:
        add(QStringLiteral("Sim"), QMessageBox::YesRole, MsgAnswer::Yes);
        add(QStringLiteral("Não"), QMessageBox::NoRole, MsgAnswer::No);
        add(QStringLiteral("Cancelar"), QMessageBox::RejectRole, MsgAnswer::Cancel);
        break;
    }
    const size_t def = static_cast<size_t>(request.defaultButton);
    if (def < buttons.size())
        box->setDefaultButton(buttons[def]);
    if (request.buttons == MsgButtons::YesNo)
        box->setEscapeButton(buttons[1]);
    // The box sizes itself to its layout when shown (wrapping a long text), and to its title
    // only roughly: a row of the title's width holds it wider.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(titleRoom(box.get(), request.title), 0, QSizePolicy::Fixed,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

MsgAnswer QtPrompter::message(const MessageRequest& request) {
    const std::unique_ptr<QMessageBox> box = makeMessageBox(request);
    box->exec();
    if (const QAbstractButton* clicked = box->clickedButton();
        clicked && clicked->property(kAnswer).isValid())
        return static_cast<MsgAnswer>(clicked->property(kAnswer).toInt());
    return request.buttons == MsgButtons::YesNo ? MsgAnswer::No
           : request.buttons == MsgButtons::Ok  ? MsgAnswer::Ok
                                                : MsgAnswer::Cancel;
}

std::unique_ptr<QInputDialog> makeInputDialog(const InputRequest& request) {
    auto dialog = std::make_unique<QInputDialog>(QApplication::activeWindow());
    dialog->setWindowTitle(request.title);
    dialog->setLabelText(request.prompt);
    dialog->setTextValue(request.defaultText);
    dialog->setOkButtonText(QStringLiteral("OK"));
    dialog->setCancelButtonText(QStringLiteral("Cancelar"));
    int promptWidth = 0;
    const QFontMetrics promptMetrics(dialog->font());
    for (const QString& line : QString(request.prompt).remove(QLatin1Char('\r')).split('\n'))
        promptWidth = std::max(promptWidth, promptMetrics.horizontalAdvance(line));
    // The dialog takes its width from its layout, and the layout from the prompt's label.
    if (auto* label = dialog->findChild<QLabel*>())
        label->setMinimumWidth(
            std::max(promptWidth + kPromptSlack, titleRoom(dialog.get(), request.title)));
    return dialog;
}

std::optional<QString> QtPrompter::input(const InputRequest& request) {
    const std::unique_ptr<QInputDialog> dialog = makeInputDialog(request);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

} // namespace vtx
