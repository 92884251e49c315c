#include "ItemSelector.h"

#include <charconv>
#include <optional>
#include <vector>

#include "CameraItemTable.h"
#include "CharText.h"

namespace tavin::ctl {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool IsCameraItem(int index) {
    constexpr uint8_t kBoth = CameraItemDef::kReadable | CameraItemDef::kWritable;
    return (GetItemDef(index).flags & kBoth) == kBoth;
}

std::optional<int64_t> ParseNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return std::nullopt;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

ValueResult Refuse(std::string message) {
    ValueResult result;
    result.error = std::move(message);
    return result;
}

ValueResult ParseCharacterPair(int index, std::string_view text, bool force) {
    const std::string what = "item " + DescribeItem(index);
    int32_t pair = 0;
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    if (const auto number = ParseNumber(text); hex && number) {
        if (*number < 0 || *number > 0xFFFF) {
            return Refuse(what + " holds two characters: 0x0000 to 0xFFFF");
        }
        pair = static_cast<int32_t>(*number);
    } else {
        const std::optional<std::string> chars = Utf8ToHostChars(text);
        if (!chars || chars->size() != 2) {
            return Refuse(what + " holds two characters, e.g. " + std::to_string(index) + "=AB");
        }
        pair = (static_cast<unsigned char>((*chars)[0]) << 8) |
               static_cast<unsigned char>((*chars)[1]);
    }
    const int32_t high = (pair >> 8) & 0xFF;
    const int32_t low = pair & 0xFF;
    if (!force && (!IsCameraChar(high) || !IsCameraChar(low))) {
        return Refuse("the camera cannot show \"" + PairToUtf8(pair) + "\" (" + what +
                      "): it takes digits, letters, half-width katakana, space and !?/+-&():;.,~");
    }
    ValueResult result;
    result.value = pair;
    return result;
}

}  // namespace

ItemResult FindItem(std::string_view text) {
    ItemResult result;
    std::vector<int> matches;
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos) {
        const auto number = ParseNumber(text);
        if (!number || *number >= kCameraItemCount) {
            result.error = "there is no item " + std::string(text) + " (items are 0 to " +
                           std::to_string(kCameraItemCount - 1) + ")";
            return result;
        }
        matches.push_back(static_cast<int>(*number));
    } else {
        const std::string wanted = Lower(text);
        for (int index = 0; index < kCameraItemCount; ++index) {
            const std::string label = GetLabel(index);
            if (!label.empty() && Lower(label) == wanted) {
                matches.push_back(index);
            }
        }
    }
    if (matches.empty()) {
        result.error = "no item is labelled '" + std::string(text) + "'";
        return result;
    }
    if (matches.size() > 1) {
        std::string list;
        for (int index : matches) {
            list += (list.empty() ? "" : ", ") + std::to_string(index);
        }
        result.error = "several items are labelled '" + GetLabel(matches.front()) + "' (" + list +
                       "): name one by its index";
        return result;
    }
    if (!IsCameraItem(matches.front())) {
        result.error = "item " + DescribeItem(matches.front()) +
                       " is neither read from nor written to the camera";
        return result;
    }
    result.index = matches.front();
    return result;
}

bool IsCharacterPair(int index) {
    return GetItemDef(index).fromCamera == &TextPairFromCamera;
}

ValueResult ParseItemValue(int index, std::string_view text, bool force) {
    if (IsCharacterPair(index)) {
        return ParseCharacterPair(index, text, force);
    }
    const std::optional<int64_t> number = ParseNumber(text);
    if (!number || *number < INT32_MIN || *number > INT32_MAX) {
        return Refuse("'" + std::string(text) + "' is not a value for item " + DescribeItem(index) +
                      ": give a number");
    }
    const int32_t low = GetMin(index, true);
    const int32_t high = GetMax(index, true);
    if (!force && (*number < low || *number > high)) {
        return Refuse(std::to_string(*number) + " is outside the range of item " +
                      DescribeItem(index) + " (" + std::to_string(low) + " to " +
                      std::to_string(high) + "); --force sends it anyway");
    }
    ValueResult result;
    result.value = static_cast<int32_t>(*number);
    return result;
}

std::string ProgramValueText(int index, int32_t value) {
    if (IsCharacterPair(index)) {
        return "\"" + PairToUtf8(value) + "\"";
    }
    return std::to_string(value);
}

std::string DescribeItem(int index) {
    const std::string label = GetLabel(index);
    return label.empty() ? std::to_string(index) : std::to_string(index) + " " + label;
}

}  // namespace tavin::ctl
