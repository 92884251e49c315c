#include "LiveCameraAccess.h"

#include "CameraDataSet.h"

namespace tavin {

int32_t LiveCameraAccess::GetValue(int index, bool toCamera) const {
    return data_.GetValue(index, toCamera);
}
int32_t LiveCameraAccess::SetValue(int index, int32_t value, bool fromCamera) {
    return data_.SetValue(index, value, fromCamera);
}
int32_t LiveCameraAccess::SendItem(int index, int32_t value) {
    return data_.SendItem(index, value);
}
int32_t LiveCameraAccess::SendAllItems() {
    return data_.SendAllItems();
}
int32_t LiveCameraAccess::SendItemSet(const ItemValues& values) {
    return data_.SendItemSet(values);
}
int32_t LiveCameraAccess::FetchAllItems() {
    return data_.FetchAllItems();
}
int32_t LiveCameraAccess::OpenSerialPort(int32_t portNumber, int32_t baudRate) {
    return data_.OpenSerialPort(portNumber, baudRate);
}
int32_t LiveCameraAccess::OpenCameraLink(const std::string& libraryPath) {
    return data_.OpenCameraLink(libraryPath);
}
int32_t LiveCameraAccess::Close() {
    return data_.Close();
}
bool LiveCameraAccess::IsPortOpen() const {
    return data_.IsPortOpen();
}
int32_t LiveCameraAccess::GetPortNumber() const {
    return data_.GetPortNumber();
}
int32_t LiveCameraAccess::GetBaudRate() const {
    return data_.GetBaudRate();
}
int32_t LiveCameraAccess::SendCommand(const char* text) {
    return data_.SendCommand(text);
}
int32_t LiveCameraAccess::SendQuery(const char* text, char* reply) {
    return data_.SendQuery(text, reply);
}
void LiveCameraAccess::ReportError() {
    data_.ReportError();
}

}  // namespace tavin
