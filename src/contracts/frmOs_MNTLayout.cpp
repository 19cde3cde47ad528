// The contract form's controls: boxes under their captions, combos, buttons and keys.
#include <algorithm>
#include <vector>

#include <QLabel>

#include "DateMask.h"
#include "Keyboard.h"
#include "frmBuscaConvenios.h"
#include "frmBuscaPacientes.h"
#include "frmOs_MNT_p.h"

namespace vtx {

namespace {

/// One line box: its name, the caption above it (none when it shares the one before), its
/// place and width, and its typing limit.
struct BoxSpec {
    const char* name;
    const char* caption;
    int x, y, width;
    int maxLength;
    bool readOnly = false;
};

// In tab order, which is screen order.
const BoxSpec kBoxes[] = {
    {"txtOsNo", "Contrato ID", 10, 24, 120, 0, true},
    {"txtDt", "Data", 140, 24, 90, 10},
    {"txtCdCli", "Paciente - F2 Pesquisa", 10, 70, 70, 0},
    {"txtNmCli", "", 85, 70, 300, 0, true},
    {"txtCNPJ", "Cpf", 395, 70, 130, 0, true},
    {"txtIE", "RG", 535, 70, 120, 0, true},
    {"txtRua", "Endereço", 10, 116, 370, 50},
    {"txtNr", "Nr", 390, 116, 60, 10},
    {"txtBairro", "Bairro", 460, 116, 200, 30},
    {"txtCep", "Cep", 670, 116, 140, 8},
    {"txtCidade", "Cidade", 10, 162, 250, 40},
    {"txtUF", "UF", 270, 162, 40, 2},
    {"txtNmSol", "Responsável", 320, 162, 250, 30},
    {"txtFone", "Fone(s)", 580, 162, 230, 30},
    {"txtCdVen", "Convênio- F3 Pesquisa", 10, 208, 70, 0},
    {"txtNmVen", "", 85, 208, 300, 0, true},
    {"txtdtnasc", "Dt.Nascimento", 395, 208, 110, 10},
    {"Text1", "FONE FIXO", 10, 262, 240, 30},
    {"txtnrcel", "CELULAR", 260, 262, 245, 30},
    {"txtemail", "E-MAIL", 10, 324, 800, 200},
    {"txtAler", "", 210, 370, 600, 130},
    {"txtMed", "", 210, 416, 600, 130},
    {"txtCir", "", 210, 462, 600, 130},
    {"txtDiagno", "Diagnóstico", 10, 508, 560, 90},
    {"txtMedResp", "Médico Responsável", 580, 508, 230, 30},
};

/// Places the buttons side by side across the row: each gets its caption's room and an even
/// share of what is left, so that no caption is cut.
void spreadInRow(const std::vector<QPushButton*>& buttons, const QRect& row) {
    const int gap = 6;
    const int count = int(buttons.size());
    int captions = 0;
    for (const QPushButton* b : buttons)
        captions += b->sizeHint().width();
    const int spare = std::max(0, (row.width() - captions - gap * (count - 1)) / count);
    int x = row.x();
    for (QPushButton* b : buttons) {
        const int width = b->sizeHint().width() + spare;
        b->setGeometry(x, row.y(), width, row.height());
        x += width + gap;
    }
}

} // namespace

void frmOs_MNT::buildUi() {
    resize(820, 600);
    int labels = 0;
    auto caption = [&](const char* text, int x, int y) {
        if (*text == '\0')
            return;
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QStringLiteral("Label%1").arg(++labels));
        l->adjustSize();
        l->move(x, y - l->height() - 1);
    };
    QWidget* previous = nullptr;
    auto chain = [&](QWidget* w) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    };
    auto newCombo = [&](const char* name, const char* text, QRect place, QStringList items) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        c->addItems(items);
        c->setCurrentIndex(-1);
        c->setGeometry(place);
        caption(text, place.x(), place.y());
        d->combos[c->objectName()] = c;
        chain(c);
    };
    const QStringList yesNo{QStringLiteral("0 - NÃO"), QStringLiteral("1 - SIM")};
    for (const BoxSpec& b : kBoxes) {
        // Each anamnesis combo stands before its box.
        for (const Anamnesis& a : kAnamnesis)
            if (qstrcmp(a.box, b.name) == 0)
                newCombo(a.combo, a.caption, {10, a.y, 190, 22}, yesNo);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(b.name));
        // A read-only box shows a stored value whole, whatever its length.
        if (b.maxLength > 0 && !b.readOnly)
            edit->setMaxLength(b.maxLength);
        edit->setReadOnly(b.readOnly);
        edit->setGeometry(b.x, b.y, b.width, 22);
        caption(b.caption, b.x, b.y);
        d->boxes[edit->objectName()] = edit;
        chain(edit);
        if (qstrcmp(b.name, "txtIE") == 0)
            newCombo("cboSit", "Situação", {665, 70, 145, 22},
                     {QStringLiteral("0 - Orçamento"), QStringLiteral("1 - Vigente"),
                      QStringLiteral("2 - Concluído")});
        if (qstrcmp(b.name, "txtdtnasc") == 0) {
            // The notes stand right of the birth date, over the two phones' height.
            d->txtIA = new QPlainTextEdit(this);
            d->txtIA->setObjectName(QStringLiteral("txtIA"));
            d->txtIA->setTabChangesFocus(true);
            d->txtIA->setGeometry(515, 208, 295, 76);
            caption("Informações Adicionais", 515, 208);
            chain(d->txtIA);
        }
    }

    d->total = new QPushButton(QStringLiteral("R$ 0,00"), this);
    d->total->setObjectName(QStringLiteral("Command4"));
    d->total->setAutoDefault(false);
    d->total->setGeometry(560, 6, 250, 40);
    QFont big = d->total->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    d->total->setFont(big);
    chain(d->total);

    const struct {
        const char* name;
        const char* caption;
        void (frmOs_MNT::*action)();
    } buttons[] = {
        {"Command1", "Salvar", &frmOs_MNT::save},
        {"Command3", "Imprimir", &frmOs_MNT::print},
        {"Command6", "F4 Procedimentos", &frmOs_MNT::openProcedures},
        {"Command5", "F5 Cronograma", &frmOs_MNT::openSchedule},
        {"Command2", "F6 Prescrição Médica", &frmOs_MNT::openPrescriptions},
        {"Command7", "F7 Financeiro", nullptr},
    };
    std::vector<QPushButton*> row;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAutoDefault(false);
        if (b.action)
            connect(button, &QPushButton::clicked, this, b.action);
        chain(button);
        row.push_back(button);
    }
    spreadInRow(row, {10, 552, 800, 34});

    applyDateMask(d->box("txtDt"), 10);
    connect(d->box("txtOsNo"), &QLineEdit::textChanged, this, [this] { reset(); });
    connect(d->box("txtCdCli"), &QLineEdit::textChanged, this, [this] { patientCodeChanged(); });
    onLeave(d->box("txtCdCli"), [this] { patientCodeLeft(); });
    connect(d->box("txtCdVen"), &QLineEdit::textChanged, this, [this] { planCodeChanged(); });
}

void frmOs_MNT::installKeys() {
    auto* keys = new KeyPreview(this);
    keys->keyDown = [this](int key, Qt::KeyboardModifiers) {
        switch (key) {
        case Qt::Key_F2:
            codeSearch(&frmBuscaPacientes::run, "txtCdCli");
            return true;
        case Qt::Key_F3:
            codeSearch(&frmBuscaConvenios::run, "txtCdVen");
            return true;
        case Qt::Key_F4:
            openProcedures();
            return true;
        case Qt::Key_F5:
            openSchedule();
            return true;
        case Qt::Key_F6:
            openPrescriptions();
            return true;
        default:
            return false;
        }
    };
    keys->keyPress = [this](int& ascii) {
        if (ascii == kEscape) {
            ascii = 0;
            reject();
        }
    };
}

} // namespace vtx
