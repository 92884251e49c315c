#include "ModuleLoader.h"

namespace tavin {

namespace {
ModuleLoader* g_installed = nullptr;
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
