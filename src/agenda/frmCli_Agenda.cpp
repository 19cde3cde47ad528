// The appointment book window: professional choice, calendar, day list, sessions grid, keys.
#include "frmCli_Agenda.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableView>

#include "AgendaInput.h"
#include "AgendaPrintout.h"
#include "AutoResize.h"
#include "Bookings.h"
#include "BoundGrid.h"
#include "Clock.h"
#include "Controls.h"
#include "DataControl.h"
#include "DayView.h"
#include "DbError.h"
#include "Formats.h"
#include "Impressos.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "WaitCursor.h"
#include "frmAgendamento.h"
#include "frmCli_AgendaProcHome.h"
#include "frmCli_Agenda_Pesquisa.h"

namespace vtx {

namespace {

const QString kProfessionals =
    QStringLiteral("select * from profissionais where idlic = ? and vertmex in ('0','2') "
                   "order by nmpro");
const QString kHoliday =
    QStringLiteral("select * from feriados where idlic = ? and dia = ? and mes = ?");
const QString kHours = QStringLiteral(
    "select * from diahr where idlic = ? and idpro = ? and mid(dia,1,1) = ? order by hr");
// The joins match the installation too, so that no other installation's name shows.
const QString kSessions = QStringLiteral(
    "select ca.idcontrato,ca.idprof,ca.idlan,ca.status,ca.idproc,ca.data,ca.hora,pa.nmpac,"
    "pa.dtnasc,pd.nmproc,pa.fonepac from contrato_agenda ca "
    "left join procedimentos pd on pd.idlic = ca.idlic and ca.idproc = pd.idproc "
    "left join pacientes pa on pa.idlic = ca.idlic and ca.idpac = pa.idpac "
    "where ca.idlic = ? and ca.data = ? order by ca.hora");

/// Item data of a professional: code, fee and specialty.
enum ProfessionalRole { kIdRole = Qt::UserRole, kFeeRole, kSpecialtyRole };

/// Per cent of the sessions grid's width for each of its columns.
const QList<int> kColumnShares = {8, 37, 15, 10, 30};

QFont courier() {
    QFont font(QStringLiteral("Courier New"), 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

/// A number as the professional items write it: decimal comma, no grouping, no trailing zeros.
QString plainNumber(const QVariant& value) {
    if (value.isNull())
        return QString();
    QString text = value.value<Decimal>().toString();
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

/// "segunda-feira, 4 de maio de 2026"
QString longDate(const QDate& date) {
    const QLocale pt(QLocale::Portuguese, QLocale::Brazil);
    return QStringLiteral("%1, %2 de %3 de %4")
        .arg(pt.dayName(date.dayOfWeek()), QString::number(date.day()), pt.monthName(date.month()),
             QString::number(date.year()));
}

} // namespace

struct frmCli_Agenda::Private {
    QComboBox* cboPro = nullptr;
    QCalendarWidget* Calendar1 = nullptr;
    QListWidget* List1 = nullptr;
    QLabel* lTit = nullptr;
    QLabel* lDia = nullptr;
    QLabel* lFeriado = nullptr;
    QLabel* lHoje = nullptr;
    QLabel* lQT = nullptr;
    BoundGrid* sessions = nullptr; // DataGrid1 over Adodc1
    QPushButton* Command1 = nullptr;
    QPushButton* Command6 = nullptr;
    frmAgendamento* frame = nullptr;

    bool chosen = false; // a professional is chosen
    CurrentProfessional IdProAtual;
    int DiaSemana = 1;
};

frmCli_Agenda::frmCli_Agenda(QWidget* parent) : QDialog(parent), d(new Private) {
    setObjectName(QStringLiteral("frmCli_Agenda"));
    setWindowTitle(QStringLiteral("Clinica - Agenda"));
    buildUi();
    installKeys();
    new AutoResize(this);
    d->lHoje->setText(QStringLiteral("HOJE: ") + longDate(Clock::today()));
    d->lTit->setText(DayView::titleLine());
    {
        const QSignalBlocker quiet(d->Calendar1);
        d->Calendar1->setSelectedDate(Clock::today());
    }
    loadProfessionals();
}

frmCli_Agenda::~frmCli_Agenda() = default;

frmAgendamento* frmCli_Agenda::bookingFrame() const {
    return d->frame;
}

frmCli_Agenda::DayStatements frmCli_Agenda::dayStatements() {
    return {kHoliday, kHours, kSessions};
}

void frmCli_Agenda::buildUi() {
    resize(1250, 860);
    Controls::label(this, QStringLiteral("Label1"), QStringLiteral("PROFISSIONAL"),
                    {10, 8, 200, 18});
    d->cboPro = new QComboBox(this);
    d->cboPro->setObjectName(QStringLiteral("cboPro"));
    d->cboPro->setFont(courier());
    d->cboPro->setGeometry(10, 26, 440, 24);
    d->Calendar1 = new QCalendarWidget(this);
    d->Calendar1->setObjectName(QStringLiteral("Calendar1"));
    d->Calendar1->setGeometry(10, 58, 440, 200);
    d->Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    d->lHoje = Controls::label(this, QStringLiteral("lHoje"), QString(), {10, 264, 440, 20});
    d->lHoje->setCursor(Qt::PointingHandCursor);
    d->lHoje->installEventFilter(this);
    d->lDia = Controls::label(this, QStringLiteral("lDia"), QString(), {10, 286, 440, 20});
    d->lFeriado = Controls::label(this, QStringLiteral("lFeriado"), QString(), {10, 308, 440, 20});
    d->lQT = Controls::label(this, QStringLiteral("lQT"), QStringLiteral("Clinica: 0 Home: 0"),
                             {10, 330, 440, 20});
    d->lQT->setFont(QFont(QStringLiteral("Arial Narrow"), 10, QFont::Bold));
    for (QLabel* l : {d->lHoje, d->lDia, d->lFeriado})
        l->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    d->lFeriado->setStyleSheet(QStringLiteral("color: #c00000"));
    d->Command1 =
        Controls::button(this, QStringLiteral("Command1"),
                         QStringLiteral("F2 Pesquisar Data Agendada"), {10, 356, 215, 30});
    d->Command6 = Controls::button(this, QStringLiteral("Command6"),
                                   QStringLiteral("F3 Imprimir Agenda"), {235, 356, 215, 30});
    buildSessionsGrid();
    d->lTit = Controls::label(this, QStringLiteral("lTit"), QString(), {10, 392, 1230, 18});
    d->lTit->setFont(courier());
    d->List1 = new QListWidget(this);
    d->List1->setObjectName(QStringLiteral("List1"));
    d->List1->setFont(courier());
    d->List1->setGeometry(10, 410, 1230, 440);
    // The titles start where the lines' text does (past the list's frame and the item's
    // margin), so that each "|" of the titles stands over the "|" of the lines.
    d->lTit->setIndent(
        d->List1->frameWidth() +
        d->List1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, d->List1) + 1);

    d->frame = new frmAgendamento(
        {d->List1, [this] { return d->IdProAtual; },
         [this] { return d->Calendar1->selectedDate(); },
         [this](bool enabled) {
             for (QWidget* w : std::initializer_list<QWidget*>{d->Command1, d->Command6, d->cboPro})
                 w->setEnabled(enabled);
         },
         [this] { CarregaAgenda(); }},
        this);

    connect(d->cboPro, &QComboBox::currentIndexChanged, this, [this] { cboPro_Click(); });
    connect(d->Calendar1, &QCalendarWidget::selectionChanged, this, [this] { Calendar1_Change(); });
    connect(d->List1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { List1_Click(item->text()); });
    connect(d->List1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { d->frame->List1_DblClick(item->text()); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(d->Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(d->sessions->view(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { DataGrid1_Click(index.row()); });
}

void frmCli_Agenda::buildSessionsGrid() {
    d->sessions = new BoundGrid(this, QStringLiteral("DataGrid1"), QStringLiteral("Adodc1"),
                                {{QStringLiteral("HORÁRIO"), QStringLiteral("hora")},
                                 {QStringLiteral("PACIENTE"), QStringLiteral("nmpac")},
                                 {QStringLiteral("FONE"), QStringLiteral("fonepac")},
                                 {QStringLiteral("DT.NASCIMENTO"), QStringLiteral("dtnasc")},
                                 {QStringLiteral("PROCEDIMENTO"), QStringLiteral("nmproc")}});
    d->sessions->rows().setConnectionString(gStrConexao);
    d->sessions->view()->setGeometry(460, 8, 780, 378);
    d->sessions->keepColumnShares(kColumnShares);
}

void frmCli_Agenda::installKeys() {
    auto* keys = new KeyPreview(this);
    keys->keyDown = [this](int key, Qt::KeyboardModifiers) {
        const bool framed = d->frame->isShown();
        if (key == Qt::Key_F2)
            framed ? d->frame->searchPatient() : Command1_Click();
        else if (key == Qt::Key_F3)
            framed ? d->frame->searchPlan() : Command6_Click();
        else
            return false;
        return true;
    };
    keys->keyPress = [this](int& ascii) {
        if (ascii != kEscape)
            return;
        ascii = 0;
        if (!d->frame->isShown())
            reject();
    };
}

void frmCli_Agenda::loadProfessionals() {
    const Recordset rows = conexaoAberta().query(kProfessionals, {gIdLic});
    QSignalBlocker quiet(d->cboPro);
    for (int r = 0; r < rows.recordCount(); ++r) {
        auto value = [&](const char* column) {
            return rows.value(r, rows.columnIndex(QLatin1String(column)));
        };
        const QString text =
            QStringList{value("nmpro").toString().leftJustified(45, QLatin1Char(' '),
                                                                /*truncate=*/true),
                        value("idpro").toString(), plainNumber(value("valor")),
                        value("idesp").toString(), value("vertmex").toString()}
                .join(QLatin1Char('|'));
        d->cboPro->addItem(text, value("idpro"));
        d->cboPro->setItemData(r, value("valor"), kFeeRole);
        d->cboPro->setItemData(r, value("idesp"), kSpecialtyRole);
    }
    d->cboPro->setCurrentIndex(-1);
    quiet.unblock();
    if (d->cboPro->count() > 0)
        d->cboPro->setCurrentIndex(0); // cboPro_Click
}

void frmCli_Agenda::cboPro_Click() {
    const int i = d->cboPro->currentIndex();
    d->IdProAtual = {};
    d->chosen = i >= 0;
    if (d->chosen) {
        const QVariant fee = d->cboPro->itemData(i, kFeeRole);
        d->IdProAtual.id = d->cboPro->itemData(i, kIdRole).toLongLong();
        d->IdProAtual.fee = fee.isNull() ? Decimal(0, 2) : fee.value<Decimal>();
        d->IdProAtual.specialty = d->cboPro->itemData(i, kSpecialtyRole).toInt();
        d->IdProAtual.item = d->cboPro->itemText(i);
    }
    {
        const QSignalBlocker quiet(d->Calendar1);
        d->Calendar1->setSelectedDate(Clock::today());
    }
    CarregaAgenda();
}

void frmCli_Agenda::Calendar1_Change() {
    // No other date or key is taken before the day is complete.
    setEnabled(false);
    WaitCursor wait;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    CarregaAgenda();
    wait.done();
    setEnabled(true);
}

void frmCli_Agenda::lHoje_Click() {
    const QSignalBlocker quiet(d->Calendar1);
    d->Calendar1->setSelectedDate(Clock::today());
    CarregaAgenda();
}

void frmCli_Agenda::CarregaAgenda() {
    const QDate day = d->Calendar1->selectedDate();
    d->List1->clear();
    d->lFeriado->clear();
    d->DiaSemana = day.dayOfWeek() % 7 + 1;
    int clinic = 0;
    if (d->chosen) {
        d->lDia->setText(QStringLiteral("AGENDA DO DIA: ") + Formats::dateText(day));
        try {
            Connection& db = conexaoAberta();
            const Recordset holiday = db.query(kHoliday, {gIdLic, day.day(), day.month()});
            if (!holiday.isEmpty())
                d->lFeriado->setText(QStringLiteral("FERIADO: ") +
                                     holiday.text(QStringLiteral("obs")));
            const Recordset rows =
                db.query(kHours, {gIdLic, d->IdProAtual.id, QString::number(d->DiaSemana)});
            std::vector<QStringList> rowHours;
            QStringList allHours;
            for (int r = 0; r < rows.recordCount(); ++r) {
                rowHours.push_back(DayView::hoursOf(
                    rows.value(r, rows.columnIndex(QStringLiteral("hr"))).toString()));
                allHours << rowHours.back();
            }
            allHours.removeDuplicates();
            const DayView::Day view =
                DayView::build(rowHours, allHours.isEmpty() ? std::vector<DayView::BookedRow>()
                                                            : Bookings::ofDay(db, d->IdProAtual.id,
                                                                              day, allHours));
            d->List1->addItems(view.lines);
            clinic = view.clinicCount;
            showSessions(day);
        } catch (const DbError& error) {
            // No session of the day shown before stays under this one.
            d->sessions->close();
            errorBox(error.message());
        }
    } else {
        d->sessions->close();
    }
    d->lQT->setText(QStringLiteral("Clínica: %1 Home: %2")
                        .arg(clinic)
                        .arg(d->sessions->rows().recordset().recordCount()));
}

void frmCli_Agenda::showSessions(const QDate& day) {
    d->sessions->open(kSessions, {gIdLic, day});
}

void frmCli_Agenda::List1_Click(const QString& line) {
    if (d->frame->isShown())
        d->frame->takeHour(line);
}

void frmCli_Agenda::Command1_Click() {
    if (!d->Command1->isEnabled())
        return;
    gCodBusca = QString();
    gNomeBusca.clear();
    frmCli_Agenda_Pesquisa::run();
    // The chosen booking's day, for the professional already chosen here.
    if (const std::optional<QDate> day = Formats::parseDate(gCodBusca.toString())) {
        {
            const QSignalBlocker quiet(d->Calendar1);
            d->Calendar1->setSelectedDate(*day);
        }
        CarregaAgenda();
    }
    gCodBusca = QString();
    gNomeBusca.clear();
}

void frmCli_Agenda::Command6_Click() {
    if (!d->Command6->isEnabled())
        return;
    const std::optional<QString> choice =
        inputUntil({QStringLiteral("0 - AGENDA DA CLINICA\r\n1 - AGENDA DO HOME"),
                    QStringLiteral("QUAL AGENDA DESEJA IMPRIMIR?"), QString()},
                   [](const QString& answer) {
                       return answer == QLatin1String("0") || answer == QLatin1String("1");
                   });
    if (!choice)
        return;
    AgendaPrintout::DayAgenda agenda{*choice == QLatin1String("1"),
                                     d->cboPro->currentText(),
                                     d->lDia->text(),
                                     d->lTit->text(),
                                     {}};
    if (agenda.home) {
        const Recordset& rows = d->sessions->rows().recordset();
        auto text = [&rows](int r, const char* column) {
            return rows.value(r, rows.columnIndex(QLatin1String(column))).toString();
        };
        QStringList sessions, bookings;
        for (int r = 0; r < rows.recordCount(); ++r)
            sessions << AgendaPrintout::homeLine(text(r, "hora"), text(r, "nmpac"),
                                                 text(r, "fonepac"), text(r, "nmproc"));
        // The visits booked for home care in the appointment book, which no day list shows.
        const bool read = reportingDbErrors([&] {
            for (const DayView::BookedRow& booking :
                 Bookings::homeOfDay(conexaoAberta(), d->Calendar1->selectedDate()))
                bookings << AgendaPrintout::bookingLine(booking);
        });
        if (!read)
            return;
        agenda.lines = AgendaPrintout::byHour(sessions, bookings);
    } else {
        for (int i = 0; i < d->List1->count(); ++i)
            agenda.lines << d->List1->item(i)->text();
    }
    if (AgendaPrintout::write(agenda))
        Impressos::openWrittenSheet();
}

void frmCli_Agenda::DataGrid1_Click(int row) {
    const Recordset& rows = d->sessions->rows().recordset();
    if (!d->sessions->view()->isEnabled() || row < 0 || row >= rows.recordCount())
        return;
    auto value = [&](const char* column) {
        return rows.value(row, rows.columnIndex(QLatin1String(column)));
    };
    auto date = [&](const char* column) { return Formats::dateTextOf(value(column)); };
    const HomeSession session{value("idlan").toString(),
                              value("idcontrato").toString(),
                              value("idprof").toString(),
                              value("status").toString(),
                              date("data"),
                              value("hora").toString(),
                              value("idproc").toString(),
                              value("nmproc").toString(),
                              value("nmpac").toString(),
                              date("dtnasc")};
    if (!frmCli_AgendaProcHome::open(session))
        return;
    // The session's professional may have changed.
    WaitCursor wait;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    reportingDbErrors([this] { d->sessions->refresh(); });
}

bool frmCli_Agenda::eventFilter(QObject* watched, QEvent* event) {
    if (watched == d->lHoje && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        lHoje_Click();
    return QDialog::eventFilter(watched, event);
}

} // namespace vtx
