#include "LinkProcess.h"

#include <cstdlib>
#include <exception>
#include <sstream>

#include "ConsoleUserInterface.h"
#include "Environment.h"
#include "LinkList.h"

namespace tavin::ctl {

namespace {

// The link's progress stream: each flush of a Progress line goes to the parent as the link's
// newest progress.
class ProgressFrames final : public std::stringbuf {
  public:
    explicit ProgressFrames(const FrameSender& send) : send_(send) {}

  protected:
    int sync() override {
        send_(kProgressFrame, ProgressOfLink(str()));
        str("");
        return 0;
    }

  private:
    const FrameSender& send_;
};

}  // namespace

int RunLinkProcessJob(const CtlOptions& options, const LinkOptions& link, const CameraJob& job,
                      bool progress, const FrameSender& send) {
    // A trace of its own per link: lines of several links in one file could not be told apart.
    if (const char* trace = std::getenv("TAVIN_TRACE"); trace && *trace) {
        SetEnvironmentEntry("TAVIN_TRACE", std::string(trace) + "." + FileNameOf(link.name));
    }
    CtlOptions mine = options;
    mine.links.clear();
    mine.link = link;
    mine.json = PrintsJson(options);
    if (!options.outputFile.empty()) {
        mine.outputFile = options.outputFile + "/" + FileNameOf(link.name) + ".tvn";
    }
    std::ostringstream out;
    std::ostringstream err;
    ProgressFrames frames(send);
    std::ostream status(&frames);
    ConsoleUserInterface console(err);
    UserInterface* previous = InstallUserInterface(&console);
    int code = kFailure;
    try {
        code = RunCameraJob(mine, link, job,
                            {.out = out, .err = err, .progress = progress, .status = &status});
    } catch (const std::exception& e) {
        err << "tavinctl: " << e.what() << '\n';
    }
    InstallUserInterface(previous);
    send(kOutFrame, out.str());
    send(kErrFrame, err.str());
    return code;
}

}  // namespace tavin::ctl
