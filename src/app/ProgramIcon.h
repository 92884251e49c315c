#pragma once

#include <QIcon>

#include "Edition.h"

// The program's icon (resource 128): the camera body of the desktop entry's icon, wired to a
// serial line in the full program and to a frame grabber board in the Camera-Link-only one.

namespace tavin {

QIcon ProgramIcon(EditionKind edition);

}  // namespace tavin
