// A stop in the middle of a workstation's step, at one of its statements, through which a race
// test orders two workstations by the locks they take, never by sleeps.
#pragma once

#include <chrono>
#include <semaphore>

#include <QString>

#include <gtest/gtest.h>

#include "Connection.h"

namespace vtx::test {

/// Holds the workstation thread that armed it once a statement that starts with the text has
/// run there, until resumed: a race test orders its steps with it. A step that waits longer
/// than any step takes fails the test and goes on, so that a wrong test does not hang.
class StatementStop {
public:
    explicit StatementStop(const QString& statement) {
        Connection::setTrace([this, statement](const QString& sql, long long) {
            if (tArmed && sql.startsWith(statement)) {
                tArmed = false;
                m_stopped.release();
                await(m_resume, "the stopped workstation was never resumed");
            }
        });
    }
    ~StatementStop() { Connection::setTrace(nullptr); }
    /// On the workstation's thread, before its call.
    static void arm() { tArmed = true; }
    /// On the workstation's thread, after its call: one that never got there holds no one up.
    void passed() {
        if (tArmed) {
            tArmed = false;
            m_stopped.release();
        }
    }
    void waitStopped() { await(m_stopped, "the workstation never reached its statement"); }
    void resume() { m_resume.release(); }

private:
    static constexpr std::chrono::seconds kPatience{60};
    static void await(std::binary_semaphore& signal, const char* what) {
        if (!signal.try_acquire_for(kPatience))
            ADD_FAILURE() << what;
    }

    static inline thread_local bool tArmed = false;
    std::binary_semaphore m_stopped{0}, m_resume{0};
};

} // namespace vtx::test
