#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Host characters of the character-pair items are single bytes of the Shift JIS code page:
// ASCII, and the half-width katakana at 0xA1..0xDF. A terminal and JSON speak UTF-8, so the
// katakana travel as U+FF61..U+FF9F there.

namespace tavin::ctl {

// One host character as UTF-8; U+FFFD for a byte that is neither.
std::string HostCharToUtf8(int32_t ch);

// The two characters of a character-pair value (high byte first) as UTF-8.
std::string PairToUtf8(int32_t pair);

// The host characters of a UTF-8 text, or nothing when it holds a character the host code page
// has no single byte for.
std::optional<std::string> Utf8ToHostChars(std::string_view text);

}  // namespace tavin::ctl
