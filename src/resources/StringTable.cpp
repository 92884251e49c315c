#include "StringTable.h"

#include <array>

namespace tavin {

namespace {

const StringEntry* Find(std::span<const StringEntry> group, unsigned id) {
    for (const StringEntry& entry : group) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

std::string_view LoadText(unsigned id, EditionKind edition) {
    // Edition-specific texts take precedence over the common ones.
    const std::array groups{strings::OnlyIn(edition), strings::Status(), strings::ItemLabels(),
                            strings::Application()};
    for (std::span<const StringEntry> group : groups) {
        if (const StringEntry* entry = Find(group, id)) {
            return entry->text;
        }
    }
    return {};
}

std::string_view LoadText(unsigned id) {
    return LoadText(id, CurrentEdition().kind);
}

std::string FormatString(std::string_view pattern, std::string_view arg1, std::string_view arg2) {
    std::string out;
    out.reserve(pattern.size() + arg1.size() + arg2.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() &&
            (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            out += pattern[i + 1] == '1' ? arg1 : arg2;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace tavin
