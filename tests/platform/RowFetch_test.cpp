// Reading rows through bound row arrays and piecewise long values: every type comes back as
// it was written, NULLs included, also past the end of a row array.
#include <QDate>
#include <QDateTime>
#include <QTime>

#include "DbFixture.h"
#include "Decimal.h"
#include "Recordset.h"

namespace vtx::test {
namespace {

constexpr int kRows = 150; // two full row arrays and part of a third

/// The values of row i; every tenth row is NULL but for its key.
Params rowValues(int i) {
    if (i % 10 == 0)
        return {i,          QVariant(), QVariant(), QVariant(), QVariant(),
                QVariant(), QVariant(), QVariant(), QVariant(), QVariant()};
    return {i,
            QStringLiteral("JOÃO D'ÁVILA Ç %1").arg(i),
            QVariant::fromValue(Decimal(-123456789012LL + i * 1001, 2)),
            i * 0.25,
            QDate(2026, 1, 1).addDays(i),
            QTime(i % 24, i % 60, (i * 7) % 60),
            QDateTime(QDate(1999, 12, 31).addDays(i), QTime(23, 59, i % 60)),
            QByteArray(i % 5, static_cast<char>(i)) + QByteArray("\x00\xff", 2),
            qlonglong(i) * 1000000007LL,
            QStringLiteral("ÁÉÍ%1").arg(i)};
}

class RowFetchTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        db.execute(QStringLiteral(
            "create temporary table f (id int primary key, nome varchar(60), "
            "valor decimal(15,2), real_ double, dia date, hora time, momento datetime, "
            "dados varbinary(64), grande bigint, curto char(8), obs mediumtext)"));
        std::vector<Params> rows;
        for (int i = 0; i < kRows; ++i)
            rows.push_back(rowValues(i));
        ASSERT_EQ(db.executeBatch(QStringLiteral("insert into f (id, nome, valor, real_, dia, "
                                                 "hora, momento, dados, grande, curto) "
                                                 "values (?,?,?,?,?,?,?,?,?,?)"),
                                  rows),
                  kRows);
    }
};

TEST_F(RowFetchTest, EveryTypeAndNullRoundTripsThroughRowArrays) {
    Recordset rs = db.query(QStringLiteral("select id, nome, valor, real_, dia, hora, momento, "
                                           "dados, grande, curto from f order by id"));
    ASSERT_EQ(rs.recordCount(), kRows);
    for (int i = 0; i < kRows; ++i) {
        const Params expected = rowValues(i);
        for (int c = 0; c < static_cast<int>(expected.size()); ++c) {
            const QVariant got = rs.value(i, c);
            SCOPED_TRACE(QStringLiteral("row %1 column %2: %3")
                             .arg(i)
                             .arg(rs.columns()[c], got.toString())
                             .toStdString());
            EXPECT_EQ(got.isNull(), expected[c].isNull());
            if (got.isNull() || expected[c].isNull())
                continue;
            if (c == 2)
                EXPECT_EQ(got.value<Decimal>(), expected[c].value<Decimal>());
            else if (c == 0 || c == 8)
                EXPECT_EQ(got.toLongLong(), expected[c].toLongLong());
            else
                EXPECT_EQ(got, expected[c]);
        }
    }
}

TEST_F(RowFetchTest, LongTextsAreReadWholeBesideBoundColumns) {
    // Two-byte characters across the pieces of a piecewise read, beside bound columns.
    const QString longText = QString(70000, QChar(0x00E7)) + QStringLiteral("FIM");
    db.execute(QStringLiteral("update f set obs = ? where id = 3"), {longText});
    db.execute(QStringLiteral("update f set obs = '' where id = 4"));
    Recordset rs = db.query(
        QStringLiteral("select id, obs, nome, valor from f where id between 1 and 5 order by id"));
    ASSERT_EQ(rs.recordCount(), 5);
    EXPECT_TRUE(rs.value(0, 1).isNull());
    EXPECT_EQ(rs.value(2, 1).toString(), longText);
    EXPECT_EQ(rs.value(3, 1).toString(), QString());
    EXPECT_FALSE(rs.value(3, 1).isNull());
    EXPECT_EQ(rs.value(2, 2), rowValues(3)[1]);
    EXPECT_EQ(rs.value(4, 3).value<Decimal>(), rowValues(5)[2].value<Decimal>());
}

TEST_F(RowFetchTest, RowsReadCanBeChangedAndAddedTo) {
    Recordset rs = db.query(QStringLiteral("select id, nome from f order by id"));
    rs.setUpdateTarget(&db, QStringLiteral("f"), {QStringLiteral("id")});
    rs.setPosition(7);
    rs.setValue(QStringLiteral("nome"), QStringLiteral("NOVO"));
    EXPECT_EQ(rs.update(), 1);
    EXPECT_EQ(rs.text(QStringLiteral("nome")), QStringLiteral("NOVO"));
    EXPECT_EQ(rs.value(8, 1), rowValues(8)[1]);
    rs.addNew();
    rs.setValue(QStringLiteral("id"), 1000);
    rs.cancelUpdate();
    EXPECT_EQ(rs.recordCount(), kRows);
    EXPECT_THROW(rs.value(kRows, 0), std::out_of_range);
    EXPECT_EQ(db.query(QStringLiteral("select nome from f where id = 7")).value(0, 0),
              QVariant(QStringLiteral("NOVO")));
}

} // namespace
} // namespace vtx::test
