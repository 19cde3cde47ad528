// A private mariadbd per test: its data, certificates and socket in a temporary folder.
#include "OwnServer.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

#include "Session.h"

namespace vtx::test {

namespace {

constexpr auto kPatience = std::chrono::minutes(1);
const QString kDatabase = QStringLiteral("vtxown");
const QString kUser = QStringLiteral("vtx");

QString program(const QString& name) {
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty())
        return found;
    return QStandardPaths::findExecutable(
        name,
        {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"), QStringLiteral("/sbin")});
}

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

OwnServer::OwnServer(bool tls)
    : m_folder(QDir::tempPath() + QStringLiteral("/vtx-own-XXXXXX")), m_tls(tls) {
    if (!m_folder.isValid()) {
        m_problem = QStringLiteral("no temporary folder");
        return;
    }
    const QString dir = m_folder.path();
    QDir(dir).mkpath(QStringLiteral("tmp"));
    QStringList asRoot;
    if (geteuid() == 0)
        asRoot << QStringLiteral("--user=root");
    if (tls && !makeCertificates())
        return;
    if (!run(QStringLiteral("mariadb-install-db"),
             QStringList{QStringLiteral("--no-defaults"),
                         QStringLiteral("--datadir=") + dir + QStringLiteral("/data"),
                         QStringLiteral("--auth-root-authentication-method=normal"),
                         QStringLiteral("--skip-test-db"),
                         QStringLiteral("--tmpdir=") + dir + QStringLiteral("/tmp")} +
                 asRoot,
             QStringLiteral("make the server's data")))
        return;
    m_port = freePort();
    QStringList arguments{QStringLiteral("--no-defaults"),
                          QStringLiteral("--datadir=") + dir + QStringLiteral("/data"),
                          QStringLiteral("--socket=") + dir + QStringLiteral("/sock"),
                          QStringLiteral("--pid-file=") + dir + QStringLiteral("/pid"),
                          QStringLiteral("--port=%1").arg(m_port),
                          QStringLiteral("--bind-address=127.0.0.1"),
                          QStringLiteral("--skip-name-resolve"),
                          QStringLiteral("--skip-log-bin"),
                          QStringLiteral("--tmpdir=") + dir + QStringLiteral("/tmp"),
                          QStringLiteral("--innodb-buffer-pool-size=16M"),
                          QStringLiteral("--log-error=") + dir + QStringLiteral("/error.log")};
    if (tls)
        arguments << QStringLiteral("--ssl-ca=") + authority()
                  << QStringLiteral("--ssl-cert=") + dir + QStringLiteral("/server-cert.pem")
                  << QStringLiteral("--ssl-key=") + dir + QStringLiteral("/server-key.pem");
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that dies takes its server with it.
    m_server.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_server.start(program(QStringLiteral("mariadbd")), arguments + asRoot);
    const QStringList admin{QStringLiteral("--no-defaults"),
                            QStringLiteral("--socket=") + dir + QStringLiteral("/sock"),
                            QStringLiteral("--user=root")};
    const QDeadlineTimer limit(kPatience);
    while (QProcess::execute(
               program(QStringLiteral("mariadb-admin")),
               admin + QStringList{QStringLiteral("--silent"), QStringLiteral("ping")}) != 0) {
        if (limit.hasExpired() || m_server.state() == QProcess::NotRunning) {
            m_problem = QStringLiteral("the test's own server did not start: see ") + dir;
            return;
        }
        QThread::msleep(100);
    }
    m_password = QStringLiteral("Own-%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
    const QString account = QStringLiteral("'%1'@'127.0.0.1'").arg(kUser);
    run(QStringLiteral("mariadb"),
        admin +
            QStringList{QStringLiteral("-e"),
                        QStringLiteral("create database %1; create user %2 identified by '%3'%4; "
                                       "grant all on %1.* to %2;")
                            .arg(kDatabase, account, m_password,
                                 tls ? QStringLiteral(" require ssl") : QString())},
        QStringLiteral("make the account"));
}

OwnServer::~OwnServer() {
    resume();
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(30000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }
}

bool OwnServer::run(const QString& name, const QStringList& arguments, const QString& what) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program(name), arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_problem =
            QStringLiteral("cannot %1: %2 %3").arg(what, name, QString::fromLocal8Bit(p.readAll()));
        return false;
    }
    return true;
}

bool OwnServer::makeCertificates() {
    const QString dir = m_folder.path() + QLatin1Char('/');
    const QStringList ec{QStringLiteral("-newkey"), QStringLiteral("ec"),
                         QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"),
                         QStringLiteral("-nodes")};
    QFile extensions(dir + QStringLiteral("ext.cnf"));
    if (!extensions.open(QIODevice::WriteOnly))
        return false;
    extensions.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                     "keyUsage=critical,digitalSignature,keyEncipherment\n"
                     "extendedKeyUsage=serverAuth\n");
    extensions.close();
    return run(QStringLiteral("openssl"),
               QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec +
                   QStringList{QStringLiteral("-keyout"), dir + QStringLiteral("ca-key.pem"),
                               QStringLiteral("-out"), authority(), QStringLiteral("-days"),
                               QStringLiteral("2"), QStringLiteral("-subj"),
                               QStringLiteral("/CN=Test authority"), QStringLiteral("-addext"),
                               QStringLiteral("basicConstraints=critical,CA:TRUE"),
                               QStringLiteral("-addext"),
                               QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
               QStringLiteral("make the authority")) &&
           run(QStringLiteral("openssl"),
               QStringList{QStringLiteral("req")} + ec +
                   QStringList{QStringLiteral("-keyout"), dir + QStringLiteral("server-key.pem"),
                               QStringLiteral("-out"), dir + QStringLiteral("server.csr"),
                               QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")},
               QStringLiteral("make the server's key")) &&
           run(QStringLiteral("openssl"),
               QStringList{QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                           dir + QStringLiteral("server.csr"), QStringLiteral("-CA"), authority(),
                           QStringLiteral("-CAkey"), dir + QStringLiteral("ca-key.pem"),
                           QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                           dir + QStringLiteral("server-cert.pem"), QStringLiteral("-days"),
                           QStringLiteral("2"), QStringLiteral("-extfile"), extensions.fileName()},
               QStringLiteral("sign the server's certificate"));
}

QString OwnServer::authority() const {
    return m_folder.path() + QStringLiteral("/ca.pem");
}

QString OwnServer::serverText() const {
    QString text = QStringLiteral("127.0.0.1;Port=%1").arg(m_port);
    if (m_tls)
        text += QStringLiteral(";SSLCA=") + authority() + QStringLiteral(";SSLVERIFY=1");
    return text;
}

QString OwnServer::connectionString(const QString& server) const {
    return vtx::connectionString(server.isEmpty() ? serverText() : server, kDatabase, kUser,
                                 m_password);
}

void OwnServer::stop() {
    resume();
    std::lock_guard lock(m_mutex);
    const auto pid = static_cast<pid_t>(m_server.processId());
    ::kill(pid, SIGSTOP);
    // Every thread of the server is stopped once the stop is reported to its parent, the test:
    // nothing sent afterwards is answered.
    siginfo_t stopped{};
    ::waitid(P_PID, static_cast<id_t>(pid), &stopped, WSTOPPED | WNOWAIT);
    m_stopped = true;
    m_watchdog = std::thread([this, pid] {
        std::unique_lock wait(m_mutex);
        if (!m_resumed.wait_for(wait, kPatience, [this] { return !m_stopped; })) {
            ::kill(pid, SIGCONT);
            m_stopped = false;
        }
    });
}

void OwnServer::resume() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            ::kill(static_cast<pid_t>(m_server.processId()), SIGCONT);
        m_stopped = false;
    }
    m_resumed.notify_all();
    if (m_watchdog.joinable())
        m_watchdog.join();
}

void OwnServer::shutDown() {
    resume();
    m_server.terminate();
    m_server.waitForFinished(30000);
}

} // namespace vtx::test
