#pragma once

#include <QString>

#include "Edition.h"

class QMenuBar;

// Developer mode: the program runs under the name "Service Console Mode" (a copy or a link of
// the executable), in any letter case. Outside it the developer commands leave the menu; their
// accelerators stay.

namespace tavin {

// The executable's file name without directory and last extension.
QString ExecutableBaseName(const QString& argv0);
bool IsDeveloperMode(const QString& baseName);

void TrimDeveloperCommands(QMenuBar& bar, DeveloperMenuTrim trim);

}  // namespace tavin
