// Texts of the application shell common to both programs: prompts, document and file messages.

#include "../StringTable.h"

namespace tavin::strings {

std::span<const StringEntry> Application() { return {}; }

}  // namespace tavin::strings
