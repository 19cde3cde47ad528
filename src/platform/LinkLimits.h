// How long a workstation waits on its database server, and what its connection string says of
// the link.
#pragma once

#include <chrono>

#include <QString>

namespace vtx {

/// The waits on the server that give up: opening a link, and each wait for the server's next
/// packet on an open one (a statement's answer, a row, a lock the server waits for).
struct LinkLimits {
    std::chrono::seconds connect{10};
    /// Longer than any wait the program asks of the server itself: a row lock (50 s), a named
    /// lock (10 s), the backup's metadata locks (60 s), the longest report.
    std::chrono::seconds readWrite{90};
};

/// The limits every connection opens with; tests set short ones.
LinkLimits linkLimits();
void setLinkLimits(const LinkLimits& limits);

/// The connection string as the driver gets it: the caller's text, then the driver's time-out
/// keys (the later key wins over one the text may carry).
QString withLinkLimits(const QString& connectionString);

/// The value of a key of a connection string (the last one given, a value in braces read as the
/// driver reads it); empty when the key is absent.
QString connectionKey(const QString& connectionString, const QString& key);

} // namespace vtx
