// Grid columns by name.
#include "ContractColumns.h"

#include "Decimal.h"
#include "Formats.h"

namespace vtx {

QList<GridColumn> namedColumns(std::initializer_list<const char*> names) {
    QList<GridColumn> out;
    for (const char* name : names) {
        QString column = QString::fromLatin1(name);
        int minDecimals = -1;
        if (column.endsWith(QLatin1Char('#')))
            minDecimals = 2;
        else if (column.endsWith(QLatin1Char('~')))
            minDecimals = 0;
        if (minDecimals < 0) {
            out.append({column, column});
            continue;
        }
        column.chop(1);
        out.append({column, column, [minDecimals](const QVariant& v) {
                        return v.isNull()
                                   ? QString()
                                   : Formats::decimalText(v.value<Decimal>(), minDecimals, 4);
                    }});
    }
    return out;
}

} // namespace vtx
