// Numbers as text, without the C library's formatted output (which would add tens of KiB to
// the program for the few numbers the tool writes).
#pragma once

#include <string>
#include <string_view>

namespace nadeshiro {

// value in base 10, or in base 16 with lower-case digits; no leading zeros.
inline std::wstring NumberText(unsigned long value, unsigned base = 10)
{
    std::wstring text;
    do {
        text.insert(text.begin(), L"0123456789abcdef"[value % base]);
        value /= base;
    } while (value != 0);
    return text;
}

// The value of lower-case hexadecimal digits (the caller has checked them).
inline unsigned long HexValue(std::wstring_view digits)
{
    unsigned long value = 0;
    for (wchar_t c : digits) value = value * 16 + static_cast<unsigned long>(c <= L'9' ? c - L'0' : c - L'a' + 10);
    return value;
}

}  // namespace nadeshiro
