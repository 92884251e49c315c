#pragma once

#include <QApplication>

// The wait cursor over every window for as long as the object lives: loading a file and every
// transfer of the whole camera run under it, and it goes whichever way the operation ends.

namespace tavin {

class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace tavin
