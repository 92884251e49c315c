#pragma once

#include <span>
#include <string>
#include <string_view>

#include "Edition.h"

// The program's string table: every message text, label and prompt, looked up by numeric id.
// A missing id yields an empty text, exactly as a missing string resource does.

namespace tavin {

struct StringEntry {
    unsigned id;
    std::string_view text;
};

// Looks up `id` in the current edition's table.
std::string_view LoadText(unsigned id);
std::string_view LoadText(unsigned id, EditionKind edition);

// Replaces every "%1" (and "%2") in `pattern` by the given arguments.
std::string FormatString(std::string_view pattern, std::string_view arg1,
                         std::string_view arg2 = {});

// The groups that make up the table, one file each under strings/. A group has entries common
// to both programs and entries that only one of them has (or has with another text).
namespace strings {
std::span<const StringEntry> Status();
std::span<const StringEntry> ItemLabels();
std::span<const StringEntry> Application();
std::span<const StringEntry> OnlyIn(EditionKind edition);
}  // namespace strings

}  // namespace tavin
