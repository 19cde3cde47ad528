// Keys made from the clock ("yymmddhhmmss" and the like) between a prefix and a suffix, kept
// unique by the database: a key another row already holds moves on to the next second.
#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

namespace vtx {

/// The shape of a clock key: the prefix, the moment in a Qt date-time format, the suffix.
struct ClockKeyPattern {
    QString prefix;
    QString clockFormat; // "yyMMddHHmmss", "ddMMyyHHmmss", ...
    QString suffix;

    QString keyAt(const QDateTime& moment) const;
};

namespace ClockKeys {

/// How many seconds from now a key may move on before the maker gives up.
inline constexpr int kMaxSeconds = 120;

/// Runs the insert with the key of the clock's now; when the server refuses it as a duplicate
/// key, runs it again with the key of the next second, and so on. Call it inside the write's
/// transaction (a refused insert undoes only itself). Returns the key written; any other
/// failure is thrown as the DbError it was, and a key still taken after kMaxSeconds tries as a
/// DbError that asks the user to try again.
QString insertUnique(const ClockKeyPattern& pattern,
                     const std::function<void(const QString& key)>& insert);

/// The first key, from the clock's now on, second by second, that isFree accepts; for keys
/// checked before they are written (a receipt number shown before its first row). Throws
/// DbError asking the user to try again when none of kMaxSeconds keys is free.
QString firstFree(const ClockKeyPattern& pattern,
                  const std::function<bool(const QString& key)>& isFree);

} // namespace ClockKeys

} // namespace vtx
