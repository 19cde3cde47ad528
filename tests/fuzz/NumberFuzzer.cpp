// Any bytes as typed amounts and as decimal operands: nothing may crash, wrap or misread.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "DbError.h"
#include "Decimal.h"
#include "Formats.h"

using vtx::Decimal;

namespace {

void check(bool ok) {
    if (!ok)
        __builtin_trap();
}

/// Runs an operation that may leave 64 bits; only UsageError may say so.
template <typename Op> std::optional<Decimal> attempt(Op op) {
    try {
        return op();
    } catch (const vtx::UsageError&) {
        return std::nullopt;
    }
}

/// What every value read must satisfy: its texts read back as the value.
void readBack(const Decimal& d) {
    check(d.scale() >= 0 && d.scale() <= 18);
    check(Decimal::parse(d.toString()) == d);
    // Rounding may carry into a 14th whole digit, past what a box takes: no number then.
    const auto cents = vtx::Formats::parseAmount(vtx::Formats::currency(d));
    check(!cents || *cents == d.rescaled(2));
    const auto four = vtx::Formats::parseAmount(vtx::Formats::amountText(d, 4));
    check(!four || *four == d.rescaled(4));
    check(vtx::Formats::parseAmount(vtx::Formats::amountText(d, d.scale())) == d);
}

/// Arithmetic on two values at a scale: results exact or refused, never wrapped.
void arithmetic(const Decimal& a, const Decimal& b, int scale) {
    check((a < b) == (b > a) && (a == b) == (b == a));
    if (const auto up = attempt([&] { return a.rescaled(scale); }))
        check(scale < a.scale() || *up == a);
    if (const auto sum = attempt([&] { return a + b; }))
        check(attempt([&] { return *sum - b; }) == a);
    attempt([&] { return a * b; });
    if (!b.isZero()) {
        attempt([&] { return a.dividedBy(b, scale); });
        attempt([&] { return a.timesDividedBy(b, b, scale); });
    }
}

std::int64_t bytesToInt(const std::uint8_t* data) {
    std::int64_t v = 0;
    std::memcpy(&v, data, sizeof v);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Raw operands: two 64-bit unit counts with scales up to 40 and a target scale.
    if (size == 19) {
        const Decimal a(bytesToInt(data), data[16] % 41);
        const Decimal b(bytesToInt(data + 8), data[17] % 41);
        arithmetic(a, b, data[18] % 41);
        return 0;
    }
    // Otherwise text: split at the first '|' into two typed amounts.
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    const QString first = bar < 0 ? text : text.left(bar);
    const QString second = bar < 0 ? QString() : text.mid(bar + 1);
    const auto a = vtx::Formats::parseAmount(first);
    const auto b = vtx::Formats::parseAmount(second);
    Decimal::parse(first);
    Decimal::fromPlainText(reinterpret_cast<const char*>(data), size);
    if (a)
        readBack(*a);
    if (b)
        readBack(*b);
    if (a && b)
        arithmetic(*a, *b, int(size % 24));
    return 0;
}
