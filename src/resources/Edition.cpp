#include "Edition.h"

namespace tavin {

const Edition kMorva7EEdition{
    .kind = EditionKind::Morva7E,
    .programName = "morva-7e",
    .linkKind = LinkKind::PortOrLibrary,
    .singleLibraryName = nullptr,
    .frameWidth = 550,
    .frameHeight = 400,
    .titleShowsDocument = false,
    .menuTrim = DeveloperMenuTrim::ManualAndPortCommands,
};

const Edition kTavinEdition{
    .kind = EditionKind::Tavin,
    .programName = "tavin",
    .linkKind = LinkKind::SingleLibrary,
    .singleLibraryName = "clsermtx.dll",
    .frameWidth = 635,
    .frameHeight = 446,
    .titleShowsDocument = true,
    .menuTrim = DeveloperMenuTrim::ManualCommandOnly,
};

namespace {
const Edition* g_current = &kMorva7EEdition;
}

const Edition& CurrentEdition() {
    return *g_current;
}

void SetCurrentEdition(const Edition& edition) {
    g_current = &edition;
}

}  // namespace tavin
