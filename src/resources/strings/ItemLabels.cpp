// Labels of the camera items (filled in with the item table).

#include "../StringTable.h"

namespace tavin::strings {

std::span<const StringEntry> ItemLabels() { return {}; }

}  // namespace tavin::strings
