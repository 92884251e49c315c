#pragma once

#include "../StringIds.h"

// The main window's status bar: its id and the ids of its panes. The port pane is wide enough
// for the string of its own id.

namespace tavin::status_bar {

inline constexpr int kBar = 59393;
inline constexpr int kMessagePane = 0;
inline constexpr int kPortPane = string_id::kPortPaneSizing;

}  // namespace tavin::status_bar
