#pragma once

#include <functional>

class QKeyEvent;
class QWidget;

// Input that reached the program while a camera operation kept it waiting is held back and
// acted on afterwards. After a failed exchange, and after the loop test, it is dropped instead:
// clicks and keys made while the camera did not answer must not start the next failing write,
// and nothing typed before a question appeared may answer it.

namespace tavin {

// Drops the mouse, key and wheel input queued so far; everything else is handled as usual.
// `droppedKey` sees each key press that is dropped.
void DiscardHeldInput(const std::function<void(const QKeyEvent&)>& droppedKey = {});

// Shows `window`, a modal box or dialog about to run, so that nothing typed or clicked before it
// appeared reaches it: input the window system made before the window was mapped is dropped.
// Set the window's modality first; the caller then runs it (exec() on a shown dialog).
void ShowDiscardingEarlierInput(QWidget& window);

}  // namespace tavin
