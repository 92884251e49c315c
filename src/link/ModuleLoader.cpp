#include "ModuleLoader.h"

#include <dlfcn.h>

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

ModuleLoader* g_installed = nullptr;

}  // namespace

ModuleLoader& SystemModuleLoader() {
    static DlopenModuleLoader loader;
    return loader;
}

ModuleLoader* InstallModuleLoader(ModuleLoader* loader) {
    ModuleLoader* previous = g_installed;
    g_installed = loader;
    return previous;
}

ModuleLoader& CurrentModuleLoader() {
    return g_installed ? *g_installed : SystemModuleLoader();
}

}  // namespace tavin
