#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

// What tavinctl prints: item values as an aligned table for people or as JSON for programs.

namespace tavin::ctl {

// One item's value in both forms.
struct ItemRow {
    int index = 0;
    int32_t program = 0;
    int32_t camera = 0;
};

// The row of `index` for a value in camera form (as a data file holds it).
ItemRow RowFromCamera(int index, int32_t camera);

void PrintItemTable(std::ostream& out, std::span<const ItemRow> rows);
// {"items": [{"index", "label", "value", "camera"[, "text"]}, ...]}
void PrintItemJson(std::ostream& out, std::span<const ItemRow> rows);

// The items whose values differ between two files, `a` and `b` naming them.
struct DiffRow {
    ItemRow a;
    ItemRow b;
};
void PrintDiffTable(std::ostream& out, std::string_view a, std::string_view b,
                    std::span<const DiffRow> rows);
// {"a", "b", "identical", "differences": [{"index", "label", "a": {...}, "b": {...}}, ...]}
void PrintDiffJson(std::ostream& out, std::string_view a, std::string_view b,
                   std::span<const DiffRow> rows);

// {"text", "reply"}
void PrintQueryJson(std::ostream& out, std::string_view text, std::string_view reply);

// `text` as a JSON string, quotes included. Bytes that are not valid UTF-8 are escaped as
// U+FFFD rather than passed on, so the output always parses.
std::string JsonString(std::string_view text);

}  // namespace tavin::ctl
