// Ports in use on Linux: /proc/consoles, /proc/PID/fd, and the UUCP lock files that terminal
// programs (minicom, picocom) and modem tools still take.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "PortUse.h"

namespace tavin::ctl {

namespace {

namespace fs = std::filesystem;

// A pseudo-terminal's device end: major 136 to 143, its index spread over the minors.
constexpr unsigned kFirstPtsMajor = 136;
constexpr unsigned kLastPtsMajor = 143;

bool IsPtsDevice(unsigned major) {
    return major >= kFirstPtsMajor && major <= kLastPtsMajor;
}

unsigned PtsIndex(unsigned major, unsigned minor) {
    return (major - kFirstPtsMajor) * 256 + minor;
}

std::string ReadSmallFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The pseudo-terminals whose other end (the ptmx side) process `pid` holds, by index.
std::set<unsigned> HeldPtyMasters(const fs::path& process, const std::vector<std::string>& fds) {
    std::set<unsigned> indices;
    for (const std::string& fd : fds) {
        const std::string info = ReadSmallFile(process / "fdinfo" / fd);
        const size_t at = info.find("tty-index:");
        unsigned index = 0;
        if (at != std::string::npos &&
            std::sscanf(info.c_str() + at, "tty-index: %u", &index) == 1) {
            indices.insert(index);
        }
    }
    return indices;
}

std::string CommandOf(const fs::path& process) {
    std::string name = ReadSmallFile(process / "comm");
    while (!name.empty() && name.back() == '\n') {
        name.pop_back();
    }
    for (char& c : name) {
        c = static_cast<unsigned char>(c) < 0x20 ? '?' : c;  // a name is any bytes
    }
    return name;
}

// The character devices other processes have open, each with the first process seen holding
// it. A process that holds both ends of a pseudo-terminal serves it (a simulated camera, a
// socat bridge) and is not counted as its user.
std::map<std::pair<unsigned, unsigned>, std::string> OpenDevices() {
    std::map<std::pair<unsigned, unsigned>, std::string> open;
    const std::string self = std::to_string(::getpid());
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) {
            continue;
        }
        std::vector<std::string> ptmxFds;
        std::vector<std::pair<std::pair<unsigned, unsigned>, std::string>> devices;
        std::error_code listError;  // another user's process: not ours to see
        for (const auto& fd : fs::directory_iterator(entry.path() / "fd", listError)) {
            struct stat info {};
            if (::stat(fd.path().c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
                continue;
            }
            const unsigned major = ::major(info.st_rdev);
            const unsigned minor = ::minor(info.st_rdev);
            if (major == 5 && minor == 2) {  // /dev/ptmx
                ptmxFds.push_back(fd.path().filename().string());
            } else {
                devices.push_back({{major, minor}, fd.path().filename().string()});
            }
        }
        const std::set<unsigned> served = HeldPtyMasters(entry.path(), ptmxFds);
        for (const auto& [number, fd] : devices) {
            if (IsPtsDevice(number.first) &&
                served.contains(PtsIndex(number.first, number.second))) {
                continue;
            }
            open.emplace(number, "open in process " + pid + " (" + CommandOf(entry.path()) + ")");
        }
    }
    return open;
}

bool IsAlive(int pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// A lock file holds the owner's process id, as ten ASCII digits or (from old programs) as a
// binary int.
int LockOwner(const std::string& content) {
    if (content.size() == sizeof(int) &&
        content.find_first_not_of("0123456789 \n") != std::string::npos) {
        int pid = 0;
        std::copy(content.begin(), content.end(), reinterpret_cast<char*>(&pid));
        return pid;
    }
    try {
        return std::stoi(content);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

std::vector<std::pair<unsigned, unsigned>> ParseConsoles(std::string_view text) {
    std::vector<std::pair<unsigned, unsigned>> devices;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const size_t colon = line.rfind(':');
        const size_t start = line.find_last_of(" \t", colon);
        unsigned major = 0;
        unsigned minor = 0;
        if (colon != std::string::npos && start != std::string::npos &&
            std::sscanf(line.c_str() + start + 1, "%u:%u", &major, &minor) == 2) {
            devices.emplace_back(major, minor);
        }
    }
    return devices;
}

int UucpLockHolder(const std::string& lockDir, const std::string& name, unsigned major,
                   unsigned minor, std::string* lockFile) {
    std::string flat = name;
    std::replace(flat.begin(), flat.end(), '/', '_');
    char svr4[32];
    std::snprintf(svr4, sizeof svr4, "LCK.%03u.%03u", major, minor);
    for (const std::string& file : {"LCK.." + flat, std::string(svr4)}) {
        const fs::path path = fs::path(lockDir) / file;
        const int pid = LockOwner(ReadSmallFile(path));
        if (pid != ::getpid() && IsAlive(pid)) {
            if (lockFile) {
                *lockFile = path.string();
            }
            return pid;
        }
    }
    return 0;
}

PortUsers PortUsers::Scan(const std::string& lockDir) {
    PortUsers users;
    users.consoles_ = ParseConsoles(ReadSmallFile("/proc/consoles"));
    users.openBy_ = OpenDevices();
    users.lockDir_ = lockDir;
    return users;
}

std::string PortUsers::UserOf(const std::string& device) const {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
        return "";  // not there, or no device: opening it will say so
    }
    const DeviceNumber number{::major(info.st_rdev), ::minor(info.st_rdev)};
    for (const DeviceNumber& console : consoles_) {
        if (console == number) {
            return "kernel console";
        }
    }
    if (const auto open = openBy_.find(number); open != openBy_.end()) {
        return open->second;
    }
    std::error_code ec;
    const std::string real = fs::canonical(device, ec).string();
    const std::string name = real.starts_with("/dev/") ? real.substr(5) : real;
    std::string lockFile;
    if (const int pid = UucpLockHolder(lockDir_, name, number.first, number.second, &lockFile)) {
        return "locked by process " + std::to_string(pid) + " (" + lockFile + ")";
    }
    return "";
}

}  // namespace tavin::ctl
