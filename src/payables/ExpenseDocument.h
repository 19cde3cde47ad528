// An expense document: the instalment rows of cpagar that share a document number and a
// supplier, and the rules of loading, saving and deleting it, apart from any window.
#pragma once

#include <optional>
#include <vector>

#include <QDate>
#include <QString>

#include "Decimal.h"
#include "NamedLock.h"

namespace vtx {

/// One instalment of a document, as the schedule holds it.
struct Instalment {
    QString idlan;       // document number, "/", label, "/", supplier code
    QString parcela;     // "002/005"
    QDate dtv;           // due date
    Decimal value;       // vrorig
    bool locked = false; // paid, or in a receipt: never rewritten by the entry
};

/// The fields that every instalment of a document repeats.
struct ExpenseHeader {
    QString nrdoc;
    QString refdoc;
    qlonglong cdfor = 0;
    QDate dte;
    QString obs;
    qlonglong cdcen = 0;
    qlonglong cdscen = 0;
};

/// A document as it was read from the table.
struct StoredExpense {
    ExpenseHeader header;
    /// The number of instalments its labels name ("002/005" gives 5).
    int count = 0;
    /// In the order of their keys, whose label part follows the instalment number.
    std::vector<Instalment> instalments;

    /// At least one instalment is paid or in a receipt.
    bool partlyPaid() const;
};

namespace Instalments {

inline constexpr int kMax = 115;

/// "002/005": the instalment number and the count, three digits each.
QString label(int number, int count);
/// The instalment key: document number, "/" and label trimmed together, then "/" and supplier.
QString key(const QString& nrdoc, const QString& label, const QString& supplier);
/// The due date of the instalment `months` calendar months after the first; a day the month
/// lacks becomes its last day.
QDate dueDate(const QDate& first, int months);

} // namespace Instalments

namespace ExpenseDocument {

/// The lock two workstations saving one document take turns at: by installation, supplier and
/// the number as the server compares it (case and accents aside), so that a document both took
/// for new is stored once.
LockName lockName(const QString& nrdoc, qlonglong cdfor);

/// What a save or a deletion came to.
enum class Outcome {
    Done,
    /// The stored rows are no longer those the screen loaded (another workstation changed
    /// them); nothing was written.
    Changed,
    /// The screen took the document for new, but it is stored (by another workstation
    /// meanwhile, or before); nothing was written.
    Duplicate,
    /// The document holds a paid instalment or one in a receipt; nothing was deleted.
    Locked
};

/// The document's rows, or nothing when it has none; a number stored with blanks around it is
/// found by the number without them. The header comes from the first row, or from the first
/// open row of a partly paid document, the one its saves rewrite. Throws DbError.
std::optional<StoredExpense> load(Connection& connection, const QString& nrdoc, qlonglong cdfor);

/// Writes the document in one transaction: a new one (loaded null) is inserted; a loaded one
/// with nothing paid is deleted and inserted again; a partly paid one has its open rows
/// updated. Under a lock on the installation, supplier and number taken before the
/// transaction, the stored rows are read again under a lock first. Throws DbError (rolled
/// back).
Outcome save(Connection& connection, const ExpenseHeader& header,
             const std::vector<Instalment>& rows, const StoredExpense* loaded);

/// Deletes every row of the document in one transaction, unless one is locked.
Outcome remove(Connection& connection, const QString& nrdoc, qlonglong cdfor);

} // namespace ExpenseDocument

} // namespace vtx
