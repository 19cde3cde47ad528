// The appointment book's day rebuild on a large installation (200,000 bookings of 50
// professionals over two years, 50,000 home-care sessions), beside the program's own four
// statements run through its database layer and through the MariaDB C API on a warm connection
// (their values written in by one helper). Every run's output is checked against the day the
// seed stored. Run ./scripts/test (or start the server) first.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include <benchmark/benchmark.h>

#include "BenchDatabase.h"
#include "Bookings.h"
#include "Connection.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "frmCli_Agenda.h"

namespace {

const QString kLic = QStringLiteral("BENCHAG");
constexpr int kBookings = 200000;
constexpr int kSessions = 50000;
// A Monday inside the two years of bookings.
const QDate kDay(2026, 3, 2);
const QString kHours = QStringLiteral("08:00/08:30/09:00/09:30/10:00/10:30/11:00/11:30/12:00/"
                                      "12:30/13:00");

/// Loads the installation once; later runs find it in place.
void seed(vtx::Connection& db) {
    if (db.query(QStringLiteral("select count(*) from agenda_clinica where idlic = ?"), {kLic})
            .value(0, 0)
            .toInt() == kBookings)
        return;
    std::fprintf(stderr, "seeding %d bookings and %d sessions...\n", kBookings, kSessions);
    for (const char* table : {"agenda_clinica", "contrato_agenda", "profissionais", "diahr",
                              "pacientes", "procedimentos", "convenios", "feriados"})
        db.execute(QStringLiteral("delete from %1 where idlic = ?").arg(QLatin1String(table)),
                   {kLic});
    const QStringList steps{
        QStringLiteral("insert into profissionais (idlic,nmpro,valor,idesp,vertmex) select ?, "
                       "concat('PROFISSIONAL ', lpad(seq,2,'0')), 150, 1, '0' from seq_1_to_50"),
        QStringLiteral("insert into convenios (idlic,nmconv,pdesc) select ?, concat('PLANO ', "
                       "seq), 10 from seq_1_to_5"),
        QStringLiteral("insert into procedimentos (idlic,nmproc,vertmex) select ?, "
                       "concat('PROCEDIMENTO ', seq), if(seq % 2, '0', '1') from seq_1_to_20"),
        QStringLiteral("insert into pacientes (idlic,nmPac,fonepac,dtnasc) select ?, "
                       "concat('PACIENTE ', seq), '11 3333-0000', '1950-01-01' + interval seq "
                       "day from seq_1_to_1000"),
        QStringLiteral("insert into diahr (idlic,idpro,dia,hr,vertmex) select ?, p.idpro, "
                       "concat(s.seq, ' - DIA'), '%1', '0' from profissionais p join seq_2_to_6 s "
                       "where p.idlic = 'BENCHAG'")
            .arg(kHours),
        QStringLiteral(
            "insert into agenda_clinica (idlic,idagenda,fone,idpro,idesp,idconv,idpac,nmpac,dia,"
            "hr,obs,idproc,valor,status,evcad,evup,mobesp,vertmex) select ?, concat('B', s.seq), "
            "'11 99999-0000', p.idpro, 1, c.idconv, 1, concat('PACIENTE ', s.seq), "
            "'2025-06-01' + interval ((s.seq div 50) % 730) day, "
            "concat(lpad(8 + ((s.seq div 36500) % 11) div 2, 2, '0'), ':', "
            "if(((s.seq div 36500) % 11) % 2, '30', '00')), 'OBS', pr.idproc, 135, "
            "s.seq % 3, 'BENCH', 'BENCH', '0 - Não', '0' from seq_0_to_199999 s "
            "join (select idpro, row_number() over (order by idpro) - 1 n from profissionais "
            "where idlic = 'BENCHAG') p on p.n = s.seq % 50 "
            "join (select min(idconv) idconv from convenios where idlic = 'BENCHAG') c "
            "join (select min(idproc) idproc from procedimentos where idlic = 'BENCHAG') pr"),
        QStringLiteral(
            "insert into contrato_agenda (idlic,idcontrato,idlan,idproc,data,hora,idpac,idprof,"
            "status) select ?, concat('C', s.seq % 500), concat('L', s.seq), pr.idproc, "
            "'2025-06-01' + interval (s.seq % 730) day, concat(lpad(7 + s.seq % 12, 2, '0'), "
            "':00'), pa.idpac, '0', '0' from seq_0_to_49999 s "
            "join (select min(idproc) idproc from procedimentos where idlic = 'BENCHAG') pr "
            "join (select min(idpac) idpac from pacientes where idlic = 'BENCHAG') pa"),
    };
    for (const QString& sql : steps)
        db.execute(sql, {kLic});
}

/// One of the four statements of a rebuild, the program's own, with the values it takes.
struct DayStatement {
    QString sql;
    vtx::Params values;
};

/// The statements of the professional's rebuild of the day.
std::vector<DayStatement> dayStatements(qlonglong professional) {
    const vtx::frmCli_Agenda::DayStatements program = vtx::frmCli_Agenda::dayStatements();
    // The weekday as the hours store it: "1" on Sunday.
    const QString weekday = QString::number(kDay.dayOfWeek() % 7 + 1);
    return {{program.holiday, {kLic, kDay.day(), kDay.month()}},
            {program.hours, {kLic, professional, weekday}},
            {vtx::Bookings::ofDaySql(), {kLic, professional, kDay, kHours}},
            {program.sessions, {kLic, kDay}}};
}

class StderrPrompter : public vtx::Prompter {
public:
    vtx::MsgAnswer message(const vtx::MessageRequest& r) override {
        std::fprintf(stderr, "%s\n", qPrintable(r.text));
        return vtx::MsgAnswer::Ok;
    }
    std::optional<QString> input(const vtx::InputRequest&) override { return std::nullopt; }
};

vtx::frmCli_Agenda& window() {
    static vtx::frmCli_Agenda* form = [] {
        auto* f = new vtx::frmCli_Agenda;
        f->findChild<QCalendarWidget*>(QStringLiteral("Calendar1"))->setSelectedDate(kDay);
        return f;
    }();
    return *form;
}

/// The professional the window shows first, whose day the checks know.
qlonglong professional() {
    const auto* choice = window().findChild<QComboBox*>(QStringLiteral("cboPro"));
    if (!choice->currentText().startsWith(QLatin1String("PROFISSIONAL 01 "))) {
        std::fprintf(stderr, "the first professional is not the seed's first\n");
        std::exit(1);
    }
    return choice->currentData().toLongLong();
}

/// What one rebuild reads, as the C API reads it: the rows of each statement, the bookings'
/// hours and names, and the sessions' names.
struct DayRead {
    std::vector<long long> rows;
    QStringList booked;   // "hh:mm name" of each booking
    QStringList sessions; // patient of each session
    bool operator==(const DayRead&) const = default;
};

DayRead readThroughCApi(CApi& capi, const std::vector<std::string>& statements) {
    DayRead day;
    for (size_t s = 0; s < statements.size(); ++s)
        day.rows.push_back(capi.select(statements[s], [&](MYSQL_ROW row) {
            if (s == 2)
                day.booked << QString::fromUtf8(row[0]) + QLatin1Char(' ') +
                                  QString::fromUtf8(row[1]);
            else if (s == 3)
                day.sessions << QString::fromUtf8(row[7] ? row[7] : "");
        }));
    return day;
}

CApi& capi() {
    static CApi connection;
    return connection;
}

/// The same statements for the C API, their values written in by one helper.
std::vector<std::string> capiStatements() {
    std::vector<std::string> out;
    for (const DayStatement& statement : dayStatements(professional()))
        out.push_back(withLiterals(statement.sql, statement.values));
    return out;
}

/// The day the seed stored for the first professional ("PROFISSIONAL 01", the first inserted):
/// no holiday, one row of hours, the bookings whose number s falls on that professional
/// (s mod 50 = 0) and day (s div 50 mod 730 days from 2025-06-01) with the hour and name made
/// of s, and every session of the day (s mod 730) with the first patient.
const DayRead& expectedDay() {
    static const DayRead day = [] {
        const int dayIndex = static_cast<int>(QDate(2025, 6, 1).daysTo(kDay));
        DayRead d;
        for (int s = 0; s < kBookings; s += 50)
            if (s / 50 % 730 == dayIndex) {
                const int hour = s / 36500 % 11;
                d.booked << QStringLiteral("%1:%2 PACIENTE %3")
                                .arg(8 + hour / 2, 2, 10, QLatin1Char('0'))
                                .arg(hour % 2 ? QStringLiteral("30") : QStringLiteral("00"))
                                .arg(s);
            }
        for (int s = dayIndex; s < kSessions; s += 730)
            d.sessions << QStringLiteral("PACIENTE 1");
        d.rows = {0, 1, d.booked.size(), d.sessions.size()};
        return d;
    }();
    return day;
}

void CarregaAgenda(benchmark::State& state) {
    vtx::frmCli_Agenda& form = window();
    auto* list = form.findChild<QListWidget*>(QStringLiteral("List1"));
    auto* counts = form.findChild<QLabel*>(QStringLiteral("lQT"));
    const DayRead& expected = expectedDay();
    for (auto _ : state) {
        form.CarregaAgenda();
        state.PauseTiming();
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        // Every booking on a line of its hour, every free hour on a line of its own.
        bool right = lines.size() == 11 && counts->text() == QStringLiteral("Clínica: %1 Home: %2")
                                                                 .arg(expected.booked.size())
                                                                 .arg(expected.sessions.size());
        for (const QString& booking : expected.booked)
            right = right && lines.filter(booking.left(5)).size() == 1 &&
                    lines.filter(booking.left(5)).front().contains(booking.mid(6));
        state.ResumeTiming();
        if (!right) {
            state.SkipWithError("the day shown is not the day stored");
            break;
        }
    }
    state.counters["lines"] = list->count();
    state.counters["booked"] = expected.booked.size();
    state.counters["sessions"] = expected.sessions.size();
}
BENCHMARK(CarregaAgenda)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The four statements through the program's own database layer, without the window.
void Statements_Layer(benchmark::State& state) {
    const std::vector<DayStatement> statements = dayStatements(professional());
    vtx::Connection& db = vtx::conexaoAberta();
    const DayRead& expected = expectedDay();
    for (auto _ : state) {
        DayRead day;
        for (size_t s = 0; s < statements.size(); ++s) {
            const vtx::Recordset rows = db.query(statements[s].sql, statements[s].values);
            day.rows.push_back(rows.recordCount());
            for (int r = 0; r < rows.recordCount(); ++r)
                if (s == 2)
                    day.booked << rows.value(r, 0).toString() + QLatin1Char(' ') +
                                      rows.value(r, 1).toString();
                else if (s == 3)
                    day.sessions << rows.value(r, 7).toString();
        }
        if (!(day == expected)) {
            state.SkipWithError("the layer read another day");
            break;
        }
    }
}
BENCHMARK(Statements_Layer)->Unit(benchmark::kMillisecond)->UseRealTime();

void Statements_CApi(benchmark::State& state) {
    const std::vector<std::string> statements = capiStatements();
    const DayRead& expected = expectedDay();
    for (auto _ : state)
        if (!(readThroughCApi(capi(), statements) == expected)) {
            state.SkipWithError("the C API read another day");
            break;
        }
}
BENCHMARK(Statements_CApi)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    StderrPrompter prompter;
    vtx::setPrompter(&prompter);
    vtx::gStrConexao = benchConnectionString();
    vtx::gIdLic = kLic;
    vtx::gUsuario = QStringLiteral("BENCH");
    {
        vtx::Connection db;
        db.open(vtx::gStrConexao);
        seed(db);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
