#include "CameraSession.h"

#include "CameraDataSet.h"
#include "CameraLinkLibrary.h"
#include "Environment.h"
#include "Interrupts.h"
#include "ItemSelector.h"
#include "PortNames.h"

namespace tavin::ctl {

bool OpenLink(CameraDataSet& data, const LinkOptions& link, std::ostream& err) {
    if (!link.library.empty()) {
        CameraLinkLibrary::Instance().UseSerialIndex(link.serialIndex);
        if (data.OpenLibrary(link.library) < 0) {
            ReportFailure(data, err,
                          "tavinctl: could not load the Camera Link library " + link.library);
            return false;
        }
        // A failed board open was shown already ("Bord Open Error"), as the program shows it.
        if (!data.IsLibraryOpen()) {
            err << "tavinctl: " << link.library
                << " was loaded but could not open the board's serial channel\n";
            return false;
        }
        return true;
    }
    // A device path is the COM port's device for this run.
    if (!link.device.empty()) {
        UseDeviceForComPort(link.port, link.device);
    }
    if (data.OpenPort(link.port, link.baudRate) < 0) {
        const std::string path = ComPortDeviceName(link.port);
        ReportFailure(
            data, err,
            "tavinctl: could not open COM " + std::to_string(link.port) + " (" + path + ")");
        return false;
    }
    return true;
}

void UseDeviceForComPort(int port, const std::string& device) {
    const std::string variable = "TAVIN_COM" + std::to_string(port);
    device.empty() ? RemoveEnvironmentEntry(variable) : SetEnvironmentEntry(variable, device);
}

void ReportFailure(const CameraDataSet& data, std::ostream& err, const std::string& context) {
    err << data.GetStatusText() << '\n' << context << '\n' << std::flush;
}

bool StopRequested(Streams io, Progress* progress, std::string_view doing, int done, int total,
                   std::string_view consequence) {
    if (InterruptSignal() == 0) {
        return false;
    }
    if (progress) {
        progress->Clear();
    }
    io.err << "tavinctl: interrupted ";
    if (done == 0) {
        io.err << "before the first of " << total << " items";
    } else {
        io.err << "after item " << done << " of " << total;
    }
    io.err << " while " << doing << " (" << InterruptName(InterruptSignal()) << ")"
           << (consequence.empty() ? "" : "; ") << consequence << '\n'
           << std::flush;
    return true;
}

int StoppedStatus() {
    return InterruptedExitStatus(InterruptSignal());
}

void Progress::Step(int done, int total, int index) {
    if (!enabled_) {
        return;
    }
    const std::string text = verb_ + " " + std::to_string(done) + "/" + std::to_string(total) +
                             " " + DescribeItem(index);
    const size_t padding = shown_ > text.size() ? shown_ - text.size() : 0;
    err_ << '\r' << text << std::string(padding, ' ') << std::flush;
    shown_ = text.size();
}

void Progress::Clear() {
    if (enabled_ && shown_ > 0) {
        err_ << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
        shown_ = 0;
    }
}

}  // namespace tavin::ctl
