// A database server of one test's own, which the test may stop and resume as a stalled server
// looks, never the run's shared one.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vtx::test {

/// A private mariadbd on loopback with one database and one account, made in a folder of its
/// own and removed with it; with TLS its account requires a secure link, which the server text
/// asks for with the authority and verification, as a clinic's workstation does.
class OwnServer {
public:
    explicit OwnServer(bool tls);
    ~OwnServer();
    OwnServer(const OwnServer&) = delete;
    OwnServer& operator=(const OwnServer&) = delete;

    /// Empty when the server is up; else what failed.
    const QString& problem() const { return m_problem; }
    /// The settings' server text: "127.0.0.1;Port=<port>", with TLS
    /// ";SSLCA=<authority>;SSLVERIFY=1" after it.
    QString serverText() const;
    /// The connection string of the account, in the program's own form, with the server text
    /// given (serverText() unless another).
    QString connectionString(const QString& server = QString()) const;
    QString authority() const;

    /// Stops the server (SIGSTOP): it answers nothing until resumed. It resumes by itself after
    /// a minute, so that a client that never gives up fails its test rather than hang it.
    void stop();
    void resume();
    /// Shuts the server down, as a stopped service.
    void shutDown();

private:
    bool run(const QString& program, const QStringList& arguments, const QString& what);
    bool makeCertificates();

    QTemporaryDir m_folder;
    QProcess m_server;
    int m_port = 0;
    bool m_tls = false;
    QString m_password;
    QString m_problem;
    std::mutex m_mutex;
    std::condition_variable m_resumed;
    bool m_stopped = false;
    std::thread m_watchdog;
};

} // namespace vtx::test
