// Whole numbers as decimal text without the C runtime's printf family, which would bring its
// floating-point formatting into the executable. No <windows.h>.
#pragma once

#include <string>
#include <type_traits>

template <typename Integer>
std::wstring DecimalText(Integer value) {
    static_assert(std::is_integral<Integer>::value, "DecimalText takes whole numbers");
    using Unsigned = typename std::make_unsigned<Integer>::type;
    const bool negative = value < 0;
    // The magnitude in the unsigned type, also for the most negative value.
    Unsigned magnitude = negative ? static_cast<Unsigned>(Unsigned(0) - static_cast<Unsigned>(value))
                                  : static_cast<Unsigned>(value);
    wchar_t digits[24];
    size_t at = sizeof digits / sizeof digits[0];
    do {
        digits[--at] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude = static_cast<Unsigned>(magnitude / 10);
    } while (magnitude != 0);
    if (negative) digits[--at] = L'-';
    return std::wstring(digits + at, digits + sizeof digits / sizeof digits[0]);
}
