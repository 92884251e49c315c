#include "CameraDataSet.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "StringIds.h"
#include "StringTable.h"
#include "UserInterface.h"

namespace tavin {

namespace {

constexpr int32_t kHeader1 = 0x01;
constexpr int32_t kHeader2 = 0xFF;

// Live data sets, newest last. A program has one; tests may nest their own.
std::vector<CameraDataSet*>& Instances() {
    static std::vector<CameraDataSet*> instances;
    return instances;
}

}  // namespace

CameraDataSet::CameraDataSet() {
    Instances().push_back(this);
}

CameraDataSet::~CameraDataSet() {
    std::erase(Instances(), this);
}

CameraDataSet& theCameraData() {
    if (Instances().empty()) {
        std::fputs("theCameraData() used before the camera data set was constructed\n", stderr);
        std::abort();
    }
    return *Instances().back();
}

int32_t CameraDataSet::WriteItem(int index, int32_t value) {
    const CameraItemDef& def = GetItemDef(index);
    if (!(def.flags & CameraItemDef::kWritable)) {
        return SetValue(index, value, false);
    }
    const int32_t result = WriteCameraItem(kHeader1, kHeader2, def.writeCommand, def.itemNumber,
                                           def.minValue, def.maxValue, ToCamera(index, value));
    if (result < 0) {
        return SetStatus(kKeepStatus);
    }
    return SetValue(index, value, false);
}

int32_t CameraDataSet::WriteAllItems() {
    for (int index = 0; index < kCameraItemCount; ++index) {
        if (WriteItem(index, GetValue(index, false)) < 0) {
            return SetStatus(kKeepStatus);
        }
    }
    return 0;
}

int32_t CameraDataSet::ReadItem(int index) {
    const CameraItemDef& def = GetItemDef(index);
    if (!(def.flags & CameraItemDef::kReadable)) {
        return 0;
    }
    int32_t camera = 0;
    if (ReadCameraItem(kHeader1, kHeader2, def.readCommand, def.itemNumber, def.minValue,
                       def.maxValue, &camera) < 0) {
        return SetStatus(kKeepStatus);
    }
    return SetValue(index, camera, true);
}

int32_t CameraDataSet::ReadAllItems() {
    for (int index = 0; index < kCameraItemCount; ++index) {
        if (ReadItem(index) < 0) {
            return SetStatus(kKeepStatus);
        }
    }
    return 1;
}

int32_t CameraDataSet::Reported(int32_t result) {
    if (result < 0) {
        ReportError();
    }
    return result;
}

int32_t CameraDataSet::SendItem(int index, int32_t value) {
    ShowItemStatus(index, string_id::kSendingItem);
    return Reported(WriteItem(index, value));
}

int32_t CameraDataSet::SendAllItems() {
    return Reported(WriteAllItems());
}

int32_t CameraDataSet::FetchAllItems() {
    return Reported(ReadAllItems());
}

int32_t CameraDataSet::OpenSerialPort(int32_t portNumber, int32_t baudRate) {
    return Reported(OpenPort(portNumber, baudRate));
}

int32_t CameraDataSet::OpenCameraLink(const std::string& libraryPath) {
    return Reported(OpenLibrary(libraryPath));
}

void CameraDataSet::ReportError() {
    TheUserInterface().ShowMessage(GetStatusText(), "", MessageIcon::Error);
}

void CameraDataSet::ShowItemStatus(int index, unsigned stringId) {
    UserInterface& ui = TheUserInterface();
    if (ui.HasMainWindow()) {
        ui.SetStatusText(FormatString(LoadText(stringId), GetLabel(index)));
    }
}

}  // namespace tavin
