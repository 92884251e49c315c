// The port maps on Linux: INI files in the form Qt's settings write, read and edited here line by
// line (tavinctl has no Qt), leaving everything else in them as it was.
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "PortMap.h"

#include "Edition.h"
#include "StringIds.h"
#include "StringTable.h"

namespace tavin {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSection = "[Ports]";
constexpr int32_t kHighestPort = 10;
// Every user's map; TAVIN_SYSTEM_PORT_MAP names another file, to try a map before it is
// installed.
constexpr const char* kSystemMapFile = "/etc/tavin/ports.conf";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The user's home: HOME, else what the user database says (a service started without HOME);
// "" when neither names one. "/" is no home: it is what a service's made-up user gets.
std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        passwd entry{};
        passwd* found = nullptr;
        std::vector<char> buffer(16384);
        if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_dir) {
            home = found->pw_dir;
        }
    }
    return fs::path(home).is_absolute() && fs::path(home) != fs::path("/") ? home : "";
}

// The folder the user's settings go in, as Qt finds it: XDG_CONFIG_HOME (when absolute), else
// the home's .config; "" without a home.
std::string UserConfigFolder() {
    if (const std::string config = Environment("XDG_CONFIG_HOME"); fs::path(config).is_absolute()) {
        return config;
    }
    const std::string home = HomeFolder();
    return home.empty() ? "" : home + "/.config";
}

std::string MapFile(PortMapScope scope) {
    if (scope == PortMapScope::kSystem) {
        const std::string file = Environment("TAVIN_SYSTEM_PORT_MAP");
        return file.empty() ? kSystemMapFile : file;
    }
    const std::string folder = UserConfigFolder();
    if (folder.empty()) {
        return "";
    }
    const std::string company(LoadText(string_id::kCompany, EditionKind::Morva7E));
    const std::string title(LoadText(string_id::kAppTitle, EditionKind::Morva7E));
    return folder + "/" + company + "/" + title + ".conf";
}

// Makes the folder of the user's map, but only below a home or the settings folder the user
// named: never anywhere else, however the environment is set. "" or the reason.
std::string MakeUserMapFolder(const fs::path& file) {
    const bool named = fs::path(Environment("XDG_CONFIG_HOME")).is_absolute();
    const fs::path home = HomeFolder();
    std::error_code ec;
    if (!named && !fs::is_directory(home, ec)) {
        return "the home folder " + home.string() + " does not exist";
    }
    fs::create_directories(file.parent_path(), ec);
    return ec ? "cannot make " + file.parent_path().string() + ": " + ec.message() : "";
}

std::string Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return "";
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// A value as Qt writes it: bare, or in quotes with backslash escapes when it holds characters
// that would otherwise mean something in the file.
std::string DecodeValue(const std::string& raw) {
    std::string value;
    bool quoted = false;
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\\' && i + 1 < raw.size()) {
            const char next = raw[++i];
            value += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else if (c == ';' && !quoted) {
            break;  // a comment
        } else {
            value += c;
        }
    }
    return Trim(value);
}

std::string EncodeValue(const std::string& value) {
    if (value.find_first_of("\"\\;,= \t") == std::string::npos && !value.starts_with('@')) {
        return value;
    }
    std::string encoded = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            encoded += '\\';
        }
        encoded += c;
    }
    return encoded + "\"";
}

// "COM<n>" as a port number, or 0.
int32_t PortOfKey(const std::string& key) {
    if (key.size() < 4 || key.compare(0, 3, "COM") != 0 ||
        key.find_first_not_of("0123456789", 3) != std::string::npos || key.size() > 5) {
        return 0;
    }
    const int32_t port = std::stoi(key.substr(3));
    return port >= 1 && port <= kHighestPort ? port : 0;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool IsSectionLine(const std::string& line) {
    return Trim(line).starts_with('[');
}

}  // namespace

std::string PortMapLocation(PortMapScope scope) {
    return MapFile(scope);
}

std::map<int32_t, std::string> ReadPortMap(PortMapScope scope) {
    std::map<int32_t, std::string> map;
    const std::string path = MapFile(scope);
    if (path.empty()) {
        return map;
    }
    bool inSection = false;
    for (const std::string& line : ReadLines(path)) {
        if (IsSectionLine(line)) {
            inSection = Trim(line) == kSection;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string::npos) {
            continue;
        }
        const int32_t port = PortOfKey(Trim(line.substr(0, equals)));
        std::string device = DecodeValue(line.substr(equals + 1));
        if (port != 0 && !device.empty()) {
            map[port] = std::move(device);
        }
    }
    return map;
}

bool WritePortMapEntry(int32_t portNumber, const std::string& device, std::string& error,
                       PortMapScope scope) {
    const std::string path = MapFile(scope);
    if (path.empty()) {
        error =
            "this user has no home folder to keep a port map in (HOME is not set, or is /); "
            "map the port for every user in " +
            MapFile(PortMapScope::kSystem) + " instead";
        return false;
    }
    std::error_code ec;
    if (scope == PortMapScope::kSystem && !fs::is_directory(fs::path(path).parent_path(), ec)) {
        error = "the folder of " + path + " does not exist (installing the package makes it)";
        return false;
    }
    const std::string key = "COM" + std::to_string(portNumber);
    std::vector<std::string> lines = ReadLines(path);
    std::vector<std::string> result;
    bool inSection = false;
    bool sectionSeen = false;
    bool written = false;
    const auto writeEntry = [&] {
        if (!written && !device.empty()) {
            result.push_back(key + "=" + EncodeValue(device));
        }
        written = true;
    };
    for (const std::string& line : lines) {
        if (IsSectionLine(line)) {
            if (inSection) {
                writeEntry();
            }
            inSection = Trim(line) == kSection;
            sectionSeen = sectionSeen || inSection;
        } else if (inSection) {
            const size_t equals = line.find('=');
            if (equals != std::string::npos && Trim(line.substr(0, equals)) == key) {
                writeEntry();  // in place of the old entry
                continue;
            }
            if (Trim(line).empty()) {
                writeEntry();  // before the blank line that ends the section
            }
        }
        result.push_back(line);
    }
    if (!sectionSeen && !device.empty()) {
        if (!result.empty() && !Trim(result.back()).empty()) {
            result.emplace_back();
        }
        result.emplace_back(kSection);
    }
    writeEntry();

    if (scope == PortMapScope::kUser) {
        if (error = MakeUserMapFolder(path); !error.empty()) {
            return false;
        }
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const std::string& line : result) {
            out << line << '\n';
        }
        if (!out.flush()) {
            error = "cannot write " + temporary;
            return false;
        }
    }
    if (scope == PortMapScope::kSystem) {
        // Read by every user, the restore unit's made-up one too, whatever root's umask is.
        fs::permissions(temporary,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read,
                        ec);
    }
    // The whole file or none of it: a program reading it meanwhile sees the old one.
    fs::rename(temporary, path, ec);
    if (ec) {
        error = "cannot replace " + path + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace tavin
