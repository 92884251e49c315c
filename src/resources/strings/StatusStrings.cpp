// Communication status messages and the frame they are shown in. The texts are the camera
// program's established wording, misspellings included; users and support scripts match them.

#include "../StringIds.h"
#include "../StringTable.h"

namespace tavin::strings {

namespace {
constexpr StringEntry kStatus[] = {
    {string_id::StatusText(0), "OK, No error present!"},
    {string_id::StatusText(1), "This should be a software error."},
    {string_id::StatusText(2), "Communication port number invalid."},
    {string_id::StatusText(3), "Communication port not opened."},
    {string_id::StatusText(4), "Can not open communciation port."},
    {string_id::StatusText(5), "Communication time out detected.\nCheck the connection."},
    {string_id::StatusText(6),
     "Bad chacter size specified in sending/receiving data to the camera unit."},
    {string_id::StatusText(7),
     "Missing overlap operation for reading/writing data to the specified port."},
    {string_id::StatusText(8), "Purge operation failure for communication port."},
    {string_id::StatusText(9), "Serial line break condition detected."},
    {string_id::StatusText(10), "Framing error detected on camera communication."},
    {string_id::StatusText(11), "Serial communication I/O error."},
    {string_id::StatusText(12), "General software error (?). I do not know the cause."},
    {string_id::StatusText(13), "Character overrun detected on serial communciation."},
    {string_id::StatusText(14), "Receiver buffer full."},
    {string_id::StatusText(15), "Parity error detected in received data."},
    {string_id::StatusText(16), "Transmit buffer full."},
    {string_id::StatusText(17), "Unselected parallel device."},
    {string_id::StatusText(18), "Time out on parallel device."},
    {string_id::StatusText(19), "Paper empty."},
    {string_id::StatusText(20), "Unexpected character received from camera unit."},
    {string_id::StatusText(21), "Bad character size in received packet from camera unit."},
    {string_id::StatusText(22), "No STX character found in received data from camera unit."},
    {string_id::StatusText(23), "No ETX character found in received data."},
    {string_id::StatusText(24), "Invalid character type found in received data from camera unit."},
    {string_id::StatusText(25), "Check sum code mismatched in received data from camera unit."},
    {string_id::kStatusFrame, "ERROR - %1"},
    {string_id::StatusText(26), "Illegal message size of transmission data. "},
    {string_id::StatusText(27), "Too long message received."},
};
}  // namespace

std::span<const StringEntry> Status() {
    return kStatus;
}

}  // namespace tavin::strings
