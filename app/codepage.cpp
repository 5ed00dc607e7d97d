#include "app/codepage.h"

#include <windows.h>

namespace nadeshiro {

namespace {

// Length of the code point that starts at text[i]: 2 for a surrogate pair, else 1.
size_t CodePointLength(std::wstring_view text, size_t i)
{
    if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) return 2;
    return 1;
}

bool Encodes(std::wstring_view text, std::string* out)
{
    if (text.empty()) {
        if (out) out->clear();
        return true;
    }
    int needed = WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    if (needed <= 0) return false;
    std::string bytes(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(), needed,
                        nullptr, nullptr);
    // What code page 932 cannot hold (a character without a mapping, a lone surrogate) is
    // written as something else: the bytes must decode to exactly the text.
    if (DecodeCp932(bytes) != text) return false;
    if (out) *out = std::move(bytes);
    return true;
}

}  // namespace

std::wstring UnmappableCharacters(std::wstring_view text)
{
    std::wstring found;
    if (Encodes(text, nullptr)) return found;
    for (size_t i = 0; i < text.size();) {
        size_t n = CodePointLength(text, i);
        std::wstring_view one = text.substr(i, n);
        if (!Encodes(one, nullptr) && found.find(one) == std::wstring::npos) found.append(one);
        i += n;
    }
    return found;
}

bool EncodeCp932(std::wstring_view text, std::string& bytes)
{
    return Encodes(text, &bytes);
}

std::wstring DecodeCp932(std::string_view bytes)
{
    if (bytes.empty()) return {};
    int needed = MultiByteToWideChar(kTextCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (needed <= 0) return {};
    std::wstring text(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(kTextCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), needed);
    return text;
}

}  // namespace nadeshiro
