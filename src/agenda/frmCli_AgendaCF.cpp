// The attendance dialog: its controls, the handover, the keys, the lookups and the searches.
#include "frmCli_AgendaCF.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

#include "AgendaInput.h"
#include "Controls.h"
#include "Keyboard.h"
#include "Modal.h"
#include "Recordset.h"
#include "Session.h"
#include "frmBuscaConvenios.h"
#include "frmBuscaProcedimentos.h"
#include "frmCli_AgendaCF_p.h"

namespace vtx {

namespace {

const QString kProcedure =
    QStringLiteral("select * from procedimentos where idlic = ? and idproc = ? and vertmex = '0'");
const QString kPlan = QStringLiteral("select * from convenios where idlic = ? and idconv = ?");

const QStringList kMeans = {QStringLiteral("DINHEIRO"),      QStringLiteral("CHEQUE"),
                            QStringLiteral("PIX"),           QStringLiteral("CREDITO CARTAO"),
                            QStringLiteral("DÉBITO CARTAO"), QStringLiteral("CONVENIO")};

QFont courier() {
    QFont font(QStringLiteral("Courier New"), 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

/// On entering a box or clicking in it, selects from where the caret stands to the end.
class SelectToEnd : public QObject {
public:
    explicit SelectToEnd(QLineEdit* box) : QObject(box), m_box(box) {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonRelease)
            // After the box has placed its caret.
            QMetaObject::invokeMethod(
                this, [this] { select(); }, Qt::QueuedConnection);
        return false;
    }

private:
    void select() {
        const int start =
            m_box->hasSelectedText() ? m_box->selectionStart() : m_box->cursorPosition();
        m_box->setSelection(start, int(m_box->text().size()));
    }
    QLineEdit* m_box;
};

QListWidget* fixedList(QWidget* parent, const char* name, const QRect& geometry) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setFont(courier());
    list->setGeometry(geometry);
    return list;
}

/// The name for a code typed in the box, or an empty text when none is found.
QString nameOf(const QLineEdit* code, const QString& sql, const char* column) {
    const std::optional<qlonglong> value = codeIn(code);
    QString name;
    if (value)
        reportingDbErrors([&] {
            const Recordset row = conexaoAberta().query(sql, {gIdLic, *value});
            if (!row.isEmpty())
                name = row.text(QLatin1String(column));
        });
    return name;
}

} // namespace

frmCli_AgendaCF::frmCli_AgendaCF(const AttendanceHandover& booking, QWidget* parent)
    : QDialog(parent), d(new Private) {
    setObjectName(QStringLiteral("frmCli_AgendaCF"));
    setWindowTitle(QStringLiteral("Agenda - Confirmação de Atendimento"));
    buildUi();
    buildPaymentFrame();
    installKeys();
    d->cboMP->addItems(kMeans);
    d->cboMP->setCurrentIndex(-1);
    fill(booking);
    d->txtIdProc->setFocus();
}

frmCli_AgendaCF::~frmCli_AgendaCF() = default;

frmCli_AgendaCF::Outcome frmCli_AgendaCF::run(const AttendanceHandover& booking) {
    frmCli_AgendaCF dialog(booking);
    showModal(&dialog);
    return dialog.d->outcome;
}

void frmCli_AgendaCF::buildUi() {
    resize(820, 500);
    auto label = [this](const QString& text, const QRect& geometry) {
        return Controls::label(this, QString(), text, geometry);
    };
    auto shown = [this](const char* name, const QRect& geometry) {
        QLabel* l = Controls::label(this, QLatin1String(name), QString(), geometry);
        l->setFont(QFont(QStringLiteral("Arial"), 9, QFont::Bold));
        return l;
    };
    label(QStringLiteral("Profissional"), {10, 8, 90, 18});
    d->lProf = shown("lProf", {100, 8, 470, 18});
    QFont item = courier(); // the item's fields stand in their columns
    item.setBold(true);
    d->lProf->setFont(item);
    d->lDT = shown("lDT", {580, 8, 100, 18});
    d->lHR = shown("lHR", {690, 8, 60, 18});
    label(QStringLiteral("Paciente"), {10, 30, 90, 18});
    d->lPac = shown("lPac", {100, 30, 470, 18});
    d->lIdAgenda = shown("lIdAgenda", {580, 30, 230, 18});

    label(QStringLiteral("Procedimento - F2 Pesquisar"), {10, 58, 300, 16});
    d->txtIdProc = Controls::lineBox(this, QStringLiteral("txtIdProc"), {10, 74, 70, 22}, 18);
    d->txtNmProc = Controls::lineBox(this, QStringLiteral("txtNmProc"), {84, 74, 300, 22});
    label(QStringLiteral("Convênio - F3 Pesquisar"), {400, 58, 300, 16});
    d->txtIdConv = Controls::lineBox(this, QStringLiteral("txtIdConv"), {400, 74, 60, 22}, 18);
    d->txtNmConv = Controls::lineBox(this, QStringLiteral("txtNmConv"), {464, 74, 346, 22});
    for (QLineEdit* name : {d->txtNmProc, d->txtNmConv}) {
        name->setReadOnly(true);
        name->setFocusPolicy(Qt::NoFocus);
    }
    label(QStringLiteral("Valor"), {10, 102, 120, 16});
    d->txtVR = Controls::lineBox(this, QStringLiteral("txtVR"), {10, 118, 120, 22}, 30);
    label(QStringLiteral("Qtde"), {140, 102, 60, 16});
    d->txtQt = Controls::lineBox(this, QStringLiteral("txtQt"), {140, 118, 60, 22}, 20);
    d->Command2 = Controls::button(this, QStringLiteral("Command2"), QStringLiteral("Salvar"),
                                   {210, 114, 100, 30});
    d->List1 = fixedList(this, "List1", {10, 152, 800, 150});

    label(QStringLiteral("Meio de Pagamento"), {10, 310, 200, 16});
    d->cboMP = new QComboBox(this);
    d->cboMP->setObjectName(QStringLiteral("cboMP"));
    d->cboMP->setGeometry(10, 326, 200, 24);
    d->List2 = fixedList(this, "List2", {10, 358, 500, 132});
    d->List3 = fixedList(this, "List3", {520, 358, 290, 70});
    d->Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("Encerrar"),
                                   {520, 440, 290, 50});
    d->Command1->setEnabled(false);

    new SelectToEnd(d->txtQt);
    new SelectToEnd(d->txtVR);
    connect(d->txtIdProc, &QLineEdit::textChanged, d->txtNmProc, &QLineEdit::clear);
    connect(d->txtIdConv, &QLineEdit::textChanged, d->txtNmConv, &QLineEdit::clear);
    onLeave(d->txtIdProc, [this] { txtIdProc_LostFocus(); });
    onLeave(d->txtIdConv, [this] { txtIdConv_LostFocus(); });
    connect(d->Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(d->cboMP, &QComboBox::activated, this, [this](int i) { cboMP_Click(i); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    for (QListWidget* list : {d->List1, d->List2})
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, list](QListWidgetItem* line) { removeLine(list, list->row(line)); });
    QWidget* order[] = {d->txtIdProc, d->txtIdConv, d->txtVR, d->txtQt, d->Command2,
                        d->List1,     d->cboMP,     d->List2, d->List3, d->Command1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmCli_AgendaCF::buildPaymentFrame() {
    QFrame* f = d->frmMPP = new QFrame(this);
    f->setObjectName(QStringLiteral("frmMPP"));
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Raised);
    f->setAutoFillBackground(true);
    f->setGeometry(200, 170, 420, 180);
    Controls::label(f, QString(), QStringLiteral("ESPECIE"), {10, 8, 120, 16});
    d->lMP = Controls::label(f, QStringLiteral("lMP"), QString(), {10, 24, 400, 20});
    d->lMP->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    Controls::label(f, QString(), QStringLiteral("Valor"), {10, 50, 120, 16});
    d->txtVrMp = Controls::lineBox(f, QStringLiteral("txtVrMp"), {10, 66, 140, 22}, 30);
    Controls::label(f, QString(), QStringLiteral("Histórico"), {10, 94, 120, 16});
    d->txtobs = Controls::lineBox(f, QStringLiteral("txtobs"), {10, 110, 400, 22}, 255);
    d->Command16 = Controls::button(f, QStringLiteral("Command16"), QStringLiteral("Salvar"),
                                    {10, 140, 120, 30});
    d->Command17 = Controls::button(f, QStringLiteral("Command17"), QStringLiteral("Sair"),
                                    {140, 140, 120, 30});
    connect(d->Command16, &QPushButton::clicked, this, [this] { Command16_Click(); });
    connect(d->Command17, &QPushButton::clicked, this, [this] { Command17_Click(); });
    f->hide();
}

void frmCli_AgendaCF::installKeys() {
    auto* keys = new KeyPreview(this);
    keys->keyDown = [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_F2)
            searchProcedure();
        else if (key == Qt::Key_F3)
            searchPlan();
        else
            return false;
        return true;
    };
    keys->keyPress = [this](int& ascii) {
        if (ascii != kEscape)
            return;
        ascii = 0;
        reject();
    };
}

void frmCli_AgendaCF::fill(const AttendanceHandover& booking) {
    d->booking = booking;
    d->lPac->setText(booking.idpac + QStringLiteral(" | ") + booking.nmpac);
    d->lIdAgenda->setText(booking.idagenda);
    d->lProf->setText(booking.professionalItem);
    d->lDT->setText(booking.dt);
    d->lHR->setText(booking.hr);
    // Each code before its name: a code written empties its name box.
    d->txtIdProc->setText(booking.idproc.trimmed());
    d->txtNmProc->setText(booking.nmproc.trimmed());
    d->txtVR->setText(booking.valor);
    d->txtQt->setText(QStringLiteral("1"));
    d->txtIdConv->setText(booking.idconv);
    d->txtNmConv->setText(booking.nmconv);
}

void frmCli_AgendaCF::searchProcedure() {
    if (!d->txtIdProc->isEnabled())
        return;
    searchInto(&frmBuscaProcedimentos::run, d->txtIdProc, d->txtNmProc, QStringLiteral("0"));
    d->txtIdProc->setFocus();
}

void frmCli_AgendaCF::searchPlan() {
    if (!d->txtIdConv->isEnabled())
        return;
    searchInto(&frmBuscaConvenios::run, d->txtIdConv, d->txtNmConv);
    d->txtIdConv->setFocus();
}

void frmCli_AgendaCF::txtIdProc_LostFocus() {
    d->txtNmProc->clear();
    d->txtNmProc->setText(nameOf(d->txtIdProc, kProcedure, "nmproc"));
}

void frmCli_AgendaCF::txtIdConv_LostFocus() {
    d->txtNmConv->clear();
    d->txtNmConv->setText(nameOf(d->txtIdConv, kPlan, "nmconv"));
}

} // namespace vtx
