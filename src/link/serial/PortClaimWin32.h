#pragma once

#include <windows.h>

#include <string>

// A claim on a serial port that every program of this package makes while it holds the port.
// Windows' port drivers refuse a second open of a port, but not every driver does (virtual
// ports, Wine's), and a port opened twice mixes two conversations on one line. The claim is a
// named kernel object of the session: making it fails while another process holds it, and it
// goes with the last handle to it, however that process ends.

namespace tavin {

class PortClaim {
  public:
    // Claims `device` (COM3, \\.\COM3: one claim, whatever the case or form).
    explicit PortClaim(const std::string& device);
    ~PortClaim();
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;

    // Whether another process holds the port. Where no claim can be made at all, the driver's
    // own refusal is all there is, and this is false.
    bool HeldElsewhere() const { return heldElsewhere_; }

  private:
    HANDLE handle_ = nullptr;
    bool heldElsewhere_ = false;
};

}  // namespace tavin
