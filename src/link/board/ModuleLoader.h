#pragma once

#include <string>

// Run-time loading of a shared library by file name and lookup of its functions by name. The
// system loader is dlopen; tests install a fake to drive the library path in virtual time.

namespace tavin {

class ModuleLoader {
  public:
    virtual ~ModuleLoader() = default;
    // A module handle, or nullptr when `path` cannot be loaded.
    virtual void* Load(const std::string& path) = 0;
    virtual void* FindSymbol(void* module, const char* name) = 0;
    virtual void Unload(void* module) = 0;
};

ModuleLoader& SystemModuleLoader();

// Installs `loader` (not owned) for the Camera Link library; nullptr restores the system one.
// Returns the previous one (nullptr for the system loader).
ModuleLoader* InstallModuleLoader(ModuleLoader* loader);
ModuleLoader& CurrentModuleLoader();

}  // namespace tavin
