// The booking frame: its fields, opening on a day line, closing, the lookups and the searches.
#include "frmAgendamento.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "Bookings.h"
#include "ColumnRefusals.h"
#include "Controls.h"
#include "DayView.h"
#include "DbError.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "frmAgendamento_p.h"
#include "frmBuscaConvenios.h"
#include "frmBuscaPacientes.h"

namespace vtx {

namespace {

const QString kProcedures =
    QStringLiteral("select * from procedimentos where idlic = ? and vertmex = '0'");
const QString kPlan =
    QStringLiteral("select nmconv,pdesc from convenios where idlic = ? and idconv = ?");
const QString kPatient =
    QStringLiteral("select p.nmpac,p.fonepac,p.fonecel,p.idconv,c.nmconv,c.pdesc from pacientes p "
                   "left join convenios c on c.idlic = p.idlic and p.idconv = c.idconv "
                   "where p.idlic = ? and p.idpac = ?");

/// The twips between the day list's corner and the frame's when it is shown (15 a pixel).
constexpr int kRightOfList = 2500 / 15;
constexpr int kBelowListTop = 2000 / 15;

} // namespace

frmAgendamento::frmAgendamento(AgendaWindow window, QWidget* parent)
    : QObject(parent), d(new Private) {
    d->window = std::move(window);
    // A plain frame, so that the window's resizer scales the controls inside it too.
    d->panel = new QFrame(parent);
    d->panel->setObjectName(QStringLiteral("frmAgendamento"));
    buildUi();
    d->listGeometry = d->window.dayList->geometry();
    d->panel->move(d->listGeometry.topLeft() + QPoint(kRightOfList, kBelowListTop));
    d->panel->hide();
}

frmAgendamento::~frmAgendamento() = default;

QFrame* frmAgendamento::panel() const {
    return d->panel;
}

bool frmAgendamento::isShown() const {
    return d->panel->isVisible();
}

void frmAgendamento::buildUi() {
    QFrame* p = d->panel;
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Raised);
    p->setAutoFillBackground(true);
    p->resize(800, 228);
    int labels = 0;
    auto label = [p, &labels](const QString& text, int x, int y) {
        QLabel* l = Controls::label(p, QStringLiteral("lblAgendamento%1").arg(++labels), text,
                                    {x, y, 300, 16});
        l->resize(l->sizeHint().width() + 24, 16); // room for a larger font when scaled
    };
    auto box = [p](const char* name, const QRect& geometry, bool typed = true) {
        QLineEdit* edit = Controls::lineBox(p, QLatin1String(name), geometry);
        if (!typed) {
            // Filled by the frame itself.
            edit->setReadOnly(true);
            edit->setFocusPolicy(Qt::NoFocus);
        }
        return edit;
    };
    label(QStringLiteral("Data"), 10, 4);
    d->txtDT = box("txtDT", {10, 20, 90, 22}, false);
    label(QStringLiteral("Horário"), 106, 4);
    d->txtHR = box("txtHR", {106, 20, 56, 22}, false);
    label(QStringLiteral("Tipo"), 168, 4);
    d->cboTP = new QComboBox(p);
    d->cboTP->setObjectName(QStringLiteral("cboTP"));
    QFont courier(QStringLiteral("Courier New"), 8);
    courier.setStyleHint(QFont::TypeWriter);
    d->cboTP->setFont(courier);
    d->cboTP->setGeometry(168, 20, 400, 22);
    d->txtIdAgenda = box("txtIdAgenda", {574, 20, 216, 22}, false);
    label(QStringLiteral("Paciente - F2 Pesquisar"), 10, 48);
    d->txtIdPac = box("txtIdPac", {10, 64, 70, 22});
    d->txtNmPac = box("txtNmPac", {84, 64, 330, 22});
    d->txtNmPac->setMaxLength(60);
    label(QStringLiteral("Convênio - F3 Pesquisar"), 420, 48);
    d->txtIdConv = box("txtIdConv", {420, 64, 60, 22});
    d->txtNmConv = box("txtNmConv", {484, 64, 306, 22}, false);
    label(QStringLiteral("Valor"), 10, 92);
    d->txtVR = box("txtVR", {10, 108, 120, 22}, false);
    label(QStringLiteral("Telefone"), 136, 92);
    d->txtFone = box("txtFone", {136, 108, 250, 22});
    d->txtFone->setMaxLength(70);
    label(QStringLiteral("Necessita Mobilidade Especial"), 392, 92);
    d->cboMobEsp = new QComboBox(p);
    d->cboMobEsp->setObjectName(QStringLiteral("cboMobEsp"));
    d->cboMobEsp->addItems({QStringLiteral("0 - Não"), QStringLiteral("1 - Sim")});
    d->cboMobEsp->setGeometry(392, 108, 190, 22);
    d->cboOnde = new QComboBox(p);
    d->cboOnde->setObjectName(QStringLiteral("cboOnde"));
    d->cboOnde->addItems({QStringLiteral("0 - Clinica"), QStringLiteral("1 - Home")});
    d->cboOnde->setGeometry(588, 108, 202, 22);
    label(QStringLiteral("Obs"), 10, 136);
    d->txtObs = box("txtObs", {10, 152, 780, 22});
    d->txtObs->setMaxLength(255);
    buildButtons();

    onLeave(d->txtIdConv, [this] { txtIdConv_LostFocus(); });
    onLeave(d->txtIdPac, [this] { txtIdPac_LostFocus(); });
    QWidget* order[] = {d->cboTP,  d->txtIdPac,  d->txtNmPac, d->txtIdConv, d->txtFone,
                        d->txtObs, d->cboMobEsp, d->cboOnde,  d->Command7};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmAgendamento::buildButtons() {
    auto button = [this](const char* name, const QString& caption, const QRect& geometry,
                         void (frmAgendamento::*handler)()) {
        QPushButton* b = Controls::button(d->panel, QLatin1String(name), caption, geometry);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    d->Command7 = button("Command7", QStringLiteral("Salvar"), {10, 186, 120, 34},
                         &frmAgendamento::Command7_Click);
    d->Command8 = button("Command8", QStringLiteral("Sair sem salvar"), {136, 186, 140, 34},
                         &frmAgendamento::Command8_Click);
    d->Command9 = button("Command9", QStringLiteral("Cancelar Agendamento"), {282, 186, 170, 34},
                         &frmAgendamento::Command9_Click);
    d->Command5 = button("Command5", QStringLiteral("Confirmação de Notificação"),
                         {458, 186, 190, 34}, &frmAgendamento::Command5_Click);
    d->Command4 = button("Command4", QStringLiteral("Confirmar"), {654, 186, 136, 34},
                         &frmAgendamento::Command4_Click);
}

void frmAgendamento::setBookingButtons(bool enabled) {
    for (QPushButton* b : {d->Command9, d->Command5, d->Command4})
        b->setEnabled(enabled);
}

void frmAgendamento::place() {
    // The list may have been scaled with the window since it was built.
    const QRect list = d->window.dayList->geometry();
    const double xr = double(list.width()) / d->listGeometry.width();
    const double yr = double(list.height()) / d->listGeometry.height();
    d->panel->move(list.topLeft() + QPoint(int(kRightOfList * xr), int(kBelowListTop * yr)));
}

void frmAgendamento::List1_DblClick(const QString& line) {
    d->cboOnde->setCurrentIndex(0);
    setBookingButtons(false);
    if (!DayView::isTimeLine(line))
        return;
    if (DayView::field(line, 5).trimmed() == QLatin1String("2")) {
        msgBox(QStringLiteral("ATENDIMENTO JÁ CONFIRMADO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return;
    }
    if (!reportingDbErrors([this] { reloadProcedures(); }))
        return;
    if (d->panel->isHidden()) {
        d->window.enableChoices(false);
        place();
        d->panel->raise();
        d->panel->show();
    }
    const bool booked = !DayView::field(line, 1).trimmed().isEmpty();
    if (!d->txtIdAgenda->text().trimmed().isEmpty()) {
        // A stored booking is loaded: a free hour is where it moves to.
        if (booked) {
            errorBox(QStringLiteral("HORÁRIO NÃO DISPONIVEL!"), MsgIcon::Information);
            return;
        }
        setBookingButtons(true);
        d->txtDT->setText(Formats::dateText(d->window.selectedDay()));
        d->txtHR->setText(line.left(5));
        return;
    }
    if (!booked) {
        d->txtIdAgenda->clear();
        d->stored.reset();
        d->txtDT->setText(Formats::dateText(d->window.selectedDay()));
        d->txtHR->setText(line.left(5));
        d->cboTP->setCurrentIndex(d->cboTP->count() > 0 ? 0 : -1);
        d->cboMobEsp->setCurrentIndex(0);
        d->cboTP->setFocus();
        return;
    }
    loadBooking(line.section(QLatin1Char('|'), -1));
}

void frmAgendamento::reloadProcedures() {
    // The choices shown stay until the new ones are read.
    const Recordset rows = conexaoAberta().query(kProcedures, {gIdLic});
    d->cboTP->clear();
    for (int r = 0; r < rows.recordCount(); ++r) {
        const QVariant code = rows.value(r, rows.columnIndex(QStringLiteral("idproc")));
        const QString name = rows.value(r, rows.columnIndex(QStringLiteral("nmproc"))).toString();
        d->cboTP->addItem(name.leftJustified(45, QLatin1Char(' '), /*truncate=*/true) +
                              QLatin1Char('|') + code.toString(),
                          code);
        d->cboTP->setItemData(r, name, kProcedureNameRole);
    }
    d->cboTP->setCurrentIndex(-1);
}

void frmAgendamento::loadBooking(const QString& key) {
    std::optional<Booking> booking;
    if (!reportingDbErrors([&] { booking = Bookings::load(conexaoAberta(), key); }) || !booking)
        return;
    setBookingButtons(true);
    d->stored = booking;
    d->txtIdAgenda->setText(booking->idagenda);
    d->txtDT->setText(Formats::dateText(booking->dia));
    d->txtHR->setText(booking->hr);
    d->txtIdPac->setText(booking->idpac.toString());
    d->txtNmPac->setText(booking->nmpac);
    d->txtIdConv->setText(booking->idconv.toString());
    d->txtFone->setText(booking->fone);
    for (int i = 0; i < d->cboTP->count(); ++i)
        if (!booking->idproc.isNull() &&
            d->cboTP->itemData(i).toLongLong() == booking->idproc.toLongLong()) {
            d->cboTP->setCurrentIndex(i);
            break;
        }
    d->txtObs->setText(booking->obs);
    bool isDigit = false;
    const int mobility = booking->mobesp.left(1).toInt(&isDigit);
    d->cboMobEsp->setCurrentIndex(isDigit && mobility < d->cboMobEsp->count() ? mobility : -1);
    // The plan's name; the price shown is the stored one, not the plan's of today.
    txtIdConv_LostFocus();
    d->txtVR->setText(booking->valor ? Formats::currency(*booking->valor) : QString());
    d->cboTP->setFocus();
}

void frmAgendamento::Command8_Click() {
    d->window.enableChoices(true);
    for (QLineEdit* box : {d->txtDT, d->txtHR, d->txtIdPac, d->txtIdAgenda, d->txtNmPac,
                           d->txtIdConv, d->txtNmConv, d->txtVR, d->txtObs, d->txtFone})
        box->clear();
    d->stored.reset();
    d->window.dayList->setEnabled(true);
    d->window.dayList->setFocus();
    d->panel->hide();
}

void frmAgendamento::takeHour(const QString& line) {
    if (DayView::isTimeLine(line))
        d->txtHR->setText(line.left(5));
}

QString frmAgendamento::discountedFee(const QVariant& discount) const {
    const Decimal fee = d->window.professional().fee;
    const Decimal percent = discount.isNull() ? Decimal() : discount.value<Decimal>();
    try {
        const Decimal price =
            fee.timesDividedBy(Decimal::fromInt(100) - percent, Decimal::fromInt(100), 2);
        if (Columns::agenda_clinica::valor.holds(price))
            return Formats::currency(price);
    } catch (const UsageError&) {
        // A discount so large that the price leaves the exact decimals.
    }
    // A price the booking's column cannot hold: no price.
    refuseOutOfRange();
    return QString();
}

void frmAgendamento::txtIdConv_LostFocus() {
    const std::optional<qlonglong> code = codeIn(d->txtIdConv);
    if (!code)
        return;
    Recordset plan;
    if (!reportingDbErrors([&] { plan = conexaoAberta().query(kPlan, {gIdLic, *code}); }))
        return;
    d->txtNmConv->setText(plan.isEmpty() ? QString() : plan.text(QStringLiteral("nmconv")));
    d->txtVR->setText(
        discountedFee(plan.isEmpty() ? QVariant() : plan.value(QStringLiteral("pdesc"))));
}

void frmAgendamento::txtIdPac_LostFocus() {
    const std::optional<qlonglong> code = codeIn(d->txtIdPac);
    if (!code)
        return;
    Recordset patient;
    if (!reportingDbErrors([&] {
            patient = conexaoAberta().query(kPatient, {gIdLic, *code});
        }) ||
        patient.isEmpty())
        return;
    d->txtNmPac->setText(patient.text(QStringLiteral("nmpac")));
    d->txtIdConv->setText(patient.text(QStringLiteral("idconv")));
    d->txtNmConv->setText(patient.text(QStringLiteral("nmconv")));
    d->txtFone->setText(patient.text(QStringLiteral("fonecel")) + QLatin1Char(' ') +
                        patient.text(QStringLiteral("fonepac")));
    d->txtVR->setText(discountedFee(patient.value(QStringLiteral("pdesc"))));
}

// A code chosen goes into its box, which takes the focus, so that leaving it looks the code up.
void frmAgendamento::searchPatient() {
    if (searchInto(&frmBuscaPacientes::run, d->txtIdPac, d->txtNmPac))
        d->txtIdPac->setFocus();
}

void frmAgendamento::searchPlan() {
    if (searchInto(&frmBuscaConvenios::run, d->txtIdConv, d->txtNmConv))
        d->txtIdConv->setFocus();
}

} // namespace vtx
