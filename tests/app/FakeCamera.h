#pragma once

#include <functional>
#include <string>
#include <vector>

#include "CameraAccess.h"
#include "CameraItemStore.h"

// A camera that records what the application asks of it. Values live in a real item store, so
// conversions between program and camera form are the real ones.

namespace tavin::testing {

class FakeCamera final : public CameraAccess {
  public:
    CameraItemStore store;
    std::vector<std::string> calls;

    int32_t openResult = 0;
    int32_t fetchResult = 1;
    int32_t sendAllResult = 0;
    int sendItemSetTaken = 0;     // when SendItemSet fails: how many of its values the camera took
    int32_t sendItemFailure = 0;  // negative: SendItem fails with it
    std::function<void()> duringFetch;
    std::function<void()> duringSendAll;

    int32_t GetValue(int index, bool toCamera) const override {
        return store.GetValue(index, toCamera);
    }
    int32_t SetValue(int index, int32_t value, bool fromCamera) override {
        return store.SetValue(index, value, fromCamera);
    }
    int32_t SendItem(int index, int32_t value) override {
        calls.push_back("SendItem " + std::to_string(index) + " " + std::to_string(value));
        return sendItemFailure < 0 ? sendItemFailure : store.SetValue(index, value, false);
    }
    int32_t SendAllItems() override {
        calls.push_back("SendAllItems");
        if (duringSendAll) {
            duringSendAll();
        }
        return sendAllResult;
    }
    int32_t SendItemSet(const ItemValues& values) override {
        calls.push_back("SendItemSet");
        if (duringSendAll) {
            duringSendAll();
        }
        const int taken = sendAllResult < 0 ? sendItemSetTaken : kCameraItemCount;
        for (int index = 0; index < taken; ++index) {
            store.SetValue(index, values[index], false);
        }
        return sendAllResult;
    }
    int32_t FetchAllItems() override {
        calls.push_back("FetchAllItems");
        if (duringFetch) {
            duringFetch();
        }
        return fetchResult;
    }
    int32_t OpenSerialPort(int32_t portNumber, int32_t baudRate) override {
        calls.push_back("OpenSerialPort " + std::to_string(portNumber) + " " +
                        std::to_string(baudRate));
        // As the transport does: the number is kept even when the port then fails to open.
        port = portNumber;
        baud = baudRate;
        portOpen = openResult >= 0;
        return openResult;
    }
    int32_t OpenCameraLink(const std::string& libraryPath) override {
        calls.push_back("OpenCameraLink " + libraryPath);
        portOpen = false;
        return openResult;
    }
    int32_t Close() override {
        calls.push_back("Close");
        portOpen = false;
        return 0;
    }
    bool IsPortOpen() const override { return portOpen; }
    int32_t GetPortNumber() const override { return port; }
    int32_t GetBaudRate() const override { return baud; }
    int32_t SendCommand(const char* text) override {
        calls.push_back(std::string("SendCommand ") + text);
        return 0;
    }
    int32_t SendQuery(const char* text, char* reply) override {
        calls.push_back(std::string("SendQuery ") + text);
        reply[0] = '\0';
        return 0;
    }
    void ReportError() override { calls.push_back("ReportError"); }

    int32_t port = 0;
    int32_t baud = 0;
    bool portOpen = false;
};

}  // namespace tavin::testing
