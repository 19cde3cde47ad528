// The session generator.
#include "frmOS_CronoAgenda.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>

#include "ContractColumns.h"
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "Formats.h"
#include "Modal.h"
#include "Prompter.h"
#include "Session.h"
#include "SessionSchedule.h"

namespace vtx {

namespace {

const QString kSessions =
    QStringLiteral("select * from contrato_agenda where idlic = ? and idcontrato = ? and "
                   "idproc = ? order by data,hora");

/// A refusal of "Gerar": the exclamation, and no title of its own but for a failed check.
void refuse(const QString& text) {
    const bool failedCheck = text.startsWith(QLatin1String("--- ERRO --- "));
    msgBox(text, failedCheck ? QStringLiteral("ATENÇÃO") : kAppTitle, MsgIcon::Exclamation);
}

bool ask(const QString& question) {
    return msgBox(question, QStringLiteral("Atenção"), MsgIcon::Question, MsgButtons::YesNo,
                  MsgDefault::Second) == MsgAnswer::Yes;
}

} // namespace

struct frmOS_CronoAgenda::Private {
    ScheduledProcedure procedure;
    QLabel* lProc = nullptr;
    QLineEdit* txtIdProc = nullptr;
    QLineEdit* txtDataInicio = nullptr;
    QComboBox* cboHR = nullptr;
    QLineEdit* txtHora = nullptr;
    QLineEdit* txtHRs = nullptr;
    QLineEdit* txtDias = nullptr;
    QCheckBox* days[7] = {};
};

frmOS_CronoAgenda::frmOS_CronoAgenda(ScheduledProcedure procedure, QWidget* parent)
    : ListForm(namedColumns({"idlic", "idcontrato", "idlan", "idproc", "data", "hora", "idpac",
                             "idprof", "status"}),
               parent),
      d(new Private) {
    d->procedure = std::move(procedure);
    setObjectName(QStringLiteral("frmOS_CronoAgenda"));
    setWindowTitle(QStringLiteral("Contrato - Agenda"));
    buildUi();
    installKeys();
    openList(kSessions, {gIdLic, d->procedure.contractId, d->procedure.procedureCode.toLongLong()});
}

frmOS_CronoAgenda::~frmOS_CronoAgenda() = default;

void frmOS_CronoAgenda::run(const ScheduledProcedure& procedure) {
    frmOS_CronoAgenda form(procedure);
    showModal(&form);
}

void frmOS_CronoAgenda::buildUi() {
    using Controls::label;
    using Controls::lineBox;
    resize(780, 540);
    d->lProc = label(this, QStringLiteral("lProc"), d->procedure.procedureName, {10, 6, 760, 24});
    QFont bold = d->lProc->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    d->lProc->setFont(bold);
    d->txtIdProc = lineBox(this, QStringLiteral("txtIdProc"), {700, 6, 60, 22});
    d->txtIdProc->setText(d->procedure.procedureCode);
    d->txtIdProc->hide();

    label(this, QStringLiteral("Label1"), QStringLiteral("Data Inicio"), {10, 38, 100, 16});
    d->txtDataInicio = lineBox(this, QStringLiteral("txtDataInicio"), {10, 56, 100, 22}, 10);
    applyDateMask(d->txtDataInicio, 10);
    label(this, QStringLiteral("Label2"), QStringLiteral("Horário"), {120, 38, 90, 16});
    d->cboHR = new QComboBox(this);
    d->cboHR->setObjectName(QStringLiteral("cboHR"));
    d->cboHR->setGeometry(120, 56, 90, 22);
    // Every half hour from 06:00 to 21:30, then 22:00; none chosen.
    for (int hour = 6; hour <= 21; ++hour)
        for (int minute : {0, 30})
            d->cboHR->addItem(QTime(hour, minute).toString(QStringLiteral("HH:mm")));
    d->cboHR->addItem(QStringLiteral("22:00"));
    d->cboHR->setCurrentIndex(-1);
    d->txtHora = lineBox(this, QStringLiteral("txtHora"), {215, 56, 50, 22});
    d->txtHora->hide();
    label(this, QStringLiteral("Label3"), QStringLiteral("Horas"), {220, 38, 70, 16});
    d->txtHRs = lineBox(this, QStringLiteral("txtHRs"), {220, 56, 70, 22});
    label(this, QStringLiteral("Label4"), QStringLiteral("Dias"), {300, 38, 70, 16});
    d->txtDias = lineBox(this, QStringLiteral("txtDias"), {300, 56, 70, 22});

    const char* const names[7][2] = {
        {"chkDom", "Domingo"},      {"chkSeg", "Segunda-Feira"}, {"chkTer", "Terça-Feira"},
        {"chkQua", "Quarta-Feira"}, {"chkQui", "Quinta-Feira"},  {"chkSex", "Sexta-Feira"},
        {"chkSab", "Sábado"},
    };
    QWidget* previous = d->txtDias;
    setTabOrder(d->txtDataInicio, d->cboHR);
    setTabOrder(d->cboHR, d->txtHRs);
    setTabOrder(d->txtHRs, d->txtDias);
    // Each box as wide as its caption, with a gap before the next one.
    for (int i = 0, x = 10; i < 7; ++i) {
        d->days[i] = new QCheckBox(QString::fromUtf8(names[i][1]), this);
        d->days[i]->setObjectName(QString::fromLatin1(names[i][0]));
        const int width = d->days[i]->sizeHint().width();
        d->days[i]->setGeometry(x, 88, width, 22);
        x += width + 12;
        setTabOrder(previous, d->days[i]);
        previous = d->days[i];
    }
    QPushButton* gerar = makeButton(QStringLiteral("Command1"), QStringLiteral("Gerar"));
    gerar->setGeometry(660, 38, 110, 40);
    setTabOrder(previous, gerar);
    // The sessions come last: the form opens on the start date.
    setTabOrder(gerar, DataGrid1());
    DataGrid1()->setGeometry(10, 120, 760, 410);
    DataGrid1()->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DataGrid1()->viewport()->installEventFilter(this);

    connect(d->cboHR, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            d->txtHora->setText(d->cboHR->itemText(index));
    });
    connect(gerar, &QPushButton::clicked, this, [this] { Gerar(); });
}

bool frmOS_CronoAgenda::HoraValida(QString& hora) {
    return isSessionTime(hora);
}

void frmOS_CronoAgenda::escape() {
    reject();
}

std::optional<std::vector<QDateTime>> frmOS_CronoAgenda::checkedSessions() {
    SchedulePlan plan;
    const std::optional<QDate> start = Formats::parseDate(d->txtDataInicio->text());
    QString time = d->txtHora->text();
    const std::optional<int> cycles = roundedInt16(d->txtDias->text());
    const std::optional<int> hours = roundedInt16(d->txtHRs->text());
    const std::optional<Decimal> typedHours = Formats::parseAmount(d->txtHRs->text());
    if (!start) {
        refuse(QStringLiteral("Data inválida!"));
    } else if (!isSessionTime(time)) {
        refuse(QStringLiteral("Horário inválido!"));
    } else if (!cycles) {
        refuse(QStringLiteral("Quantidade de dias inválida!"));
    } else if (!typedHours || *typedHours <= Decimal() || !hours || *hours < 1) {
        // An interval that rounds to no hour would never move the sessions on.
        refuse(QStringLiteral("Intervalo de horas inválido!"));
    } else {
        plan = {*start, QTime::fromString(sessionTime(time), QStringLiteral("HH:mm")), *hours,
                *cycles};
        for (int i = 0; i < 7; ++i)
            plan.weekdays[i] = d->days[i]->checkState() == Qt::Checked;
        if (std::none_of(plan.weekdays.begin(), plan.weekdays.end(), [](bool b) { return b; })) {
            refuse(QStringLiteral("--- ERRO --- NENHUM DIA DA SEMANA SELECIONADO!"));
        } else if (auto sessions = generateSessions(plan)) {
            return sessions;
        } else {
            refuse(
                QStringLiteral("--- ERRO --- CRONOGRAMA EXCEDE O LIMITE DE %1 SESSÕES OU %2 ANOS!")
                    .arg(kMaxSessions)
                    .arg(kMaxYears));
        }
    }
    return std::nullopt;
}

bool frmOS_CronoAgenda::warnedOfSessionsInUse() {
    SessionsInUse inUse;
    if (!tryDb([&] {
            inUse = sessionsInUse(conexaoAberta(), d->procedure.contractId, d->txtIdProc->text());
        }))
        return false;
    // The new schedule replaces these too: the user is told before the question.
    if (inUse.withProfessional > 0 || inUse.concluded > 0)
        msgBox(QStringLiteral("ESTE PROCEDIMENTO TEM %1 SESSÕES COM PROFISSIONAL E %2 CONCLUÍDAS: "
                              "TODAS SERÃO APAGADAS.")
                   .arg(inUse.withProfessional)
                   .arg(inUse.concluded),
               QStringLiteral("Atenção"), MsgIcon::Exclamation);
    return true;
}

void frmOS_CronoAgenda::Gerar() {
    const auto sessions = checkedSessions();
    if (!sessions || !warnedOfSessionsInUse() || !ask(QStringLiteral("Confirma?")))
        return;
    WaitCursor wait;
    const QString patient = d->procedure.patientCode.trimmed();
    const QVariant patientCode =
        Formats::isDigitsOnly(patient) ? QVariant(patient.toLongLong()) : QVariant();
    tryDb(
        [&] {
            replaceSessions(conexaoAberta(), d->procedure.contractId, d->txtIdProc->text(),
                            patientCode, *sessions);
        },
        &wait);
    tryDb([this] { refreshList(); }, &wait);
}

bool frmOS_CronoAgenda::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DataGrid1()->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = DataGrid1()->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::RightButton && index.isValid()) {
            setCurrentRow(index.row());
            moveSession(index.row());
            return true;
        }
    }
    return ListForm::eventFilter(watched, event);
}

void frmOS_CronoAgenda::moveSession(int row) {
    const Recordset& rows = Adodc1().recordset();
    if (row < 0 || row >= rows.recordCount())
        return;
    const QString key = rows.text(QStringLiteral("idlan"));
    const QVariant day = rows.value(QStringLiteral("data"));
    std::optional<QDate> date;
    const auto dateText = inputUntil(
        {QStringLiteral("Nova Data:"), QStringLiteral("Agenda"), Formats::dateTextOf(day)},
        [&](const QString& answer) { return bool(date = Formats::parseDate(answer)); });
    if (!dateText)
        return;
    auto time = inputUntil({QStringLiteral("Novo Horário:"), QStringLiteral("Agenda"),
                            rows.text(QStringLiteral("hora"))},
                           [](const QString& answer) {
                               QString typed = answer;
                               if (HoraValida(typed))
                                   return true;
                               msgBox(QStringLiteral("Horário inválido!"),
                                      QStringLiteral("Atenção"), MsgIcon::Exclamation);
                               return false;
                           });
    if (!time)
        return;
    HoraValida(*time);
    if (!ask(QStringLiteral("Confirma os dados abaixo?\r\nNova data: ") + *dateText +
             QStringLiteral("Novo Horário: ") + *time))
        return;
    WaitCursor wait;
    // The time is kept as "hh:nn", so that every reader ordering by it sees it in its place.
    const bool moved = tryDb(
        [&] {
            Connection& db = conexaoAberta();
            Transaction tx(db);
            db.execute(QStringLiteral("update contrato_agenda set data=?,hora=? where idlic = ? "
                                      "and idcontrato = ? and idlan = ?"),
                       {*date, sessionTime(*time), gIdLic, d->procedure.contractId, key});
            tx.commit();
            refreshList();
        },
        &wait);
    if (!moved)
        return;
    Recordset& list = Adodc1().recordset();
    list.moveFirst();
    if (list.find([&](const Recordset& r) { return r.text(QStringLiteral("idlan")) == key; }))
        setCurrentRow(list.position());
}

} // namespace vtx
