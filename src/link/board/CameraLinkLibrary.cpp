#include "CameraLinkLibrary.h"

#include <algorithm>
#include <cctype>

#include "ModuleLoader.h"

namespace tavin {

namespace {

bool EndsWithDll(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".dll";
}

template <typename Fn>
Fn Bind(ModuleLoader& loader, void* module, const char* name) {
    return reinterpret_cast<Fn>(loader.FindSymbol(module, name));
}

}  // namespace

std::vector<std::string> LibraryCandidates(const std::string& fileName,
                                           const std::string& executableDir) {
    if (fileName.empty()) {
        return {};
    }
    if (fileName.find('/') != std::string::npos) {
        return {fileName};
    }
    std::vector<std::string> names{fileName};
    if (EndsWithDll(fileName)) {
        const std::string stem = fileName.substr(0, fileName.size() - 4);
        names.push_back(stem + ".so");
        names.push_back("lib" + stem + ".so");
    }
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        if (!executableDir.empty()) {
            paths.push_back(executableDir + "/" + name);
        }
        paths.push_back(name);
    }
    return paths;
}

CameraLinkLibrary& CameraLinkLibrary::Instance() {
    static CameraLinkLibrary library;
    return library;
}

CameraLinkLibrary::LoadResult CameraLinkLibrary::Load(const std::string& fileName) {
    ModuleLoader& loader = CurrentModuleLoader();
    void* module = nullptr;
    for (const std::string& path : LibraryCandidates(fileName, ExecutableDirectory())) {
        module = loader.Load(path);
        if (module) {
            break;
        }
    }
    if (!module) {
        return LoadResult::kNotFound;
    }
    auto init = Bind<ClSerialInitFn>(loader, module, kClSerialInitName);
    auto read = Bind<ClSerialReadFn>(loader, module, kClSerialReadName);
    auto write = Bind<ClSerialWriteFn>(loader, module, kClSerialWriteName);
    auto close = Bind<ClSerialCloseFn>(loader, module, kClSerialCloseName);
    if (!init || !read || !write || !close) {
        // Calling a missing entry point would crash; such a library is no Camera Link library.
        loader.Unload(module);
        return LoadResult::kMissingEntryPoint;
    }
    // An earlier module stays loaded: a link it opened may still be in use until CloseLink.
    module_ = module;
    init_ = init;
    read_ = read;
    write_ = write;
    close_ = close;
    return LoadResult::kLoaded;
}

int CameraLinkLibrary::Init() {
    if (!init_) {
        return -1;
    }
    void* reference = nullptr;
    const int result = init_(serialIndex_, &reference);
    serialRef_ = result == 0 ? reference : nullptr;
    return result;
}

void CameraLinkLibrary::CloseLink() {
    if (serialRef_) {
        close_(serialRef_);
        serialRef_ = nullptr;
    }
}

namespace {
int32_t Cut(unsigned long moved, int32_t count) {
    return static_cast<int32_t>(std::min<unsigned long>(moved, static_cast<unsigned long>(count)));
}
}  // namespace

CameraLinkLibrary::Transfer CameraLinkLibrary::Write(const uint8_t* bytes, int32_t count,
                                                     uint32_t timeoutMs) {
    unsigned long moved = static_cast<unsigned long>(count);
    // The interface takes a mutable buffer but only reads from it when writing.
    const int result =
        write_(serialRef_, reinterpret_cast<char*>(const_cast<uint8_t*>(bytes)), &moved, timeoutMs);
    return {Cut(moved, count), result};
}

CameraLinkLibrary::Transfer CameraLinkLibrary::Read(uint8_t* bytes, int32_t count,
                                                    uint32_t timeoutMs) {
    unsigned long moved = static_cast<unsigned long>(count);
    const int result = read_(serialRef_, reinterpret_cast<char*>(bytes), &moved, timeoutMs);
    return {Cut(moved, count), result};
}

}  // namespace tavin
