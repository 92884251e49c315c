#include "Ser2netServer.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "Loopback.h"

namespace tavin::testing {

std::string Ser2netServer::Program() {
    for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/sbin/ser2net"}) {
        if (::access(path, X_OK) == 0) {
            return path;
        }
    }
    return "";
}

Ser2netServer::Ser2netServer(const std::string& program,
                             const std::vector<Connection>& connections) {
    static int serial = 0;
    config_ =
        (std::filesystem::temp_directory_path() /
         ("tavin-ser2net-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".yaml"))
            .string();
    std::ofstream config(config_);
    config << "%YAML 1.1\n---\n";
    for (const Connection& connection : connections) {
        ports_.push_back(FreeLoopbackPort());
        config << "connection: &c" << ports_.back() << "\n    accepter: " << connection.accepter
               << ",127.0.0.1," << ports_.back() << "\n    connector: serialdev,"
               << connection.device << ',' << connection.line << ",local\n"
               << "    options:\n      mdns: false\n"
               << (connection.immediate ? "      chardelay: false\n" : "");
    }
    config.close();
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "-n", "-d", "-c", config_});
    // ser2net tells nobody when it listens; try until it does.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (const int port : ports_) {
        while (!LoopbackAccepts(port)) {
            if (std::chrono::steady_clock::now() > deadline) {
                const std::string output = process_->Output();
                process_.reset();
                std::filesystem::remove(config_);
                throw std::runtime_error("ser2net did not start listening: " + output);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

Ser2netServer::~Ser2netServer() {
    process_.reset();
    std::filesystem::remove(config_);
}

std::string Ser2netServer::Address(const std::string& scheme, size_t index) const {
    return scheme + "://127.0.0.1:" + std::to_string(Port(index));
}

}  // namespace tavin::testing
