// Text files are kept in code page 932 (Shift_JIS as Windows has it) on every system,
// whatever the system's own ANSI code page is, so a memo has the same bytes everywhere.
#pragma once

#include <string>
#include <string_view>

namespace nadeshiro {

constexpr unsigned int kTextCodePage = 932;

// The characters of text that code page 932 cannot hold, each once, in order of first
// appearance. Empty when the whole text can be written.
std::wstring UnmappableCharacters(std::wstring_view text);

// Encodes text in code page 932. The caller has checked UnmappableCharacters first;
// returns false (and leaves bytes alone) when the text holds a character it cannot encode.
bool EncodeCp932(std::wstring_view text, std::string& bytes);

// Decodes code page 932 bytes. Byte sequences that are not valid there become the
// system's replacement character; nothing is dropped.
std::wstring DecodeCp932(std::string_view bytes);

}  // namespace nadeshiro
