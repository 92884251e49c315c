#pragma once

#include "CameraAccess.h"

namespace tavin {

class CameraDataSet;

// The program's camera access: the one live data set and its link.
class LiveCameraAccess final : public CameraAccess {
  public:
    explicit LiveCameraAccess(CameraDataSet& data) : data_(data) {}

    int32_t GetValue(int index, bool toCamera) const override;
    int32_t SetValue(int index, int32_t value, bool fromCamera) override;
    int32_t SendItem(int index, int32_t value) override;
    int32_t SendAllItems() override;
    int32_t SendItemSet(const ItemValues& values) override;
    int32_t FetchAllItems() override;
    int32_t OpenSerialPort(int32_t portNumber, int32_t baudRate) override;
    int32_t OpenCameraLink(const std::string& libraryPath) override;
    int32_t Close() override;
    bool IsPortOpen() const override;
    int32_t GetPortNumber() const override;
    int32_t GetBaudRate() const override;
    int32_t SendCommand(const char* text) override;
    int32_t SendQuery(const char* text, char* reply) override;
    void ReportError() override;

  private:
    CameraDataSet& data_;
};

}  // namespace tavin
