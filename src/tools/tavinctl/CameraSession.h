#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "Commands.h"
#include "CtlOptions.h"

// The camera end of tavinctl: opening the link the options name, telling the user why it
// failed, and showing how far a long transfer has come.

namespace tavin {
class CameraDataSet;
}

namespace tavin::ctl {

// Opens the link; on failure prints the status text (as the program's windows show it) and
// what was being opened, and returns false. A Camera Link library that loads but cannot open
// the board's serial channel is a failure too: nothing could be sent through it.
bool OpenLink(CameraDataSet& data, const LinkOptions& link, std::ostream& err);

// COM port `port` stands for `device` in this process from now on, as TAVIN_COM<n> makes it for
// the programs; "" gives the port back to the port maps.
void UseDeviceForComPort(int port, const std::string& device);

// Prints the status text of the failure the data set recorded, then `context`.
void ReportFailure(const CameraDataSet& data, std::ostream& err, const std::string& context);

// "Reading 12/45 GAIN (FINE)" on one line that each step overwrites; for a terminal only, so
// logs and pipes stay clean.
class Progress {
  public:
    Progress(std::ostream& err, bool enabled, std::string_view verb)
        : err_(err), enabled_(enabled), verb_(verb) {}
    Progress(Streams io, std::string_view verb)
        : Progress(io.status ? *io.status : io.err, io.progress, verb) {}
    ~Progress() { Clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Step(int done, int total, int index);
    void Clear();

  private:
    std::ostream& err_;
    bool enabled_;
    std::string verb_;
    size_t shown_ = 0;
};

// Asked between two items: whether an interrupt (Interrupts.h) wants the command to stop. If so,
// clears `progress` (may be null) and says how far the command came, "interrupted after item 12
// of 45 while writing", and what that means, `consequence`; the caller then returns
// StoppedStatus().
bool StopRequested(Streams io, Progress* progress, std::string_view doing, int done, int total,
                   std::string_view consequence = "");
int StoppedStatus();

}  // namespace tavin::ctl
