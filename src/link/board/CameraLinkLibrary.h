#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CameraLinkApi.h"

// The binding to the frame grabber's serial library. There is one per process, as the board
// has one serial channel: the module, its four entry points and the serial reference.

namespace tavin {

class CameraLinkLibrary {
  public:
    enum class LoadResult { kLoaded, kNotFound, kMissingEntryPoint };

    static CameraLinkLibrary& Instance();

    // Loads the library by file name and binds the four entry points. A library that lacks one
    // of them is unloaded again and the earlier binding stays. Does not touch the serial link.
    LoadResult Load(const std::string& fileName);
    bool IsLoaded() const { return init_ != nullptr; }

    // The board's serial channel that Init links (0 unless told).
    void UseSerialIndex(unsigned long index) { serialIndex_ = index; }
    // clSerialInit on the serial index; the library's result (0 = linked). A failed init leaves
    // no link, whatever the library wrote into the reference.
    int Init();
    bool IsLinked() const { return serialRef_ != nullptr; }
    // clSerialClose when linked; afterwards no link. The module stays loaded.
    void CloseLink();

    struct Transfer {
        int32_t moved;  // the bytes the library moved (at most the count asked for)
        int result;     // the library's result: 0, or its failure code
    };
    Transfer Write(const uint8_t* bytes, int32_t count, uint32_t timeoutMs);
    Transfer Read(uint8_t* bytes, int32_t count, uint32_t timeoutMs);

  private:
    CameraLinkLibrary() = default;

    void* module_ = nullptr;
    ClSerialInitFn init_ = nullptr;
    ClSerialReadFn read_ = nullptr;
    ClSerialWriteFn write_ = nullptr;
    ClSerialCloseFn close_ = nullptr;
    void* serialRef_ = nullptr;
    unsigned long serialIndex_ = 0;
};

// The paths tried for a library file name, in order: the name as given, then for a ".dll" name
// <stem>.so and lib<stem>.so; a bare name first in `executableDir`, then through the dynamic
// linker's search path. A name with a directory part is tried only as it is.
std::vector<std::string> LibraryCandidates(const std::string& fileName,
                                           const std::string& executableDir);

// The directory of the running executable ("" when unknown).
std::string ExecutableDirectory();

}  // namespace tavin
