#include "Ser2netServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "Loopback.h"

extern char** environ;

namespace tavin::bench {

namespace {

const char* const kPaths[] = {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"};

std::string Program() {
    for (const char* path : kPaths) {
        if (::access(path, X_OK) == 0) {
            return path;
        }
    }
    return "";
}

}  // namespace

bool Ser2netServer::Available() {
    return !Program().empty();
}

Ser2netServer::Ser2netServer(const std::string& device) {
    const std::string program = Program();
    if (program.empty()) {
        throw std::runtime_error("ser2net is not installed");
    }
    const int port = testing::FreeLoopbackPort();
    config_ = (std::filesystem::temp_directory_path() /
               ("tavin-bench-ser2net-" + std::to_string(::getpid()) + ".yaml"))
                  .string();
    // The camera's frames are a few bytes each way and every one is answered before the next:
    // ser2net must pass them on at once (no chardelay batching, no Nagle on its socket).
    std::ofstream(config_) << "%YAML 1.1\n---\nconnection: &camera\n"
                           << "    accepter: telnet(rfc2217),tcp(nodelay),127.0.0.1," << port
                           << "\n"
                           << "    connector: serialdev," << device << ",19200n82,local\n"
                           << "    options:\n      mdns: false\n      chardelay: false\n";
    std::vector<std::string> args{program, "-n", "-d", "-c", config_};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned =
        posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program);
    }
    // ser2net tells nobody when it listens; try until it does.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!testing::LoopbackAccepts(port)) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            std::remove(config_.c_str());
            throw std::runtime_error("ser2net did not start listening");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    address_ = "rfc2217://127.0.0.1:" + std::to_string(port);
}

Ser2netServer::~Ser2netServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    std::remove(config_.c_str());
}

}  // namespace tavin::bench
