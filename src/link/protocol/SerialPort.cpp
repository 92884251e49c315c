#include "SerialPort.h"

#include <utility>

#include "CameraLinkLibrary.h"
#include "UserInterface.h"

namespace tavin {

namespace {
constexpr int32_t kHighestPortNumber = 10;
}

SerialPort::SerialPort()
    : device_(CreatePlatformSerialDevice()), ticks_(&SystemTicks()), trace_(&ProcessTrace()) {}

SerialPort::~SerialPort() {
    Close();
}

void SerialPort::UseSerialDevice(std::unique_ptr<SerialDevice> device) {
    if (device_->IsOpen()) {
        device_->Close();
    }
    device_ = std::move(device);
}

bool SerialPort::IsPortOpen() const {
    return device_->IsOpen();
}

bool SerialPort::IsLibraryOpen() const {
    return CameraLinkLibrary::Instance().IsLinked();
}

int32_t SerialPort::Open(int32_t portNumber, int32_t baudRate, int32_t byteSize, int32_t stopBits,
                         int32_t parity) {
    if (!singleLibrary_.empty()) {
        return OpenSingleLibrary();
    }
    Close();
    if (static_cast<uint32_t>(portNumber) > kHighestPortNumber) {
        return SetStatus(kBadPortNumber);
    }
    portNumber_ = portNumber;
    baudRate_ = baudRate;
    const LineSettings settings{
        .baudRate = baudRate,
        .byteSize = static_cast<uint8_t>(byteSize),
        .stopBits = static_cast<uint8_t>(stopBits),
        .parity = static_cast<uint8_t>(parity),
    };
    switch (device_->Open(portNumber, settings)) {
        case SerialDevice::OpenResult::kOpened:
            return 0;
        case SerialDevice::OpenResult::kCannotOpen:
            return SetStatus(kCannotOpenPort);
        case SerialDevice::OpenResult::kSettingsRefused:
            break;
    }
    // The port stays open, as the driver left it.
    return SetStatus(MapLineErrors(TakeLineErrors()));
}

int32_t SerialPort::OpenSingleLibrary() {
    // Every confirmation of the port dialog opens again: close the earlier link first, or the
    // board's serial channel would be opened twice and the old reference leaked.
    Close();
    CameraLinkLibrary& library = CameraLinkLibrary::Instance();
    if (library.Load(singleLibrary_) != CameraLinkLibrary::LoadResult::kLoaded) {
        return SetStatus(kCannotOpenPort);
    }
    library.Init();  // this mode reports a failed init only through the failing exchanges
    return 0;
}

int32_t SerialPort::OpenLibrary(const std::string& fileName) {
    CameraLinkLibrary& library = CameraLinkLibrary::Instance();
    if (library.Load(fileName) != CameraLinkLibrary::LoadResult::kLoaded) {
        return SetStatus(kCannotOpenPort);
    }
    if (library.Init() != 0) {
        TheUserInterface().ShowMessage("Bord Open Error", "Error", MessageIcon::Error);
    }
    return 0;
}

int32_t SerialPort::Close() {
    if (device_->IsOpen()) {
        device_->Purge(true, true);
        device_->Close();
    }
    CameraLinkLibrary::Instance().CloseLink();
    heldLineErrors_ = 0;
    return 0;
}

uint32_t SerialPort::TakeLineErrors() {
    return std::exchange(heldLineErrors_, 0) | device_->TakeLineErrors();
}

void SerialPort::ForgetIoFailure() {
    // A read that completed shows the line works again: an I/O failure noted before is over,
    // and a later plain time-out must not be reported as one. Line errors the driver counted
    // are kept for the next failure to report.
    heldLineErrors_ = TakeLineErrors() & ~static_cast<uint32_t>(kCeIoe);
}

int32_t SerialPort::Purge(uint32_t flags) {
    if (IsLibraryOpen()) {
        return 0;  // a library link has no port queues to purge
    }
    if (!device_->IsOpen()) {
        return SetStatus(kPortNotOpen);
    }
    if (!device_->Purge((flags & kPurgeTxClear) != 0, (flags & kPurgeRxClear) != 0)) {
        return SetStatus(kPurgeFailed);
    }
    return 0;
}

int32_t SerialPort::Write(const uint8_t* buffer, int32_t count, int32_t timeoutPerByteMs) {
    if (count <= 0) {
        // Also on the library path: a negative count would reach the library as a huge one.
        return SetStatus(kBadByteCount);
    }
    if (IsLibraryOpen()) {
        return WriteLibrary(buffer, count, timeoutPerByteMs);
    }
    return WritePort(buffer, count, timeoutPerByteMs);
}

int32_t SerialPort::Read(uint8_t* buffer, int32_t count, int32_t timeoutPerByteMs) {
    if (count <= 0) {
        return SetStatus(kBadByteCount);
    }
    if (IsLibraryOpen()) {
        return ReadLibrary(buffer, count, timeoutPerByteMs);
    }
    return ReadPort(buffer, count, timeoutPerByteMs);
}

int32_t SerialPort::WriteLibrary(const uint8_t* buffer, int32_t count, int32_t timeoutMs) {
    const auto [moved, result] = CameraLinkLibrary::Instance().Write(
        buffer, count, static_cast<uint32_t>(std::max(timeoutMs, 0)));
    int32_t status = 0;
    if (result != 0 || moved < count) {
        // Record why, or the message would name whatever an earlier exchange left on record.
        status = result != 0 ? kIoError : kTimeOut;
        SetStatus(status);
    }
    Trace(TransferTrace::Direction::kWrite, TransferTrace::Path::kLibrary, count, buffer, moved,
          status);
    return moved;
}

int32_t SerialPort::ReadLibrary(uint8_t* buffer, int32_t count, int32_t timeoutMs) {
    const int32_t moved = CameraLinkLibrary::Instance()
                              .Read(buffer, count, static_cast<uint32_t>(std::max(timeoutMs, 0)))
                              .moved;
    int32_t status = 0;
    if (moved < count) {
        // A short read is the library's time-out. Record it, or the user would be shown
        // whatever stale code an earlier failure left behind.
        SetStatus(kTimeOut);
        status = kTimeOut;
    }
    Trace(TransferTrace::Direction::kRead, TransferTrace::Path::kLibrary, count, buffer, moved,
          status);
    return moved;
}

void SerialPort::Trace(TransferTrace::Direction direction, TransferTrace::Path path,
                       int32_t requested, const uint8_t* bytes, int32_t moved, int32_t status) {
    if (trace_->IsOn()) {
        trace_->Record(NowMs(), direction, path, requested, bytes, moved, status);
    }
}

}  // namespace tavin
