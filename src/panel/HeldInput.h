#pragma once

#include <functional>

class QKeyEvent;

// Input that reached the program while a camera operation kept it waiting is held back and
// acted on afterwards. After a failed exchange, and after the loop test, it is dropped instead:
// clicks and keys made while the camera did not answer must not start the next failing write,
// and nothing typed before a question appeared may answer it.

namespace tavin {

// Drops the mouse, key and wheel input that the window system made until now; everything else is
// handled as usual. `droppedKey` sees each key press that is dropped.
//
// Called as the last step before a modal box or dialog runs, this keeps keys and clicks made
// before the box appeared from answering it: set the box's modality, drop, then exec(), with no
// event handled in between and no show() first. What the user does after the drop reaches either
// a window the box blocks once exec() has shown it, where the toolkit drops it, or the box itself
// once it has the focus: keys typed as soon as the box is up count. Showing the box first and
// dropping then would lose those keys too; and Windows' own file dialog, which show() starts in a
// thread of its own once events are handled, would be run a second time by exec().
void DiscardHeldInput(const std::function<void(const QKeyEvent&)>& droppedKey = {});

}  // namespace tavin
