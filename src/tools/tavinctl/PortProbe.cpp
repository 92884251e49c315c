#include "PortProbe.h"

#include <cstdlib>
#include <iterator>
#include <map>
#include <sstream>

#include "CameraProtocol.h"
#include "CameraSession.h"
#include "Interrupts.h"
#include "NetworkAddress.h"
#include "ParallelTasks.h"
#include "PortState.h"
#include "PortUse.h"

namespace tavin::ctl {

namespace {

// The COM port whose device the probe names through the environment, as --device does. Each
// probe runs in a process of its own, so one variable serves them all.
constexpr int32_t kProbePort = 10;

using Outcome = ProbeResult::Outcome;

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

Outcome OutcomeOf(SavedPortState::Opened opened) {
    switch (opened) {
        case SavedPortState::Opened::kFree:
            return Outcome::kNoAnswer;
        case SavedPortState::Opened::kBusy:
            return Outcome::kBusy;
        case SavedPortState::Opened::kNoAccess:
            return Outcome::kNoAccess;
        default:
            return Outcome::kCannotOpen;
    }
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

// A result across the pipe from its process: "OUTCOME BAUD DETAIL".
std::string Encode(const ProbeResult& result) {
    return std::to_string(static_cast<int>(result.outcome)) + " " + std::to_string(result.baud) +
           " " + result.detail;
}

ProbeResult Decode(const std::string& text) {
    std::istringstream in(text);
    int outcome = 0;
    ProbeResult result;
    if (!(in >> outcome >> result.baud) || outcome < 0 ||
        outcome > static_cast<int>(Outcome::kCannotOpen)) {
        return {};
    }
    result.outcome = static_cast<Outcome>(outcome);
    in.get();
    std::getline(in, result.detail);
    return result;
}

// Asks one device (a path or a network address), in this process.
ProbeResult ProbePort(const std::string& device) {
    // Held from before the first ENQ until the settings are back.
    SavedPortState saved;
    if (!IsNetworkAddress(device)) {
        if (const Outcome outcome = OutcomeOf(saved.Open(device)); outcome != Outcome::kNoAnswer) {
            return {outcome, 0, ""};
        }
    }
    UseDeviceForComPort(kProbePort, device);
    ProbeResult result{Outcome::kNoAnswer, 0, ""};
    // Over raw TCP the server's line speed applies whatever this end asks: one try is enough.
    const auto address = ParseNetworkAddress(device);
    const bool raw = address && address->kind == NetworkAddress::Kind::kTcp;
    for (const int baud : {19200, 9600}) {
        result = {EnquireAt(baud), raw ? 0 : baud, ""};
        if (raw || result.outcome != Outcome::kNoAnswer || InterruptSignal() != 0) {
            break;
        }
    }
    UseDeviceForComPort(kProbePort, "");
    return result;
}

// The devices of `input`, one a line, asked one after the other: a line of results for each.
std::string ProbeEach(const std::string& input) {
    std::istringstream devices(input);
    std::string lines;
    for (std::string device; std::getline(devices, device);) {
        lines += Encode(ProbePort(device)) + "\n";
    }
    return lines;
}

}  // namespace

const ProcessTask kProbeTask{"probe", &ProbeEach};

std::vector<ProbeResult> ProbePorts(const std::vector<std::string>& devices) {
    std::vector<ProbeResult> results(devices.size());
    // Which devices each process asks, one after the other: a local port alone, the addresses
    // of one host together. Two addresses of one server may lead to the same line.
    std::vector<std::vector<size_t>> local;
    std::map<std::string, std::vector<size_t>> byHost;
    const PortUsers users = PortUsers::Scan();
    for (size_t i = 0; i < devices.size(); ++i) {
        if (const auto address = ParseNetworkAddress(devices[i])) {
            byHost[address->host].push_back(i);
        } else if (std::string user = users.UserOf(devices[i]); !user.empty()) {
            results[i] = {Outcome::kBusy, 0, std::move(user)};
        } else {
            local.push_back({i});
        }
    }
    std::vector<std::vector<size_t>> remote;
    for (auto& [host, indices] : byHost) {
        remote.push_back(std::move(indices));
    }
    // The local ports first, then the network: a server on this host may serve a local port.
    for (const auto* groups : {&local, &remote}) {
        std::vector<std::string> inputs;
        for (const std::vector<size_t>& group : *groups) {
            std::string lines;
            for (const size_t i : group) {
                lines += devices[i] + "\n";
            }
            inputs.push_back(std::move(lines));
        }
        const std::vector<std::optional<std::string>> answers = RunInProcesses(kProbeTask, inputs);
        for (size_t k = 0; k < groups->size(); ++k) {
            std::istringstream lines(answers[k].value_or(""));
            for (const size_t i : (*groups)[k]) {
                std::string line;
                results[i] = std::getline(lines, line) ? Decode(line) : ProbeResult{};
            }
        }
    }
    return results;
}

std::string DescribeProbe(const ProbeResult& result) {
    if (result.outcome == Outcome::kCamera) {
        return result.baud ? "camera at " + std::to_string(result.baud) + " baud"
                           : "camera (at the server's line speed)";
    }
    if (result.outcome == Outcome::kBusy && !result.detail.empty()) {
        return "busy (" + result.detail + ")";
    }
    return TextOf(result.outcome).description;
}

std::string ProbeOutcomeName(ProbeResult::Outcome outcome) {
    return TextOf(outcome).name;
}

}  // namespace tavin::ctl
