#pragma once

#include <set>
#include <string>
#include <vector>

#include "FakeLine.h"
#include "ModuleLoader.h"

// A Camera Link serial library in virtual time: while it exists, every library the link loads
// comes from it. It offers its four entry points under the file names it is told to "have",
// reads and writes through a FakeLine, and records what the host asked of it.

namespace tavin::testing {

class FakeCameraLinkLibrary final : public ModuleLoader {
  public:
    explicit FakeCameraLinkLibrary(FakeLine& line);
    ~FakeCameraLinkLibrary() override;
    FakeCameraLinkLibrary(const FakeCameraLinkLibrary&) = delete;
    FakeCameraLinkLibrary& operator=(const FakeCameraLinkLibrary&) = delete;

    // Library behaviour.
    std::set<std::string> files{"clsermtx.dll"};  // paths Load succeeds for
    std::set<std::string> missingEntryPoints;     // names FindSymbol does not find
    int initResult = 0;
    bool writeFails = false;  // clSerialWrite moves nothing and reports a failure
    int writeTakes = -1;      // when not -1, clSerialWrite moves at most this many bytes

    // What the host did.
    std::vector<std::string> triedPaths;
    int loadCount = 0;
    int unloadCount = 0;
    int initCount = 0;
    int closeCount = 0;
    std::vector<unsigned long> readTimeouts;
    bool foreignReference = false;  // a call came with a reference this library never gave out

    // The reference handed out by clSerialInit: a full-width pointer.
    void* Reference() { return &referenceTarget_; }

    void* Load(const std::string& path) override;
    void* FindSymbol(void* module, const char* name) override;
    void Unload(void* module) override;

    // Entry points, called through the trampolines.
    int Init(unsigned long serialIndex, void** serialRef);
    int Read(void* serialRef, char* buffer, unsigned long* count, unsigned long timeoutMs);
    int Write(void* serialRef, char* buffer, unsigned long* count, unsigned long timeoutMs);
    int Close(void* serialRef);

  private:
    void CheckReference(void* serialRef);

    FakeLine& line_;
    ModuleLoader* previous_;
    int moduleToken_ = 0;
    int referenceTarget_ = 0;
};

}  // namespace tavin::testing
