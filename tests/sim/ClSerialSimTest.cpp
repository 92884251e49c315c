#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "SimTestBytes.h"

namespace tavin::sim {
namespace {

using namespace std::chrono_literals;

std::string FrameText(const char* text) {
    const auto frame = test::Frame(text);
    return {frame.begin(), frame.end()};
}
using Clock = std::chrono::steady_clock;

// The library as a board maker's would be used: loaded at run time, bound by name.
class ClSerialLibrary {
  public:
    ClSerialLibrary() : handle_(dlopen(CLSERSIM_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (handle_) {
            init = reinterpret_cast<decltype(init)>(dlsym(handle_, "clSerialInit"));
            read = reinterpret_cast<decltype(read)>(dlsym(handle_, "clSerialRead"));
            write = reinterpret_cast<decltype(write)>(dlsym(handle_, "clSerialWrite"));
            close = reinterpret_cast<decltype(close)>(dlsym(handle_, "clSerialClose"));
        }
    }
    ~ClSerialLibrary() {
        if (handle_) {
            dlclose(handle_);
        }
    }

    int (*init)(unsigned long, void**) = nullptr;
    int (*read)(void*, char*, unsigned long*, unsigned long) = nullptr;
    int (*write)(void*, char*, unsigned long*, unsigned long) = nullptr;
    void (*close)(void*) = nullptr;

  private:
    void* handle_;
};

class ClSerialSim : public testing::Test {
  protected:
    void TearDown() override {
        if (ref_) {
            lib_.close(ref_);
        }
        for (const char* name :
             {"CLSERSIM_FAULT", "CLSERSIM_LOG", "CLSERSIM_STATE", "CLSERSIM_CONTROL"}) {
            unsetenv(name);
        }
    }
    void Open() {
        ASSERT_TRUE(lib_.init && lib_.read && lib_.write && lib_.close) << dlerror();
        ASSERT_EQ(lib_.init(0, &ref_), 0);
        ASSERT_NE(ref_, nullptr);
    }
    unsigned long Write(std::string bytes) {
        unsigned long count = bytes.size();
        lib_.write(ref_, bytes.data(), &count, 1000);
        return count;
    }
    std::string Read(unsigned long count, unsigned long timeoutMs, int* result = nullptr) {
        std::string bytes(count, '\0');
        const int r = lib_.read(ref_, bytes.data(), &count, timeoutMs);
        if (result) {
            *result = r;
        }
        bytes.resize(count);
        return bytes;
    }

    ClSerialLibrary lib_;
    void* ref_ = nullptr;
};

TEST_F(ClSerialSim, ReadsAnItemOfTheCameraLinkModel) {
    Open();
    EXPECT_EQ(Write("\x05"), 1u);
    EXPECT_EQ(Read(1, 1000), "\x06");
    // Item 0B of the Camera Link model leaves the factory at 0: reply "000000", checksum DA.
    EXPECT_EQ(Write(FrameText("01FF030B000000")), 18u);
    EXPECT_EQ(Read(11, 1000),
              "\x06\x02"
              "000000"
              "\x03"
              "DA");
}

TEST_F(ClSerialSim, ReadWaitsForTheTimeOutAndReturnsAShortCount) {
    Open();
    Write("\x05");
    const auto start = Clock::now();
    int result = 0;
    EXPECT_EQ(Read(3, 150, &result), "\x06");
    const auto waited = Clock::now() - start;
    EXPECT_NE(result, 0);
    EXPECT_GE(waited, 150ms);
    EXPECT_LT(waited, 400ms);
}

TEST_F(ClSerialSim, FaultAndLogComeFromTheEnvironment) {
    const std::string log =
        (std::filesystem::temp_directory_path() / ("clsersim-" + std::to_string(getpid())))
            .string();
    setenv("CLSERSIM_FAULT", "enq-nak", 1);
    setenv("CLSERSIM_LOG", log.c_str(), 1);
    Open();
    Write("\x05");
    EXPECT_EQ(Read(1, 1000), "\x15");
    lib_.close(ref_);
    ref_ = nullptr;
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_NE(line.find("host   ENQ  -> NAK (fault)"), std::string::npos) << line;
    std::filesystem::remove(log);
}

TEST_F(ClSerialSim, BadEnvironmentFailsTheInit) {
    for (const auto& [name, value] :
         {std::pair{"CLSERSIM_FAULT", "bogus"}, std::pair{"CLSERSIM_STATE", "/nonexistent/x.tvn"},
          std::pair{"CLSERSIM_CONTROL", "/nonexistent/ctl"}}) {
        SCOPED_TRACE(name);
        setenv(name, value, 1);
        void* ref = &ref;
        EXPECT_NE(lib_.init(0, &ref), 0);
        EXPECT_EQ(ref, nullptr);
        unsetenv(name);
    }
}

TEST_F(ClSerialSim, HangUpEndsReadsAtOnce) {
    setenv("CLSERSIM_FAULT", "hangup", 1);
    Open();
    Write("\x05");
    EXPECT_EQ(Read(1, 1000), "\x06");
    Write(FrameText("01FF030B000000"));
    const auto start = Clock::now();
    int result = 0;
    EXPECT_EQ(Read(1, 5000, &result), "");
    EXPECT_NE(result, 0);
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(Write("\x05"), 0u);
}

// The camera falls silent and comes back on cue, as tavin-camsim's does; answers go to the log.
TEST_F(ClSerialSim, TakesCommandsOnTheControlFifoWhileOpen) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("clsersim-ctl-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "ctl").string();
    const std::string log = (dir / "log").string();
    setenv("CLSERSIM_CONTROL", fifo.c_str(), 1);
    setenv("CLSERSIM_LOG", log.c_str(), 1);
    Open();
    ASSERT_TRUE(std::filesystem::is_fifo(fifo));
    std::ifstream answers(log);
    // The answer's line in the log, waited for up to two seconds.
    const auto command = [&](const std::string& line) {
        std::ofstream(fifo) << line << "\n";
        std::string text;
        for (const auto end = Clock::now() + 2s; Clock::now() < end;) {
            if (std::getline(answers, text)) {
                // The monitor's own lines start with the time.
                const auto first = text.find_first_not_of(' ');
                if (first == std::string::npos || !std::isdigit(uint8_t(text[first]))) {
                    return text;
                }
            } else {
                answers.clear();
                std::this_thread::sleep_for(5ms);
            }
        }
        return std::string("no answer");
    };

    EXPECT_EQ(command("fault silent"), "fault silent");
    Write("\x05");
    EXPECT_EQ(Read(1, 200), "") << "a silent camera answered";
    EXPECT_EQ(command("fault none"), "fault none");
    Write("\x05");
    EXPECT_EQ(Read(1, 1000), "\x06");
    EXPECT_EQ(command("status"), "status: fault none, line open, 2 bytes received, 1 sent");
    EXPECT_EQ(command("fault bogus"), "error: unknown fault \"bogus\"; known faults: see help");
    EXPECT_EQ(command("hangup"), "hung up");
    int result = 0;
    const auto start = Clock::now();
    EXPECT_EQ(Read(1, 5000, &result), "");
    EXPECT_NE(result, 0);
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(command("status"), "status: fault none, line closed, 2 bytes received, 1 sent");

    lib_.close(ref_);
    ref_ = nullptr;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(fifo)))
        << "FIFO left behind";
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tavin::sim
