#pragma once

// The Camera Link serial calls, as a board maker's library exports them, around an in-process
// simulated camera. Configured from the environment at clSerialInit:
//   CLSERSIM_STATE  a .tvn data file to start from (default: factory settings)
//   CLSERSIM_FAULT  a fault, as tavin-camsim --fault takes it
//   CLSERSIM_LOG    a file that receives the decoded protocol monitor
//   CLSERSIM_BAUD, CLSERSIM_TURNAROUND_MS  line pacing, as tavin-camsim --baud/--turnaround
//   CLSERSIM_CONTROL  a FIFO to make, which takes tavin-camsim's commands while the channel is
//                     open ("fault silent", "fault none", "hangup", ...); answers go to the log

extern "C" {

// Results besides 0 (success).
enum {
    kClSimBadArgument = -1,
    kClSimBadConfig = -2,  // the environment named an unreadable file or an unknown fault
    kClSimTimeOut = -3,    // fewer bytes than asked arrived within the time-out
    kClSimHungUp = -4,     // the camera closed the line
};

__attribute__((visibility("default"))) int clSerialInit(unsigned long serialIndex,
                                                        void** serialRef);
__attribute__((visibility("default"))) int clSerialRead(void* serialRef, char* buffer,
                                                        unsigned long* count,
                                                        unsigned long timeoutMs);
__attribute__((visibility("default"))) int clSerialWrite(void* serialRef, char* buffer,
                                                         unsigned long* count,
                                                         unsigned long timeoutMs);
__attribute__((visibility("default"))) void clSerialClose(void* serialRef);
}
