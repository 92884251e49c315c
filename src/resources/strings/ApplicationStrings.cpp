// Texts of the application shell common to both programs: prompts, document and file messages.

#include "../StringTable.h"

namespace tavin::strings {

namespace {
constexpr StringEntry kApplication[] = {
    {62214, "VRG (Rough)"},
};
}  // namespace

std::span<const StringEntry> Application() { return kApplication; }

}  // namespace tavin::strings
