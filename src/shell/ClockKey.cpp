// The clock key maker: successive seconds until the database takes the key.
#include "ClockKey.h"

#include "Clock.h"
#include "DbError.h"

namespace vtx {

QString ClockKeyPattern::keyAt(const QDateTime& moment) const {
    return prefix + moment.toString(clockFormat) + suffix;
}

namespace ClockKeys {

namespace {

/// Every key of the seconds allowed is taken: many saves came at once.
DbError noFreeKey() {
    return DbError(0, QStringLiteral("HY000"),
                   QStringLiteral("NÃO HÁ NÚMERO LIVRE NESTE MOMENTO. TENTE NOVAMENTE!"));
}

} // namespace

QString insertUnique(const ClockKeyPattern& pattern,
                     const std::function<void(const QString& key)>& insert) {
    const QDateTime start = Clock::now();
    for (int second = 0;; ++second) {
        const QString key = pattern.keyAt(start.addSecs(second));
        try {
            insert(key);
            return key;
        } catch (const DbError& error) {
            if (!error.duplicateKey())
                throw;
            if (second + 1 >= kMaxSeconds)
                throw noFreeKey();
        }
    }
}

QString firstFree(const ClockKeyPattern& pattern,
                  const std::function<bool(const QString& key)>& isFree) {
    const QDateTime start = Clock::now();
    for (int second = 0; second < kMaxSeconds; ++second) {
        const QString key = pattern.keyAt(start.addSecs(second));
        if (isFree(key))
            return key;
    }
    throw noFreeKey();
}

} // namespace ClockKeys

} // namespace vtx
