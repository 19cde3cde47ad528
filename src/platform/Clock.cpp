// The program clock.
#include "Clock.h"

namespace vtx::Clock {

namespace {
QDateTime fixed;
}

QDateTime now() {
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}
QDate today() {
    return now().date();
}
void set(const QDateTime& moment) {
    fixed = moment;
}
void reset() {
    fixed = QDateTime();
}

} // namespace vtx::Clock
