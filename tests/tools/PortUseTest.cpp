// Ports in use, as the kernel and the lock files tell it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "PortUse.h"

namespace tavin::ctl {
namespace {

TEST(PortUse, TheKernelsConsolesByDeviceNumber) {
    const auto consoles = ParseConsoles(
        "ttyS0                -W- (EC  p a)    4:64\n"
        "tty0                 -WU (E  p  )    4:1\n"
        "netcon0              -W- (E     )\n");
    EXPECT_EQ(consoles, (std::vector<std::pair<unsigned, unsigned>>{{4, 64}, {4, 1}}));
}

TEST(PortUse, UucpLocksOfLiveOtherProcessesOnly) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("lock-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const auto lock = [&](const std::string& name, const std::string& content) {
        std::ofstream(dir / name, std::ios::binary) << content;
    };
    const pid_t alive = ::getppid();
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ::waitpid(gone, nullptr, 0);

    lock("LCK..ttyUSB0", std::string(6, ' ') + std::to_string(alive) + "\n");
    std::string file;
    EXPECT_EQ(UucpLockHolder(dir, "ttyUSB0", 188, 0, &file), alive);
    EXPECT_EQ(file, (dir / "LCK..ttyUSB0").string());
    lock("LCK..pts_3", std::to_string(gone) + "\n");  // stale: its process is gone
    EXPECT_EQ(UucpLockHolder(dir, "pts/3", 136, 3), 0);
    lock("LCK..pts_3", std::to_string(::getpid()) + "\n");  // this process's own
    EXPECT_EQ(UucpLockHolder(dir, "pts/3", 136, 3), 0);
    const int binary = alive;
    lock("LCK.004.065", std::string(reinterpret_cast<const char*>(&binary), sizeof binary));
    EXPECT_EQ(UucpLockHolder(dir, "ttyS1", 4, 65), alive);
    EXPECT_EQ(UucpLockHolder(dir, "ttyS2", 4, 66), 0);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tavin::ctl
