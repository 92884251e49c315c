#include "FakeCameraLinkLibrary.h"

#include <algorithm>
#include <cstring>

#include "CameraLinkApi.h"
#include "CameraLinkLibrary.h"

namespace tavin::testing {

namespace {

FakeCameraLinkLibrary* g_library = nullptr;

extern "C" int FakeInit(unsigned long serialIndex, void** serialRef) {
    return g_library ? g_library->Init(serialIndex, serialRef) : -1;
}
extern "C" int FakeRead(void* serialRef, char* buffer, unsigned long* count,
                        unsigned long timeoutMs) {
    return g_library ? g_library->Read(serialRef, buffer, count, timeoutMs) : -1;
}
extern "C" int FakeWrite(void* serialRef, char* buffer, unsigned long* count,
                         unsigned long timeoutMs) {
    return g_library ? g_library->Write(serialRef, buffer, count, timeoutMs) : -1;
}
extern "C" int FakeClose(void* serialRef) {
    return g_library ? g_library->Close(serialRef) : -1;
}

}  // namespace

FakeCameraLinkLibrary::FakeCameraLinkLibrary(FakeLine& line)
    : line_(line), previous_(InstallModuleLoader(this)) {
    g_library = this;
}

FakeCameraLinkLibrary::~FakeCameraLinkLibrary() {
    // The binding is process-wide: leave no link behind that points into this object.
    CameraLinkLibrary::Instance().CloseLink();
    g_library = nullptr;
    InstallModuleLoader(previous_);
}

void* FakeCameraLinkLibrary::Load(const std::string& path) {
    triedPaths.push_back(path);
    if (files.count(path) == 0) {
        return nullptr;
    }
    ++loadCount;
    return &moduleToken_;
}

void* FakeCameraLinkLibrary::FindSymbol(void*, const char* name) {
    if (missingEntryPoints.count(name) != 0) {
        return nullptr;
    }
    if (std::strcmp(name, kClSerialInitName) == 0)
        return reinterpret_cast<void*>(&FakeInit);
    if (std::strcmp(name, kClSerialReadName) == 0)
        return reinterpret_cast<void*>(&FakeRead);
    if (std::strcmp(name, kClSerialWriteName) == 0)
        return reinterpret_cast<void*>(&FakeWrite);
    if (std::strcmp(name, kClSerialCloseName) == 0)
        return reinterpret_cast<void*>(&FakeClose);
    return nullptr;
}

void FakeCameraLinkLibrary::Unload(void*) {
    ++unloadCount;
}

void FakeCameraLinkLibrary::CheckReference(void* serialRef) {
    if (serialRef != Reference()) {
        foreignReference = true;
    }
}

int FakeCameraLinkLibrary::Init(unsigned long, void** serialRef) {
    ++initCount;
    if (initResult != 0) {
        *serialRef = &moduleToken_;  // a failing library may leave rubbish behind
        return initResult;
    }
    *serialRef = Reference();
    return 0;
}

int FakeCameraLinkLibrary::Read(void* serialRef, char* buffer, unsigned long* count,
                                unsigned long timeoutMs) {
    CheckReference(serialRef);
    readTimeouts.push_back(timeoutMs);
    const auto wanted = static_cast<int32_t>(*count);
    const uint64_t deadline = line_.Clock().NowMs() + timeoutMs;
    int32_t got = 0;
    for (;;) {
        got += line_.TakeArrived(reinterpret_cast<uint8_t*>(buffer) + got, wanted - got);
        const uint64_t now = line_.Clock().NowMs();
        if (got == wanted || now >= deadline) {
            break;
        }
        line_.WaitArrival(static_cast<int32_t>(deadline - now));
    }
    *count = static_cast<unsigned long>(got);
    return got == wanted ? 0 : -1;
}

int FakeCameraLinkLibrary::Write(void* serialRef, char* buffer, unsigned long* count,
                                 unsigned long) {
    CheckReference(serialRef);
    if (writeFails) {
        *count = 0;
        return -1;
    }
    if (writeTakes >= 0) {
        *count = std::min(*count, static_cast<unsigned long>(writeTakes));
    }
    line_.HostSends(reinterpret_cast<const uint8_t*>(buffer), *count);
    return 0;
}

int FakeCameraLinkLibrary::Close(void* serialRef) {
    CheckReference(serialRef);
    ++closeCount;
    return 0;
}

}  // namespace tavin::testing
