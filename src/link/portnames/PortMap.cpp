#include "PortMap.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "Edition.h"
#include "StringIds.h"
#include "StringTable.h"

namespace tavin {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSection = "[Ports]";
constexpr int32_t kHighestPort = 10;

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

std::string PortMapFile() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    }
    const std::string company(LoadText(string_id::kCompany, EditionKind::Morva7E));
    const std::string title(LoadText(string_id::kAppTitle, EditionKind::Morva7E));
    return base + "/" + company + "/" + title + ".conf";
}

std::map<int32_t, std::string> ReadPortMap() {
    std::map<int32_t, std::string> map;
    bool inSection = false;
    for (const std::string& line : ReadLines(PortMapFile())) {
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

std::string MappedDevice(int32_t portNumber) {
    const auto map = ReadPortMap();
    const auto entry = map.find(portNumber);
    return entry == map.end() ? "" : entry->second;
}

bool WritePortMapEntry(int32_t portNumber, const std::string& device, std::string& error) {
    const std::string path = PortMapFile();
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

    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
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
