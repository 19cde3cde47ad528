// Reading the rows of an executed statement into a Recordset.
#pragma once

#include "Odbc.h"

namespace vtx {
class Recordset;
}

namespace vtx::odbc {

/// Reads every row of the statement's result. Columns of known, modest width are bound and
/// fetched many rows at a time; longer or unsized text and bytes are read piecewise. The
/// statement's cursor is closed and its columns unbound afterwards. Throws DbError.
Recordset fetchRows(SQLHSTMT stmt);

} // namespace vtx::odbc
