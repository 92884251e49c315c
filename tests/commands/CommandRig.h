#pragma once

#include <QLabel>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppUserInterface.h"
#include "CMainFrame.h"
#include "CTAVINDoc.h"
#include "CameraDataSet.h"
#include "CommandTable.h"
#include "Edition.h"
#include "GuiTestSupport.h"
#include "LiveCameraAccess.h"
#include "SimulatedCameraDevice.h"

// The program's pieces around one live camera data set: document, main frame with its control
// panel, the registered Interface commands, and a port that leads to the simulated camera in
// virtual time. Message boxes are recorded instead of shown.

namespace tavin::testing {

// The fake device of the data-set tests, keeping every byte the host wrote as well.
class WireRecordingDevice : public SimulatedCameraDevice {
  public:
    using SimulatedCameraDevice::SimulatedCameraDevice;
    int32_t WriteSome(const uint8_t* bytes, int32_t count) override {
        wire.insert(wire.end(), bytes, bytes + count);
        if (onFrame && count > 0 && bytes[0] == 0x02) {
            onFrame();
        }
        return SimulatedCameraDevice::WriteSome(bytes, count);
    }
    std::vector<uint8_t> wire;
    std::function<void()> onFrame;  // as the host starts to send a message frame
};

// A message text as it travels: header, command, item and value digits.
struct WireMessage {
    std::string text;
    int Command() const { return Pair(4); }
    int Item() const { return Pair(6); }
    bool IsRead() const { return Command() == 0x03 || Command() == 0x04; }
    bool IsWrite() const { return Command() == 0x01 || Command() == 0x02; }

  private:
    int Pair(size_t at) const {
        return text.size() >= at + 2 ? std::stoi(text.substr(at, 2), nullptr, 16) : -1;
    }
};

class CommandRig {
  public:
    // The fake device, open on COM1 at 19200 baud; or the platform's serial ports, none open.
    enum class Port { Fake, Platform };

    explicit CommandRig(const Edition& edition, bool developerMode = true, Port port = Port::Fake);
    ~CommandRig();
    CommandRig(const CommandRig&) = delete;
    CommandRig& operator=(const CommandRig&) = delete;

    // Shown and active, so that the accelerators reach it.
    void ShowFrame();

    // The messages the host framed since the previous call.
    std::vector<WireMessage> TakeMessages();
    // Items addressed by `messages`, as data-set indices in the order sent.
    static std::vector<int> ItemsOf(const std::vector<WireMessage>& messages);

    // The control panel's label of GAIN (FINE), which a refresh sets from the data set.
    QString PanelGainFineText() const;

    const Edition& edition;
    MessageRecorder messages;
    VirtualClock clock;
    std::vector<std::string> log;
    std::unique_ptr<CameraDataSet> data;
    WireRecordingDevice* device = nullptr;  // null on the platform's ports
    AppUserInterface ui;
    std::unique_ptr<ScopedUserInterface> installed;
    std::unique_ptr<LiveCameraAccess> camera;
    std::unique_ptr<CTAVINDoc> document;
    CommandTable commands;
    std::unique_ptr<CMainFrame> frame;
    int refreshes = 0;

  private:
    const Edition& previousEdition_;
    size_t messagesTaken_ = 0;
};

}  // namespace tavin::testing
