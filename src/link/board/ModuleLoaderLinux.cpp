// Run-time loading of libraries on Linux (dlopen; the program's directory from /proc).
#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "CameraLinkLibrary.h"
#include "ModuleLoader.h"

namespace tavin {

namespace {

class DlopenModuleLoader final : public ModuleLoader {
  public:
    void* Load(const std::string& path) override {
        // Bind everything now: a library with an unresolved dependency must fail here, not in
        // the middle of a camera exchange.
        return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    void* FindSymbol(void* module, const char* name) override { return dlsym(module, name); }
    void Unload(void* module) override { dlclose(module); }
};

}  // namespace

ModuleLoader& SystemModuleLoader() {
    static DlopenModuleLoader loader;
    return loader;
}

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return {};
    }
    const std::string exe(path, static_cast<size_t>(length));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

}  // namespace tavin
