// COM port n: a local serial device (termios, Win32), or a serial port across the network,
// whichever the port's device name says.
#include <iostream>

#include "NetworkSerialDevice.h"
#include "PortNames.h"
#include "SerialDevice.h"

namespace tavin {

// SerialDeviceLinux.cpp or SerialDeviceWin32.cpp.
std::unique_ptr<SerialDevice> CreateLocalSerialDevice();

namespace {

class ComPortDevice final : public SerialDevice {
  public:
    OpenResult Open(int32_t portNumber, const LineSettings& settings) override {
        Close();
        const std::string name = ComPortDeviceName(portNumber);
        if (!IsNetworkAddress(name)) {
            device_ = CreateLocalSerialDevice();
        } else if (auto address = ParseNetworkAddress(name)) {
            device_ = CreateNetworkSerialDevice(std::move(*address));
        } else {
            std::cerr << name << ": not a network address; write rfc2217://HOST:PORT or "
                      << "tcp://HOST:PORT" << std::endl;
            return OpenResult::kCannotOpen;
        }
        return device_->Open(portNumber, settings);
    }

    void Close() override {
        if (device_) {
            device_->Close();
        }
    }

    bool IsOpen() const override { return device_ && device_->IsOpen(); }

    int32_t WriteSome(const uint8_t* bytes, int32_t count) override {
        return device_ ? device_->WriteSome(bytes, count) : -1;
    }
    int32_t PendingOutput() override { return device_ ? device_->PendingOutput() : 0; }
    int32_t ReadSome(uint8_t* bytes, int32_t count) override {
        return device_ ? device_->ReadSome(bytes, count) : -1;
    }
    bool IsLost() const override { return device_ && device_->IsLost(); }
    bool WaitReadable(int32_t timeoutMs) override {
        return device_ && device_->WaitReadable(timeoutMs);
    }
    bool WaitWritable(int32_t timeoutMs) override {
        return device_ && device_->WaitWritable(timeoutMs);
    }
    bool WaitDrained(int32_t timeoutMs) override {
        return device_ && device_->WaitDrained(timeoutMs);
    }
    bool Purge(bool output, bool input) override {
        return device_ && device_->Purge(output, input);
    }
    uint32_t TakeLineErrors() override { return device_ ? device_->TakeLineErrors() : 0; }

  private:
    std::unique_ptr<SerialDevice> device_;
};

}  // namespace

std::unique_ptr<SerialDevice> CreatePlatformSerialDevice() {
    return std::make_unique<ComPortDevice>();
}

}  // namespace tavin
