// Texts that only one of the two programs has, or has with its own wording.
// (The full build labels item 28 "HD RESET"; the Camera-Link build has no such string.)

#include "../StringTable.h"

namespace tavin::strings {

namespace {
// 128: the document template: window title, document name, new-file type, filter name, filter
// extension, file type id, file type name.
constexpr StringEntry kMorva7E[] = {
    {57344, "MORVA-7E"},
    {57346, "Brenmark Optic Ltd."},
    {128, "MORVA-7E\n\nTAVIN\nTAVIN Files (*.tvn)\n.TVN\nTAVIN.Document\nTAVIN Document"},
    {62232, "HD RESET"},
};
constexpr StringEntry kTavin[] = {
    {57344, "MORVA-7ECL for Meteor_2_CL"},
    {57346, "Brenmark Imaging Ltd."},
    {128,
     "MORVA-7ECL for Meteor_2_CL\n\nTAVIN\nTAVIN Files (*.tvn)\n.TVN\nTAVIN.Document\nTAVIN "
     "Document"},
};
}  // namespace

std::span<const StringEntry> OnlyIn(EditionKind edition) {
    return edition == EditionKind::Tavin ? std::span<const StringEntry>(kTavin)
                                         : std::span<const StringEntry>(kMorva7E);
}

}  // namespace tavin::strings
