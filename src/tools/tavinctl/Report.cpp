#include "Report.h"

#include <cstdio>

#include "CameraItemTable.h"
#include "CharText.h"
#include "ItemSelector.h"

namespace tavin::ctl {

namespace {

constexpr size_t kIndexWidth = 4;
constexpr size_t kLabelWidth = 26;
constexpr size_t kValueWidth = 8;

// Columns a UTF-8 text takes on a terminal: one per code point (the katakana here are
// half-width).
size_t Columns(std::string_view text) {
    size_t columns = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++columns;
        }
    }
    return columns;
}

std::string PadLeft(std::string_view text, size_t width) {
    const size_t columns = Columns(text);
    return std::string(columns < width ? width - columns : 0, ' ') + std::string(text);
}

std::string PadRight(std::string_view text, size_t width) {
    const size_t columns = Columns(text);
    return std::string(text) + std::string(columns < width ? width - columns : 0, ' ');
}

std::string Hex(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::string Cells(const ItemRow& row) {
    return PadLeft(ProgramValueText(row.index, row.program), kValueWidth) + "  " +
           PadLeft(Hex(row.camera), kValueWidth);
}

std::string RowStart(int index) {
    return PadLeft(std::to_string(index), kIndexWidth) + "  " +
           PadRight(GetLabel(index), kLabelWidth);
}

// The members of one value, without braces.
std::string ValueMembers(const ItemRow& row) {
    std::string json =
        "\"value\": " + std::to_string(row.program) + ", \"camera\": " + std::to_string(row.camera);
    if (IsCharacterPair(row.index)) {
        json += ", \"text\": " + JsonString(PairToUtf8(row.program));
    }
    return json;
}

std::string ItemStart(int index) {
    return "{\"index\": " + std::to_string(index) + ", \"label\": " + JsonString(GetLabel(index));
}

}  // namespace

ItemRow RowFromCamera(int index, int32_t camera) {
    return {.index = index, .program = FromCamera(index, camera), .camera = camera};
}

void PrintItemTable(std::ostream& out, std::span<const ItemRow> rows) {
    out << PadLeft("Item", kIndexWidth) << "  " << PadRight("Label", kLabelWidth)
        << PadLeft("Program", kValueWidth) << "  " << PadLeft("Camera", kValueWidth) << '\n';
    for (const ItemRow& row : rows) {
        out << RowStart(row.index) << Cells(row) << '\n';
    }
}

void PrintItemJson(std::ostream& out, std::span<const ItemRow> rows) {
    out << "{\"items\": [";
    for (size_t i = 0; i < rows.size(); ++i) {
        out << (i ? ",\n  " : "\n  ") << ItemStart(rows[i].index) << ", " << ValueMembers(rows[i])
            << '}';
    }
    out << "\n]}\n";
}

void PrintDiffTable(std::ostream& out, std::string_view a, std::string_view b,
                    std::span<const DiffRow> rows) {
    out << "A: " << a << "\nB: " << b << '\n';
    out << PadLeft("Item", kIndexWidth) << "  " << PadRight("Label", kLabelWidth)
        << PadLeft("A", kValueWidth) << "  " << PadLeft("(camera)", kValueWidth) << "  "
        << PadLeft("B", kValueWidth) << "  " << PadLeft("(camera)", kValueWidth) << '\n';
    for (const DiffRow& row : rows) {
        out << RowStart(row.a.index) << Cells(row.a) << "  " << Cells(row.b) << '\n';
    }
}

void PrintDiffJson(std::ostream& out, std::string_view a, std::string_view b,
                   std::span<const DiffRow> rows) {
    out << "{\"a\": " << JsonString(a) << ", \"b\": " << JsonString(b)
        << ", \"identical\": " << (rows.empty() ? "true" : "false") << ", \"differences\": [";
    for (size_t i = 0; i < rows.size(); ++i) {
        out << (i ? ",\n  " : "\n  ") << ItemStart(rows[i].a.index) << ", \"a\": {"
            << ValueMembers(rows[i].a) << "}, \"b\": {" << ValueMembers(rows[i].b) << "}}";
    }
    out << (rows.empty() ? "]}\n" : "\n]}\n");
}

void PrintQueryJson(std::ostream& out, std::string_view text, std::string_view reply) {
    out << "{\"text\": " << JsonString(text) << ", \"reply\": " << JsonString(reply) << "}\n";
}

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", c);
            json += escape;
        } else if (c < 0x80) {
            json += static_cast<char>(c);
        } else {
            // Pass a well-formed multi-byte sequence through, replace anything else.
            size_t length = (c & 0xE0) == 0xC0   ? 2
                            : (c & 0xF0) == 0xE0 ? 3
                            : (c & 0xF8) == 0xF0 ? 4
                                                 : 0;
            bool valid = length > 0 && i + length <= text.size();
            for (size_t k = 1; valid && k < length; ++k) {
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            }
            if (valid) {
                json.append(text.substr(i, length));
                i += length - 1;
            } else {
                json += "\\uFFFD";
            }
        }
    }
    return json + "\"";
}

}  // namespace tavin::ctl
