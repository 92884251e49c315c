#pragma once

// While an operation waits (for the camera, or between the loop test's steps) the program lets
// events through so that its windows repaint, but it is not idle: a dropped file, an open
// request or a command that arrives meanwhile must not start inside the operation, and the
// idle status text must not replace the operation's progress text.

namespace tavin {

// Marks the program as waiting inside an operation for the lifetime of the object.
class ProgramWait {
  public:
    ProgramWait() { ++Depth(); }
    ~ProgramWait() { --Depth(); }
    ProgramWait(const ProgramWait&) = delete;
    ProgramWait& operator=(const ProgramWait&) = delete;

    static bool Active() { return Depth() > 0; }

  private:
    static int& Depth() {
        static int depth = 0;
        return depth;
    }
};

}  // namespace tavin
