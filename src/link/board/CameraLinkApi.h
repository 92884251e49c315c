#pragma once

// The serial interface every Camera Link frame-grabber library exports: four plain C functions
// looked up by name. The serial reference is an opaque pointer owned by the library. Every
// function returns 0 on success. Counts are in and out: the bytes wanted on entry, the bytes
// moved on return.

extern "C" {
using ClSerialInitFn = int (*)(unsigned long serialIndex, void** serialRef);
using ClSerialReadFn = int (*)(void* serialRef, char* buffer, unsigned long* count,
                               unsigned long timeoutMs);
using ClSerialWriteFn = int (*)(void* serialRef, char* buffer, unsigned long* count,
                                unsigned long timeoutMs);
using ClSerialCloseFn = int (*)(void* serialRef);
}

namespace tavin {

inline constexpr const char* kClSerialInitName = "clSerialInit";
inline constexpr const char* kClSerialReadName = "clSerialRead";
inline constexpr const char* kClSerialWriteName = "clSerialWrite";
inline constexpr const char* kClSerialCloseName = "clSerialClose";

}  // namespace tavin
