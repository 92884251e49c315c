#pragma once

// Input that reached the program while a camera operation kept it waiting is held back and
// acted on afterwards. After a failed write it is dropped instead: clicks and keys made while
// the camera did not answer must not start the next failing write.

namespace tavin {

// Drops the mouse, key and wheel input queued so far; everything else is handled as usual.
void DiscardHeldInput();

}  // namespace tavin
