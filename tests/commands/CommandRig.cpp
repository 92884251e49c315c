#include "CommandRig.h"

#include <QTest>

#include "CTAVINView.h"
#include "DocumentCommands.h"

namespace tavin::testing {

CommandRig::CommandRig(const Edition& programEdition, bool developerMode, Port port)
    : edition(programEdition), previousEdition_(CurrentEdition()) {
    // Both programs' commands run against the fake device through a port.
    SetCurrentEdition(edition);
    data = std::make_unique<CameraDataSet>();
    if (port == Port::Fake) {
        auto wire = std::make_unique<WireRecordingDevice>(clock, log);
        device = wire.get();
        data->UseSerialDevice(std::move(wire));
        data->UseTickSource(clock);
        EXPECT_EQ(data->OpenSerialPort(1, 19200), 0);
    }

    installed = std::make_unique<ScopedUserInterface>(ui);
    camera = std::make_unique<LiveCameraAccess>(*data);
    document = std::make_unique<CTAVINDoc>(*camera);
    frame = std::make_unique<CMainFrame>(edition, developerMode, commands, *camera);
    frame->SetView(new CTAVINView(*document, frame.get()));
    ui.SetMainFrame(frame.get());
    DocumentCommands::Register(commands, *document, *frame);
    QObject::connect(document.get(), &CTAVINDoc::viewsRefreshRequested, [this] { ++refreshes; });
}

CommandRig::~CommandRig() {
    frame.reset();
    document.reset();
    installed.reset();
    data.reset();
    SetCurrentEdition(previousEdition_);
}

void CommandRig::ShowFrame() {
    frame->show();
    frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
}

std::vector<WireMessage> CommandRig::TakeMessages() {
    std::vector<WireMessage> taken;
    const auto& frames = device->Frames();
    for (size_t i = messagesTaken_; i < frames.size(); ++i) {
        taken.push_back({frames[i]});
    }
    messagesTaken_ = frames.size();
    return taken;
}

std::vector<int> CommandRig::ItemsOf(const std::vector<WireMessage>& messages) {
    std::vector<int> items;
    for (const WireMessage& message : messages) {
        int found = -1;
        for (int index = 0; index < kCameraItemCount && found < 0; ++index) {
            const CameraItemDef& def = GetItemDef(index);
            const int command = message.Command();
            if ((command == def.readCommand || command == def.writeCommand) &&
                message.Item() == def.itemNumber) {
                found = index;
            }
        }
        items.push_back(found);
    }
    return items;
}

QString CommandRig::PanelGainFineText() const {
    auto* view = qobject_cast<CTAVINView*>(frame->centralWidget());
    auto* label =
        view ? view->Form().findChild<QLabel*>(QString::number(panel::kGainFineValue)) : nullptr;
    return label ? label->text() : QStringLiteral("<no panel>");
}

}  // namespace tavin::testing
