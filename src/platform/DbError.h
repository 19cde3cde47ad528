// The two kinds of database failure: what the driver reported, and a caller's mistake.
#pragma once

#include <stdexcept>

#include <QString>

namespace vtx {

/// What a failure of the link to the server left of the save under way, as the connection saw it.
enum class SaveOutcome {
    None,         ///< no save was under way (a reading, an opening)
    NothingSaved, ///< the statement never reached the server, or its transaction ended unsaved
    Unknown,      ///< a commit or a write of its own was sent: it may have been done
};

/// A failure reported by the driver: native number, SQLSTATE and the driver's text.
class DbError : public std::runtime_error {
public:
    DbError(long nativeCode, QString sqlState, QString text)
        : std::runtime_error(text.toStdString()), m_nativeCode(nativeCode),
          m_sqlState(std::move(sqlState)), m_text(std::move(text)) {}

    long nativeCode() const { return m_nativeCode; }
    const QString& sqlState() const { return m_sqlState; }
    const QString& text() const { return m_text; }
    /// The server refused a row whose primary or unique key another row already holds.
    bool duplicateKey() const { return m_nativeCode == 1062; }

    /// The kinds of failure told in words of their own, by the driver's numbers and states.
    bool loginRefused() const;
    bool serverUnreachable() const;
    /// The link to the server is gone, or of no more use (connection exceptions, a lost or
    /// timed-out link, a failed TLS link or network write): the connection must be opened again.
    bool linkLost() const;

    /// The failure came while the link was being opened, whatever its number; the settings'
    /// authority file (SSLCA), empty when they name none, tells a TLS failure and a refusal.
    void setOpening(const QString& authority) {
        m_opening = true;
        m_authority = authority;
    }
    bool opening() const { return m_opening; }
    /// The server did not answer within the connection's limit of that many seconds.
    void setTimedOut(long long seconds) { m_timedOutSeconds = seconds; }
    bool timedOut() const { return m_timedOutSeconds > 0; }
    /// The failure came before the caller's statement was sent: nothing of it reached the server.
    void setUnsent() { m_unsent = true; }
    bool unsent() const { return m_unsent; }

    SaveOutcome saveOutcome() const { return m_saveOutcome; }
    void setSaveOutcome(SaveOutcome outcome) { m_saveOutcome = outcome; }

    /// What the user reads: for a failed opening, a refused login and a lost or timed-out link,
    /// what happened in Portuguese (with what it left of the save under way) and the driver's
    /// text in parentheses; the driver's text alone for any other failure.
    QString message() const;

private:
    long m_nativeCode;
    QString m_sqlState;
    QString m_text;
    SaveOutcome m_saveOutcome = SaveOutcome::None;
    bool m_opening = false;
    QString m_authority;
    long long m_timedOutSeconds = 0;
    bool m_unsent = false;
};

/// A mistake of the calling code: an unknown column, a closed connection, no current row.
class UsageError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace vtx
