// Texts that only one of the two programs has, or has with its own wording.

#include "../StringTable.h"

namespace tavin::strings {

namespace {
constexpr StringEntry kMorva7E[] = {
    {57344, "MORVA-7E"},
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
