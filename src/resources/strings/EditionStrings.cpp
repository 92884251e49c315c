// Texts that only one of the two programs has, or has with its own wording.
// (The full build labels item 28 "HD RESET"; the Camera-Link build has no such string.)

#include "../StringIds.h"
#include "../StringTable.h"

namespace tavin::strings {

namespace {
// The document template: window title, document name, new-file type, filter name, filter
// extension, file type id, file type name.
constexpr StringEntry kMorva7E[] = {
    {string_id::kAppTitle, "MORVA-7E"},
    {string_id::kCompany, "Brenmark Optic Ltd."},
    {string_id::kDocumentTemplate,
     "MORVA-7E\n\nTAVIN\nTAVIN Files (*.tvn)\n.TVN\nTAVIN.Document\nTAVIN Document"},
    {string_id::kLabelHdReset, "HD RESET"},
};
constexpr StringEntry kTavin[] = {
    {string_id::kAppTitle, "MORVA-7ECL for Meteor_2_CL"},
    {string_id::kCompany, "Brenmark Imaging Ltd."},
    {string_id::kDocumentTemplate,
     "MORVA-7ECL for Meteor_2_CL\n\nTAVIN\nTAVIN Files (*.tvn)\n.TVN\nTAVIN.Document\nTAVIN "
     "Document"},
};
}  // namespace

std::span<const StringEntry> OnlyIn(EditionKind edition) {
    return edition == EditionKind::Tavin ? std::span<const StringEntry>(kTavin)
                                         : std::span<const StringEntry>(kMorva7E);
}

}  // namespace tavin::strings
