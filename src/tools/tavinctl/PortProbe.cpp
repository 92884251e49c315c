#include "PortProbe.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iterator>

#include "CameraProtocol.h"
#include "NetworkAddress.h"

namespace tavin::ctl {

namespace {

// The COM port whose device the probe names through the environment, as --device does.
constexpr int32_t kProbePort = 10;

using Outcome = ProbeResult::Outcome;

// Whether another program holds a local device: its exclusive mode, or the lock this program's
// own transport takes. Looked at without taking either for longer than the look.
Outcome LocalAvailability(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == EBUSY                      ? Outcome::kBusy
               : errno == EACCES || errno == EPERM ? Outcome::kNoAccess
                                                   : Outcome::kCannotOpen;
    }
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked ? Outcome::kBusy : Outcome::kNoAnswer;
}

// One ENQ at `baud`: kCamera when the camera acknowledged it.
Outcome EnquireAt(int baud) {
    CameraProtocol port;
    if (port.OpenPort(kProbePort, baud) < 0) {
        return Outcome::kCannotOpen;
    }
    port.Purge(SerialPort::kPurgeTxClear | SerialPort::kPurgeRxClear);
    const bool answered = port.Write(&kEnq, 1, CameraProtocol::kByteTimeoutMs) == 1 &&
                          port.WaitAck(CameraProtocol::kEnqAckTimeoutMs) == 0;
    port.Close();
    return answered ? Outcome::kCamera : Outcome::kNoAnswer;
}

struct OutcomeText {
    Outcome outcome;
    const char* name;         // for programs
    const char* description;  // for people
};
constexpr OutcomeText kOutcomeTexts[] = {
    {Outcome::kCamera, "camera", "camera"},
    {Outcome::kNoAnswer, "no-answer", "no answer"},
    {Outcome::kBusy, "busy", "busy (another program holds it)"},
    {Outcome::kNoAccess, "no-access", "no access (join the dialout group)"},
    {Outcome::kCannotOpen, "cannot-open", "cannot be opened"},
};

const OutcomeText& TextOf(Outcome outcome) {
    for (const OutcomeText& text : kOutcomeTexts) {
        if (text.outcome == outcome) {
            return text;
        }
    }
    return kOutcomeTexts[std::size(kOutcomeTexts) - 1];
}

}  // namespace

ProbeResult ProbePort(const std::string& device) {
    if (!IsNetworkAddress(device)) {
        if (const Outcome outcome = LocalAvailability(device); outcome != Outcome::kNoAnswer) {
            return {outcome, 0};
        }
    }
    const std::string variable = "TAVIN_COM" + std::to_string(kProbePort);
    ::setenv(variable.c_str(), device.c_str(), 1);
    ProbeResult result{Outcome::kNoAnswer, 0};
    // Over raw TCP the server's line speed applies whatever this end asks: one try is enough.
    const auto address = ParseNetworkAddress(device);
    const bool raw = address && address->kind == NetworkAddress::Kind::kTcp;
    for (const int baud : {19200, 9600}) {
        result = {EnquireAt(baud), raw ? 0 : baud};
        if (raw || result.outcome != Outcome::kNoAnswer) {
            break;
        }
    }
    ::unsetenv(variable.c_str());
    return result;
}

std::string DescribeProbe(const ProbeResult& result) {
    if (result.outcome == Outcome::kCamera) {
        return result.baud ? "camera at " + std::to_string(result.baud) + " baud"
                           : "camera (at the server's line speed)";
    }
    return TextOf(result.outcome).description;
}

std::string ProbeOutcomeName(ProbeResult::Outcome outcome) {
    return TextOf(outcome).name;
}

}  // namespace tavin::ctl
