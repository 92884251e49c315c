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

// How many items have `flag` (writable or readable): the items a whole-camera transfer exchanges.
int CountItems(uint8_t flag) {
    int count = 0;
    for (int index = 0; index < kCameraItemCount; ++index) {
        count += (GetItemDef(index).flags & flag) ? 1 : 0;
    }
    return count;
}

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

int32_t CameraDataSet::WriteAllItems(const ItemProgress& progress) {
    ItemValues values{};
    for (int index = 0; index < kCameraItemCount; ++index) {
        values[index] = GetValue(index, false);
    }
    return WriteItemSet(values, progress);
}

int32_t CameraDataSet::WriteItemSet(const ItemValues& values, const ItemProgress& progress) {
    const int total = CountItems(CameraItemDef::kWritable);
    int place = 0;
    for (int index = 0; index < kCameraItemCount; ++index) {
        if (progress && (GetItemDef(index).flags & CameraItemDef::kWritable)) {
            progress(++place, total);
        }
        if (WriteItem(index, values[index]) < 0) {
            return SetStatus(kKeepStatus);
        }
    }
    return 0;
}

int32_t CameraDataSet::ReadCameraValue(int index, int32_t* value) {
    const CameraItemDef& def = GetItemDef(index);
    int32_t camera = 0;
    if (ReadCameraItem(kHeader1, kHeader2, def.readCommand, def.itemNumber, def.minValue,
                       def.maxValue, &camera) < 0) {
        return SetStatus(kKeepStatus);
    }
    *value = FromCamera(index, camera);
    return 0;
}

int32_t CameraDataSet::ReadItem(int index) {
    if (!(GetItemDef(index).flags & CameraItemDef::kReadable)) {
        return 0;
    }
    int32_t value = 0;
    if (ReadCameraValue(index, &value) < 0) {
        return SetStatus(kKeepStatus);
    }
    return SetValue(index, value, false);
}

int32_t CameraDataSet::ReadAllItems(const ItemProgress& progress) {
    // Into a scratch set first: a read that breaks off keeps nothing of what it had read.
    const int total = CountItems(CameraItemDef::kReadable);
    int place = 0;
    ItemValues read{};
    for (int index = 0; index < kCameraItemCount; ++index) {
        read[index] = GetValue(index, false);
        if (!(GetItemDef(index).flags & CameraItemDef::kReadable)) {
            continue;
        }
        if (progress) {
            progress(++place, total);
        }
        if (ReadCameraValue(index, &read[index]) < 0) {
            return SetStatus(kKeepStatus);
        }
    }
    for (int index = 0; index < kCameraItemCount; ++index) {
        SetValue(index, read[index], false);
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
    return Reported(WriteAllItems(ShowProgress(string_id::kSendingItems)));
}

int32_t CameraDataSet::SendItemSet(const ItemValues& values) {
    return Reported(WriteItemSet(values, ShowProgress(string_id::kSendingItems)));
}

int32_t CameraDataSet::FetchAllItems() {
    return Reported(ReadAllItems(ShowProgress(string_id::kReadingItems)));
}

ItemProgress CameraDataSet::ShowProgress(unsigned stringId) {
    return [stringId](int place, int total) {
        UserInterface& ui = TheUserInterface();
        if (ui.HasMainWindow()) {
            ui.SetStatusText(
                FormatString(LoadText(stringId), std::to_string(place), std::to_string(total)));
        }
    };
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
