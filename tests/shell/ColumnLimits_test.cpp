// The table of written columns against the schema the test server holds, and the values
// each holds.
#include <map>
#include <optional>

#include <gtest/gtest.h>

#include "ColumnLimits.h"
#include "DbFixture.h"
#include "Recordset.h"

namespace vtx::test {
namespace {

using Name = std::pair<QString, QString>;

/// The columns of one type in the test database, by table and column.
std::map<Name, std::pair<qlonglong, qlonglong>> schemaColumns(Connection& db, const char* type) {
    Recordset rows =
        db.query(QStringLiteral("select table_name, column_name, coalesce(numeric_precision, "
                                "character_octet_length), coalesce(numeric_scale, 0) from "
                                "information_schema.columns where table_schema = database() and "
                                "data_type = ?"),
                 {QString::fromLatin1(type)});
    std::map<Name, std::pair<qlonglong, qlonglong>> out;
    for (int r = 0; r < rows.recordCount(); ++r)
        out[{rows.value(r, 0).toString(), rows.value(r, 1).toString()}] = {
            rows.value(r, 2).toLongLong(), rows.value(r, 3).toLongLong()};
    return out;
}

class ColumnTable : public DbFixture {};

TEST_F(ColumnTable, MatchesTheSchema) {
    auto decimals = schemaColumns(db, "decimal");
    for (const DecimalColumn* c : Columns::decimals()) {
        const Name name{QString::fromLatin1(c->table), QString::fromLatin1(c->column)};
        ASSERT_TRUE(decimals.count(name)) << c->table << "." << c->column;
        EXPECT_EQ(decimals[name], std::make_pair(qlonglong(c->precision), qlonglong(c->scale)))
            << c->table << "." << c->column;
        decimals.erase(name);
    }
    // What is left the program only reads.
    EXPECT_EQ(decimals.size(), 1u);
    EXPECT_TRUE(decimals.count({QStringLiteral("insumos_cmp"), QStringLiteral("qtest")}));

    auto texts = schemaColumns(db, "text");
    for (const TextColumn* c : Columns::texts()) {
        const Name name{QString::fromLatin1(c->table), QString::fromLatin1(c->column)};
        ASSERT_TRUE(texts.count(name)) << c->table << "." << c->column;
        EXPECT_EQ(texts[name].first, c->bytes) << c->table << "." << c->column;
        texts.erase(name);
    }
    EXPECT_TRUE(texts.empty());
}

TEST(ColumnLimits, AValueFitsUpToItsLastKeptDigit) {
    // Kept rounded at the column's scale: the last digit past it decides.
    const struct {
        const DecimalColumn& column;
        const char* value;
        bool fits;
    } cases[] = {
        {Columns::convenios::pdesc, "9999999999.99", true},
        {Columns::convenios::pdesc, "9999999999.994", true},
        {Columns::convenios::pdesc, "9999999999.995", false},
        {Columns::convenios::pdesc, "-9999999999.99", true},
        {Columns::convenios::pdesc, "-9999999999.995", false},
        {Columns::cpagar::vrorig, "9999999999999.99", true},
        {Columns::cpagar::vrorig, "9999999999999.995", false},
        {Columns::cpagar::vrorig, "-9999999999999.99", true},
        {Columns::cpagar::vrorig, "-9999999999999.995", false},
        {Columns::produtos::vcusto, "9999999999999.9999", true},
        {Columns::produtos::vcusto, "9999999999999.99994", true},
        {Columns::produtos::vcusto, "9999999999999.99995", false},
        {Columns::produtos::vcusto, "-9999999999999.9999", true},
        {Columns::produtos::vcusto, "-9999999999999.99995", false},
    };
    for (const auto& c : cases) {
        const std::optional<Decimal> value = Decimal::parse(QString::fromLatin1(c.value));
        ASSERT_TRUE(value) << c.value;
        EXPECT_EQ(c.column.holds(*value), c.fits) << c.column.column << " " << c.value;
    }
}

} // namespace
} // namespace vtx::test
