// The one clock of the program; tests set it to a fixed moment.
#pragma once

#include <QDate>
#include <QDateTime>

namespace vtx::Clock {

QDateTime now();
QDate today();
/// Fixes the clock at a moment (tests); an invalid moment returns to the real time.
void set(const QDateTime& moment);
void reset();

} // namespace vtx::Clock
