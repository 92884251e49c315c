#include "CameraDataSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Edition.h"
#include "SimulatedCameraDevice.h"
#include "StringIds.h"
#include "UserInterface.h"

namespace tavin {
namespace {

using testing::SimulatedCameraDevice;
using testing::VirtualClock;

const std::string kTimeOutMessage =
    "ERROR - Communication time out detected.\nCheck the connection.";

// Records what the core shows, in one log shared with the wire.
class RecordingUserInterface : public UserInterface {
  public:
    explicit RecordingUserInterface(std::vector<std::string>& log) : log_(log) {
        previous_ = InstallUserInterface(this);
    }
    ~RecordingUserInterface() override { InstallUserInterface(previous_); }

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        log_.push_back("message " + text);
        EXPECT_EQ(caption, "");  // the application title
        EXPECT_EQ(icon, MessageIcon::Error);
        ++messages;
    }
    bool HasMainWindow() override { return hasMainWindow; }
    void SetStatusText(const std::string& text) override { log_.push_back("status " + text); }
    void KeepResponsive() override {}

    bool hasMainWindow = true;
    int messages = 0;

  private:
    std::vector<std::string>& log_;
    UserInterface* previous_;
};

class CameraDataSetTest : public ::testing::Test {
  protected:
    CameraDataSetTest() {
        auto device = std::make_unique<SimulatedCameraDevice>(clock_, log_);
        camera_ = device.get();
        data_.UseSerialDevice(std::move(device));
        data_.UseTickSource(clock_);
        EXPECT_EQ(data_.OpenSerialPort(1, 19200), 0);
    }

    int32_t CameraValueOf(int index) { return camera_->CameraValueOf(index); }
    void SetCameraValueOf(int index, int32_t value) { camera_->SetCameraValueOf(index, value); }
    // The item number addressed by each frame the host sent.
    std::vector<int> FramedItemNumbers() {
        std::vector<int> items;
        for (const std::string& text : camera_->Frames()) {
            items.push_back(std::stoi(text.substr(6, 2), nullptr, 16));
        }
        return items;
    }

    ScopedEdition edition_{kMorva7EEdition};
    std::vector<std::string> log_;
    RecordingUserInterface ui_{log_};
    VirtualClock clock_;
    CameraDataSet data_;
    SimulatedCameraDevice* camera_ = nullptr;
};

TEST_F(CameraDataSetTest, StartsAtDefaultsAndIsTheProgramsDataSet) {
    EXPECT_EQ(data_.GetValue(36, false), 235);
    EXPECT_EQ(data_.GetValue(40, false), 247);
    EXPECT_EQ(data_.GetValue(16, false), 0x7E7E);
    EXPECT_EQ(data_.GetValue(28, false), 1);
    EXPECT_EQ(&theCameraData(), &data_);
    {
        ScopedEdition cameraLink(kTavinEdition);
        CameraDataSet inner;
        EXPECT_EQ(&theCameraData(), &inner);
        EXPECT_EQ(inner.GetValue(28, false), 0);
    }
    EXPECT_EQ(&theCameraData(), &data_);
}

TEST_F(CameraDataSetTest, WriteItemSendsCameraFormAndStoresAfterTheAcknowledgement) {
    EXPECT_EQ(data_.WriteItem(9, 30), 1);
    EXPECT_EQ(data_.WriteItem(9, 30), 0);
    EXPECT_EQ(data_.GetValue(9, false), 30);
    EXPECT_EQ(CameraValueOf(9), 30);
    // Program 0 of a sign-magnitude item is camera 0x1FF, sent low byte first.
    EXPECT_EQ(data_.WriteItem(36, 0), 1);
    EXPECT_EQ(CameraValueOf(36), 0x1FF);
    // Program 1000 of a split item is camera 0x7E8; 0x01 items go most significant first.
    EXPECT_EQ(data_.WriteItem(40, 1000), 1);
    EXPECT_EQ(CameraValueOf(40), 0x7E8);
    EXPECT_EQ(data_.WriteItem(44, 291), 1);
    EXPECT_EQ(camera_->Frames(),
              (std::vector<std::string>{"01FF01181E0000", "01FF01181E0000", "01FF023CFF0100",
                                        "01FF0219E80700", "01FF012E012300"}));
}

TEST_F(CameraDataSetTest, FailedWriteReturnsTheRecordedCodeAndKeepsTheValue) {
    camera_->Engine().SetFault({sim::FaultKind::EnqWrongByte, 0});
    EXPECT_EQ(data_.WriteItem(9, 30), -20);
    EXPECT_EQ(data_.GetStatus(), 20);
    EXPECT_EQ(data_.GetValue(9, false), 25);
    EXPECT_TRUE(camera_->Frames().empty());

    camera_->Engine().SetFault({});
    camera_->GoSilentFromEnq(1);
    EXPECT_EQ(data_.WriteItem(11, 3), -5);
    EXPECT_EQ(data_.GetValue(11, false), 0);
}

TEST_F(CameraDataSetTest, ReservedItemNeverGoesOnTheWire) {
    EXPECT_EQ(data_.WriteItem(45, 7), 1);
    EXPECT_EQ(data_.WriteItem(45, 7), 0);
    EXPECT_EQ(data_.GetValue(45, false), 7);
    EXPECT_EQ(data_.ReadItem(45), 0);
    EXPECT_EQ(data_.GetValue(45, false), 7);
    EXPECT_TRUE(log_.empty());
    EXPECT_TRUE(camera_->Frames().empty());
}

TEST_F(CameraDataSetTest, ReadItemStoresProgramForm) {
    SetCameraValueOf(36, 0x100);  // negative zero
    EXPECT_EQ(data_.ReadItem(36), 1);
    EXPECT_EQ(data_.GetValue(36, false), 255);
    EXPECT_EQ(data_.ReadItem(36), 0);
    SetCameraValueOf(44, 0x123);
    EXPECT_EQ(data_.ReadItem(44), 1);
    EXPECT_EQ(data_.GetValue(44, false), 0x123);
    SetCameraValueOf(16, 0x0A0B);
    EXPECT_EQ(data_.ReadItem(16), 1);
    EXPECT_EQ(data_.GetValue(16, false), 0x4142);

    camera_->GoSilentFromEnq(1);
    SetCameraValueOf(44, 7);
    EXPECT_EQ(data_.ReadItem(44), -5);
    EXPECT_EQ(data_.GetValue(44, false), 0x123);
}

TEST_F(CameraDataSetTest, WriteAllItemsStopsAtTheFailingItem) {
    camera_->GoSilentFromEnq(11);  // items 0..9 go through, item 10 finds nobody
    data_.SetValue(9, 40, false);
    data_.SetValue(10, 41, false);
    EXPECT_EQ(data_.WriteAllItems(), -5);
    std::vector<int> expected;
    for (int index = 0; index < 10; ++index) {
        expected.push_back(GetItemDef(index).itemNumber);
    }
    EXPECT_EQ(FramedItemNumbers(), expected);
    EXPECT_EQ(CameraValueOf(9), 40);
    EXPECT_EQ(CameraValueOf(10), 25);
    EXPECT_EQ(data_.GetValue(10, false), 41);  // the store is not the camera's copy
}

TEST_F(CameraDataSetTest, WriteAllItemsSendsEveryWritableItem) {
    data_.SetValue(37, 500, false);
    data_.SetValue(20, 0x6162, false);
    EXPECT_EQ(data_.WriteAllItems(), 0);
    ASSERT_EQ(camera_->Frames().size(), 45u);
    for (int index = 0; index < 45; ++index) {
        EXPECT_EQ(CameraValueOf(index), data_.GetValue(index, true)) << index;
    }
    // A character pair has no width of its own and goes low byte first.
    EXPECT_EQ(camera_->Frames()[20], "01FF01220B0A00");
    EXPECT_EQ(camera_->Frames()[37], "01FF023DF50000");  // 500 is camera 0x0F5
}

TEST_F(CameraDataSetTest, ReadAllItemsReadsEveryReadableItem) {
    EXPECT_EQ(data_.ReadAllItems(), 1);
    EXPECT_EQ(camera_->Frames().size(), 45u);  // the reserved item is skipped
    EXPECT_EQ(data_.ReadAllItems(), 1);        // nothing changed, still 1
    for (int index = 0; index < 45; ++index) {
        EXPECT_EQ(data_.GetValue(index, false), FromCamera(index, CameraValueOf(index))) << index;
    }
}

// A read that breaks off keeps nothing: a set that is half the camera's and half the program's
// would be saved and written back as if it were one.
TEST_F(CameraDataSetTest, ReadAllItemsKeepsNothingOfAReadThatBrokeOff) {
    SetCameraValueOf(2, 3);
    SetCameraValueOf(5, 6);
    camera_->GoSilentFromEnq(5);  // items 0..3 answer
    EXPECT_EQ(data_.ReadAllItems(), -5);
    EXPECT_EQ(camera_->Frames().size(), 4u);
    EXPECT_EQ(data_.GetValue(2, false), 0);
    EXPECT_EQ(data_.GetValue(5, false), 0);
    camera_->GoSilentFromEnq(0);
    EXPECT_EQ(data_.ReadAllItems(), 1);
    EXPECT_EQ(data_.GetValue(2, false), 3);
    EXPECT_EQ(data_.GetValue(5, false), 6);
}

// Writing a set keeps what the camera acknowledged: the items before the failure take the set's
// values, the rest keep the store's, and the item the camera does not take waits for a complete
// write.
TEST_F(CameraDataSetTest, WriteItemSetKeepsWhatTheCameraTook) {
    ItemValues set{};
    for (int index = 0; index < kCameraItemCount; ++index) {
        set[index] = data_.GetValue(index, false);
    }
    set[9] = 40;
    set[10] = 41;
    set[45] = 7;
    camera_->GoSilentFromEnq(11);  // items 0..9 go through
    EXPECT_EQ(data_.WriteItemSet(set), -5);
    EXPECT_EQ(data_.GetValue(9, false), 40);
    EXPECT_EQ(CameraValueOf(9), 40);
    EXPECT_EQ(data_.GetValue(10, false), 25);
    EXPECT_EQ(data_.GetValue(45, false), 0);
    camera_->GoSilentFromEnq(0);
    EXPECT_EQ(data_.WriteItemSet(set), 0);
    EXPECT_EQ(data_.GetValue(10, false), 41);
    EXPECT_EQ(CameraValueOf(10), 41);
    EXPECT_EQ(data_.GetValue(45, false), 7);
}

TEST_F(CameraDataSetTest, SendItemNamesTheItemBeforeWriting) {
    EXPECT_EQ(data_.SendItem(9, 30), 1);
    EXPECT_EQ(data_.SendItem(14, 6), 1);
    EXPECT_EQ(log_, (std::vector<std::string>{
                        "status Sending GAIN (FINE) data to camera...",
                        "frame 01FF0118"
                        "1E0000",
                        "status Sending  data to camera...",
                        "frame 01FF0119"
                        "060000",
                    }));
    EXPECT_EQ(ui_.messages, 0);
}

TEST_F(CameraDataSetTest, NothingIsShownWithoutAMainWindow) {
    ui_.hasMainWindow = false;
    EXPECT_EQ(data_.SendItem(9, 30), 1);
    data_.ShowItemStatus(11, string_id::kSendingItem);
    EXPECT_EQ(log_, std::vector<std::string>{"frame 01FF01181E0000"});
}

TEST_F(CameraDataSetTest, EachFailedReportingCallShowsOneMessage) {
    camera_->GoSilentFromEnq(3);
    EXPECT_EQ(data_.SendItem(9, 30), 1);
    EXPECT_EQ(data_.SendAllItems(), -5);  // fails at item 1
    EXPECT_EQ(ui_.messages, 1);
    EXPECT_EQ(data_.FetchAllItems(), -5);
    EXPECT_EQ(data_.SendItem(9, 31), -5);
    EXPECT_EQ(ui_.messages, 3);
    EXPECT_EQ(log_, (std::vector<std::string>{
                        "status Sending GAIN (FINE) data to camera...",
                        "frame 01FF01181E0000",
                        "status Sending item 1 of 45 to camera...",
                        "frame 01FF0106010000",
                        "status Sending item 2 of 45 to camera...",
                        "message " + kTimeOutMessage,
                        "status Reading item 1 of 45 from camera...",
                        "message " + kTimeOutMessage,
                        "status Sending GAIN (FINE) data to camera...",
                        "message " + kTimeOutMessage,
                    }));
}

// The status bar counts the items of a whole-camera transfer, each before its exchange; the
// silent forms show nothing.
TEST_F(CameraDataSetTest, BulkTransfersCountTheirItems) {
    const auto expectCounted = [this](const std::string& verb, const std::string& direction) {
        ASSERT_EQ(log_.size(), 90u) << verb;
        for (size_t place = 1; place <= 45; ++place) {
            EXPECT_EQ(log_[2 * place - 2], "status " + verb + " item " + std::to_string(place) +
                                               " of 45 " + direction + " camera...");
            EXPECT_EQ(log_[2 * place - 1].rfind("frame ", 0), 0u) << log_[2 * place - 1];
        }
        log_.clear();
    };
    EXPECT_EQ(data_.SendAllItems(), 0);
    expectCounted("Sending", "to");
    EXPECT_EQ(data_.FetchAllItems(), 1);
    expectCounted("Reading", "from");
    EXPECT_EQ(data_.SendItemSet(ItemValues{}), 0);
    expectCounted("Sending", "to");
    EXPECT_EQ(ui_.messages, 0);

    EXPECT_EQ(data_.WriteAllItems(), 0);
    EXPECT_EQ(data_.ReadAllItems(), 1);
    EXPECT_EQ(data_.WriteItemSet(ItemValues{}), 0);
    EXPECT_EQ(log_.size(), 135u);
    for (const std::string& entry : log_) {
        EXPECT_EQ(entry.rfind("frame ", 0), 0u) << entry;
    }
}

TEST_F(CameraDataSetTest, FailedOpensAreReported) {
    EXPECT_EQ(data_.OpenSerialPort(11, 19200), -2);
    EXPECT_EQ(ui_.messages, 1);
    EXPECT_EQ(log_.back(), "message ERROR - Communication port number invalid.");
    EXPECT_EQ(data_.OpenCameraLink("/nonexistent/libnothing.so"), -4);
    EXPECT_EQ(ui_.messages, 2);
    EXPECT_EQ(log_.back(), "message ERROR - Can not open communciation port.");
    camera_->RefuseOpen();
    EXPECT_EQ(data_.OpenSerialPort(2, 9600), -4);
    EXPECT_EQ(ui_.messages, 3);
}

}  // namespace
}  // namespace tavin
