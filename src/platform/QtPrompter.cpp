// QMessageBox and QInputDialog behind the prompter seam.
#include "QtPrompter.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
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

} // namespace

MsgAnswer QtPrompter::message(const MessageRequest& request) {
    QMessageBox box(toQt(request.icon), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    std::vector<std::pair<QPushButton*, MsgAnswer>> buttons;
    auto add = [&](const QString& text, QMessageBox::ButtonRole role, MsgAnswer answer) {
        buttons.emplace_back(box.addButton(text, role), answer);
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
        box.setDefaultButton(buttons[def].first);
    if (request.buttons == MsgButtons::YesNo)
        box.setEscapeButton(buttons[1].first);
    box.exec();
    for (const auto& [button, answer] : buttons)
        if (box.clickedButton() == button)
            return answer;
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
    // The desktop draws the title in a bold face of about the program's size, beside the
    // window icon and the minimise, maximise and close buttons.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int titleWidth =
        QFontMetrics(titleFont).horizontalAdvance(request.title) + kTitleBarButtons;
    int promptWidth = 0;
    const QFontMetrics promptMetrics(dialog->font());
    for (const QString& line : QString(request.prompt).remove(QLatin1Char('\r')).split('\n'))
        promptWidth = std::max(promptWidth, promptMetrics.horizontalAdvance(line));
    // The dialog takes its width from its layout, and the layout from the prompt's label.
    if (auto* label = dialog->findChild<QLabel*>()) {
        const int margins = dialog->style()->pixelMetric(QStyle::PM_LayoutLeftMargin) +
                            dialog->style()->pixelMetric(QStyle::PM_LayoutRightMargin);
        label->setMinimumWidth(std::max(promptWidth + kPromptSlack, titleWidth - margins));
    }
    return dialog;
}

std::optional<QString> QtPrompter::input(const InputRequest& request) {
    const std::unique_ptr<QInputDialog> dialog = makeInputDialog(request);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

} // namespace vtx
