#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CTAVINDoc.h"
#include "CTAVINView.h"
#include "CameraDataSet.h"
#include "CameraItemTable.h"
#include "DialogBuilder.h"
#include "Edition.h"
#include "LiveCameraAccess.h"
#include "ScrollBarControl.h"
#include "SimulatedCameraDevice.h"
#include "UserInterface.h"

// The control panel on real widgets, with the program's own document, data set and link, and
// the simulated camera behind a fake serial device in virtual time. Whatever reaches the camera
// and whatever the program shows goes into one log, in order.

namespace tavin::testing {

// The eight shutter speed buttons, "1/30" to "1/50000".
inline std::vector<int> ShutterButtons() {
    std::vector<int> ids;
    for (int id = panel::kShutterFirst; id <= panel::kShutterLast; ++id) {
        ids.push_back(id);
    }
    return ids;
}

// Stands in for the application: records messages and status texts, and lets a test act at
// the moment a write starts (before the camera has answered).
class PanelUserInterface final : public UserInterface {
  public:
    explicit PanelUserInterface(std::vector<std::string>& log) : log_(log) {
        previous_ = InstallUserInterface(this);
    }
    ~PanelUserInterface() override { InstallUserInterface(previous_); }
    PanelUserInterface(const PanelUserInterface&) = delete;
    PanelUserInterface& operator=(const PanelUserInterface&) = delete;

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        log_.push_back("message " + text);
        messages.push_back(text);
        EXPECT_EQ(caption, "");
        if (onMessage) {
            onMessage(text, icon);
        }
    }
    bool HasMainWindow() override { return true; }
    void SetStatusText(const std::string& text) override {
        if (onStatus) {
            onStatus(text);
        }
    }
    void KeepResponsive() override {}

    std::vector<std::string> messages;
    std::function<void(const std::string&, MessageIcon)> onMessage;
    std::function<void(const std::string&)> onStatus;  // "Sending ... data to camera..."

  private:
    std::vector<std::string>& log_;
    UserInterface* previous_;
};

struct CameraWrite {
    uint8_t item;  // the camera's item number
    int32_t value;
    bool operator==(const CameraWrite&) const = default;
};

inline void PrintTo(const CameraWrite& write, std::ostream* out) {
    *out << "item 0x" << std::hex << int(write.item) << std::dec << " = " << write.value;
}

class PanelFixture {
  public:
    explicit PanelFixture(const Edition& edition, PanelServices services = {}) : edition_(edition) {
        auto device = std::make_unique<SimulatedCameraDevice>(clock, log);
        camera = device.get();
        data.UseSerialDevice(std::move(device));
        data.UseTickSource(clock);
        // Both programs reach the simulated camera through a serial device here.
        EXPECT_EQ(data.OpenSerialPort(1, 19200), 0);
        camera->Engine().SetObserver([this](const sim::MonitorEvent& event) {
            if (event.kind == sim::EventKind::Write) {
                writes.push_back({event.item, event.value.value_or(-1)});
                log.push_back("write " + std::to_string(event.item) + " " +
                              std::to_string(event.value.value_or(-1)));
                if (onWrite) {
                    onWrite();
                }
            }
        });
        if (!services.clock) {
            // The loop test runs on the link's virtual clock: every pause lets the window
            // repaint and moves the time on by at most loopStepMs.
            services.clock = &clock;
            services.pause = [this](uint32_t ms) {
                if (duringPause) {
                    duringPause();
                }
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                clock.Advance(std::min(ms, loopStepMs));
            };
        }
        view = std::make_unique<CTAVINView>(document, nullptr, services);
        view->resize(view->Form().size() + QSize(4, 4));
        view->show();
    }

    template <typename T = QAbstractButton>
    T* Control(int id) const {
        return DialogItem<T>(view->Form(), id);
    }
    QAbstractButton* Button(int id) const { return Control<QAbstractButton>(id); }
    ScrollBarControl* Slider(int id) const { return Control<ScrollBarControl>(id); }
    QString LabelText(int id) const { return Control<QLabel>(id)->text(); }

    // The buttons among `ids` that show a check mark.
    std::vector<int> Checked(const std::vector<int>& ids) const {
        std::vector<int> checked;
        for (int id : ids) {
            if (Button(id)->isChecked()) {
                checked.push_back(id);
            }
        }
        return checked;
    }
    bool ShutterEnabled() const {
        bool all = true;
        bool none = true;
        for (int id : ShutterButtons()) {
            all = all && Button(id)->isEnabled();
            none = none && !Button(id)->isEnabled();
        }
        EXPECT_TRUE(all || none) << "the shutter buttons disagree";
        return all;
    }

    // The camera holds `cameraValue` for the item of `index`; the program reads every item and
    // refreshes its views, as "Read From Camera" does.
    void CameraHolds(std::initializer_list<std::pair<int, int32_t>> values) {
        for (auto [index, value] : values) {
            camera->SetCameraValueOf(index, value);
        }
        ASSERT_GT(document.ReadCameraData(), 0);
        document.RefreshAllViews();
        writes.clear();
        log.clear();
    }

    void GoSilent(bool silent) { camera->GoSilentFromEnq(silent ? 1 : 0); }

    std::vector<std::string> log;
    VirtualClock clock;
    uint32_t loopStepMs = 300;
    std::function<void()> duringPause;
    std::vector<CameraWrite> writes;
    std::function<void()> onWrite;

  private:
    ScopedEdition edition_;

  public:
    PanelUserInterface ui{log};
    CameraDataSet data;
    SimulatedCameraDevice* camera = nullptr;
    LiveCameraAccess access{data};
    CTAVINDoc document{access};
    std::unique_ptr<CTAVINView> view;
};

}  // namespace tavin::testing
