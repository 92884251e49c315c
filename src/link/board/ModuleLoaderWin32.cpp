// Run-time loading of libraries on Windows (LoadLibraryA / GetProcAddress).
#include <windows.h>

#include <algorithm>

#include "CameraLinkLibrary.h"
#include "ModuleLoader.h"

namespace tavin {

namespace {

class Win32ModuleLoader final : public ModuleLoader {
  public:
    void* Load(const std::string& path) override {
        // The search for candidates joins directories with '/', which the loader does not
        // promise to accept in a path.
        std::string native = path;
        std::replace(native.begin(), native.end(), '/', '\\');
        return reinterpret_cast<void*>(LoadLibraryA(native.c_str()));
    }

    void* FindSymbol(void* module, const char* name) override {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
    }

    void Unload(void* module) override { FreeLibrary(static_cast<HMODULE>(module)); }
};

}  // namespace

ModuleLoader& SystemModuleLoader() {
    static Win32ModuleLoader loader;
    return loader;
}

std::string ExecutableDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};  // unknown, or cut short: no directory is better than a wrong one
    }
    const std::string exe(path, length);
    const size_t separator = exe.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : exe.substr(0, separator);
}

}  // namespace tavin
