#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <span>

#include "templates/Menus.h"

class QAction;
class QKeyEvent;
class QMenuBar;
class QWidget;

// Builds the menu bar and the accelerators of a menu resource. Every command action's
// objectName is its id and its status tip the prompt of the string with that id. The
// accelerators are shortcuts of the window itself, independent of the menu: a command removed
// from the menu keeps its key.

namespace tavin {

using CommandSink = std::function<void(unsigned id)>;

void BuildMenuBar(QMenuBar& bar, std::span<const MenuEntry> entries, const CommandSink& sink);
void InstallAccelerators(QWidget& window, std::span<const Accelerator> accelerators,
                         const CommandSink& sink);

// The status-bar prompt of a command: its string up to the first line feed.
QString CommandPrompt(unsigned id);

// The command's short name, as the status bar names it: "Open", "Read", "Write" (an accelerator
// twin has its menu command's name); empty for a command without one.
QString CommandName(unsigned id);

// The command of the accelerator that `key` presses, if any.
std::optional<unsigned> AcceleratorCommand(std::span<const Accelerator> accelerators,
                                           const QKeyEvent& key);

// The action of command `id` anywhere in the bar, or nullptr.
QAction* FindCommand(const QMenuBar& bar, unsigned id);

}  // namespace tavin
