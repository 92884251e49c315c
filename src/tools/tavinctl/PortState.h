#pragma once

#include <memory>
#include <string>

// A local port held for the length of a probe without taking it from anyone: it is looked at
// first (held exclusively or locked by another program: busy), and its line settings and modem
// lines are put back as they were when the probe is done (PortStatePosix.cpp).

namespace tavin::ctl {

class SavedPortState {
  public:
    enum class Opened { kFree, kBusy, kNoAccess, kCannotOpen };

    SavedPortState();
    ~SavedPortState();  // restores the settings and lets go
    SavedPortState(const SavedPortState&) = delete;
    SavedPortState& operator=(const SavedPortState&) = delete;

    // kFree with the settings saved, or why the port is not to be probed.
    Opened Open(const std::string& device);

  private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

}  // namespace tavin::ctl
