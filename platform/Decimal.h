#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

// An exact decimal number with up to six places, for running totals of amounts and
// counts read from the windows' cells: adding and taking away any sequence of values
// returns exactly to where it started, which binary floating point does not promise.
class Decimal
{
public:
    static constexpr int Places = 6;

    Decimal() = default;
    static Decimal fromInteger(std::int64_t value);
    // Reads the number at the start of a text the lenient way: blanks are skipped, an
    // optional sign, digits and one decimal point are read up to the first other
    // character; empty or non-numeric text is 0. Places beyond six are dropped. The
    // range, about ±1.7 × 10^32, holds any sum of SQL Server money values (each below
    // 10^15) over more rows than a table can have; a value beyond it is held at the bound.
    static Decimal fromText(const QString &text);
    // The same reading of a number written in ASCII (as a database engine renders one).
    static Decimal fromLatin1(std::string_view text);

    // The value in millionths (value × 10^6) when that fits 64 bits, and back: how a
    // column of amounts keeps them in half the room.
    std::optional<std::int64_t> millionths() const;
    static Decimal fromMillionths(std::int64_t millionths) { return Decimal(Units(millionths)); }

    Decimal operator+(Decimal other) const;
    Decimal operator-(Decimal other) const;
    Decimal &operator+=(Decimal other) { return *this = *this + other; }
    Decimal &operator-=(Decimal other) { return *this = *this - other; }
    bool operator==(const Decimal &) const = default;
    auto operator<=>(const Decimal &) const = default;
    bool isZero() const { return m_units == 0; }

    // Plain decimal text without trailing zeros: "12", "-3.5".
    QString toText() const;
    // The nearest double (for a spreadsheet's number cell).
    // The double nearest to the value.
    double toDouble() const;
    // "#0.00": two places, halves rounded away from zero; zero never shows a sign.
    QString toFixed2() const;
    // toFixed2's text written into `buffer` (no terminating zero); returns its length.
    int writeFixed2(char (&buffer)[48]) const;

private:
    using Units = __int128;
    explicit Decimal(Units units) : m_units(units) {}
    static Units saturated(Units a, Units b, bool subtract);

    Units m_units = 0; // value × 10^Places
};
