#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "CameraItemStore.h"
#include "CameraProtocol.h"

// The program's one set of camera settings together with the link that carries them. The
// status record is a virtual base of both the store and the link, so the object has exactly
// one: the code the transport or protocol recorded is the one these operations return and
// report.
//
// Silent operations (WriteItem, ReadItem, WriteAllItems, WriteItemSet, ReadAllItems) never show
// anything. Reporting operations show one error message per failed call, never one per item, and
// go through TheUserInterface(); while they transfer the whole camera, the status bar counts the
// items. A value is stored only after the camera accepted or sent it, and a read of the whole
// camera stores nothing unless every item came: a set that is half one camera's and half another's
// is never kept. Item indices are 0..kCameraItemCount-1 and are not checked.

namespace tavin {

// Told before each exchange of a whole-camera transfer: the item's place (1 for the first) among
// the `total` items the transfer exchanges.
using ItemProgress = std::function<void(int place, int total)>;

class CameraDataSet : public CameraItemStore, public CameraProtocol {
  public:
    // Sets every item to its default (for the current edition, so select it first) and
    // becomes the instance theCameraData() returns until it is destroyed.
    CameraDataSet();
    ~CameraDataSet() override;
    CameraDataSet(const CameraDataSet&) = delete;
    CameraDataSet& operator=(const CameraDataSet&) = delete;

    // Writes program-form `value` to the camera, then stores it. 1 when the stored value
    // changed, 0 when not, -code on failure (stored value untouched). An item the camera does
    // not take is only stored.
    int32_t WriteItem(int index, int32_t value);
    // 0 after every item was written, or -code at the first failure (later items not sent).
    int32_t WriteAllItems(const ItemProgress& progress = {});
    // Writes `values` in index order, storing each once the camera took it (one the camera does
    // not take is only stored). 0 when all went through; -code at the first failure, when the
    // store holds the values written before it and its own for the rest: what the camera has.
    int32_t WriteItemSet(const ItemValues& values, const ItemProgress& progress = {});
    // Reads one item into the store: 1 changed, 0 unchanged or not readable, -code on failure.
    int32_t ReadItem(int index);
    // 1 after every readable item was read and stored, or -code at the first failure, when the
    // store is as it was before the call.
    int32_t ReadAllItems(const ItemProgress& progress = {});

    // The reporting forms: each reports a failure once and returns the result unchanged.
    // SendItem first names the item in the status bar ("Sending ... data to camera..."); the
    // transfers of the whole camera count the items there ("Reading item 3 of 45 ...").
    int32_t SendItem(int index, int32_t value);
    int32_t SendAllItems();
    int32_t SendItemSet(const ItemValues& values);
    int32_t FetchAllItems();
    int32_t OpenSerialPort(int32_t portNumber, int32_t baudRate);
    int32_t OpenCameraLink(const std::string& libraryPath);

    // The error message box for the recorded status.
    void ReportError();
    // The text of string `stringId` with the item's label for "%1" in the status bar; nothing
    // while there is no main window.
    void ShowItemStatus(int index, unsigned stringId);

  private:
    int32_t Reported(int32_t result);
    // Reads item `index` from the camera into `value` (program form) without storing it.
    int32_t ReadCameraValue(int index, int32_t* value);
    // Shows the text of `stringId` for one step of a whole-camera transfer.
    ItemProgress ShowProgress(unsigned stringId);
};

// The program's data set: the one most recently constructed that still exists. Each program's
// main constructs it after selecting the edition and before the application object.
CameraDataSet& theCameraData();

}  // namespace tavin
