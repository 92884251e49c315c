#pragma once

#include <cstdint>
#include <string>

#include "CameraItemTable.h"

// What the document and the application need of the one camera data set. The program passes
// the live data set; tests pass a recorder, so start-up and document rules can be checked
// without a camera.

namespace tavin {

class CameraAccess {
  public:
    virtual ~CameraAccess() = default;

    // Values: program form unless the flag asks for camera form.
    virtual int32_t GetValue(int index, bool toCamera) const = 0;
    virtual int32_t SetValue(int index, int32_t value, bool fromCamera) = 0;

    // Reporting operations: each shows its own error message box when it fails.
    virtual int32_t SendItem(int index, int32_t value) = 0;
    virtual int32_t SendAllItems() = 0;
    // Writes `values` (program form), keeping of them what the camera took: after a failure the
    // values hold the camera's settings, not the set asked for.
    virtual int32_t SendItemSet(const ItemValues& values) = 0;
    virtual int32_t FetchAllItems() = 0;
    virtual int32_t OpenSerialPort(int32_t portNumber, int32_t baudRate) = 0;
    virtual int32_t OpenCameraLink(const std::string& libraryPath) = 0;

    // The link itself.
    virtual int32_t Close() = 0;
    virtual bool IsPortOpen() const = 0;
    virtual int32_t GetPortNumber() const = 0;
    virtual int32_t GetBaudRate() const = 0;

    // Raw protocol messages, for the developer's console. Silent: the caller decides whether to
    // show the recorded failure with ReportError.
    virtual int32_t SendCommand(const char* text) = 0;
    virtual int32_t SendQuery(const char* text, char* reply) = 0;
    virtual void ReportError() = 0;
};

}  // namespace tavin
