// Texts that only one of the two programs has, or has with its own wording.
// (The full build labels item 28 "HD RESET"; the Camera-Link build has no such string.)

#include "../StringTable.h"

namespace tavin::strings {

namespace {
constexpr StringEntry kMorva7E[] = {
    {57344, "MORVA-7E"},
    {62232, "HD RESET"},
};
constexpr StringEntry kTavin[] = {
    {57344, "MORVA-7ECL for Meteor_2_CL"},
};
}  // namespace

std::span<const StringEntry> OnlyIn(EditionKind edition) {
    return edition == EditionKind::Tavin ? std::span<const StringEntry>(kTavin)
                                         : std::span<const StringEntry>(kMorva7E);
}

}  // namespace tavin::strings
