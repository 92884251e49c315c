// The About box of each program: the program line with its version, a rights line and a build
// line (filled in by the dialog, which knows the toolkit it runs on).

#include "Dialogs.h"

namespace tavin {

namespace {

using C = ControlKind;
using namespace style;

constexpr DialogControl kMorva7EAbout[] = {
    {kStaticId, C::Icon, nullptr, 11, 17, 20, 20, 0},
    {about::kProgramLine, C::Label, "MORVA-7E Version 1.1", 40, 10, 185, 8, kNoPrefix},
    {about::kRightsLine, C::Label, "Copyright (C) Brenmark Optic Ltd. All rights reserved.", 40, 24,
     185, 8, 0},
    {about::kBuildLine, C::Label, "", 40, 38, 185, 8, 0},
    {kIdOk, C::DefaultPushButton, "OK", 233, 7, 50, 14, kGroup},
};

constexpr DialogControl kTavinAbout[] = {
    {kStaticId, C::Icon, nullptr, 11, 17, 20, 20, 0},
    {about::kProgramLine, C::Label, "MORVA-7ECL Version 1.0", 40, 10, 185, 8, kNoPrefix},
    {about::kRightsLine, C::Label, "Copyright (C) Brenmark Imaging Ltd. All rights reserved.", 40,
     24, 185, 8, 0},
    {about::kBuildLine, C::Label, "", 40, 38, 185, 8, 0},
    {kIdOk, C::DefaultPushButton, "OK", 233, 7, 50, 14, kGroup},
};

constexpr DialogTemplate kMorva7EAboutTemplate{dialog::kAbout, "About MORVA-7E", 290, 55, 8,
                                               kMorva7EAbout};
constexpr DialogTemplate kTavinAboutTemplate{dialog::kAbout, "About MORVA-7ECL", 290, 55, 8,
                                             kTavinAbout};

}  // namespace

const DialogTemplate& AboutDialogTemplate(EditionKind edition) {
    return edition == EditionKind::Tavin ? kTavinAboutTemplate : kMorva7EAboutTemplate;
}

}  // namespace tavin
