#pragma once
// Decimal digits of a double, rounded as the framework rounds when it prints:
// 15 significant digits first, then half away from zero at the wanted place.
#include <string>

namespace rtl_detail {

struct Decimal {
    bool negative = false;
    std::string digits;   // no trailing zeros; empty means zero
    int exponent = 0;     // value = 0.d1d2d3... x 10^exponent
};

Decimal ToDecimal(double value, int significant = 15);
// Rounds to `fractionDigits` places after the decimal point.
void RoundToFraction(Decimal& d, int fractionDigits);
// Integer and fraction digits in fixed notation (fraction exactly `fractionDigits` long).
std::string FixedIntegerDigits(const Decimal& d);
std::string FixedFractionDigits(const Decimal& d, int fractionDigits);
std::string GroupThousands(const std::string& integerDigits);

} // namespace rtl_detail
