// The hourglass pointer for the length of a step.
#pragma once

namespace vtx {

/// The hourglass while it lives, after pending screen updates ran; done() gives the arrow back.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor() { done(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void done();

private:
    bool m_on = true;
};

} // namespace vtx
