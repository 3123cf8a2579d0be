#pragma once

#include <QString>

#include <cstdint>

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
    // character; empty or non-numeric text is 0. Places beyond six are dropped, and a
    // value beyond about nine million million is held at that bound.
    static Decimal fromText(const QString &text);

    Decimal operator+(Decimal other) const;
    Decimal operator-(Decimal other) const;
    Decimal &operator+=(Decimal other) { return *this = *this + other; }
    Decimal &operator-=(Decimal other) { return *this = *this - other; }
    bool operator==(const Decimal &) const = default;
    bool isZero() const { return m_units == 0; }

    // Plain decimal text without trailing zeros: "12", "-3.5".
    QString toText() const;
    // "#0.00": two places, halves rounded away from zero; zero never shows a sign.
    QString toFixed2() const;

private:
    explicit Decimal(std::int64_t units) : m_units(units) {}
    static std::int64_t saturated(__int128 value);

    std::int64_t m_units = 0; // value × 10^Places
};
