#include "LinkList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>

#include "LinkTarget.h"

namespace tavin::ctl {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string DefaultName(const LinkOptions& link) {
    if (!link.library.empty()) {
        return link.library + (link.serialIndex ? "#" + std::to_string(link.serialIndex) : "");
    }
    return link.device.empty() ? "COM" + std::to_string(link.port) : link.device;
}

// The whole file, or "" with the reason in `error`.
std::string ReadWhole(const std::string& path, std::string& error) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               std::fclose);
    std::string text;
    if (file) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
            text.append(buffer, n);
        }
    }
    if (!file || std::ferror(file.get())) {
        error = "cannot read the links file " + path + ": " + std::strerror(errno);
    }
    return text;
}

// How a link came to be, for messages about it: "FILE:LINE" or the option.
std::string Where(const LinkOptions& link) {
    return link.origin.empty() ? DefaultName(link) : link.origin;
}

}  // namespace

std::string ReadLinkList(const std::string& path, int baudRate, std::vector<LinkOptions>& links) {
    std::string error;
    std::string text = ReadWhole(path, error);
    if (!error.empty()) {
        return error;
    }
    if (text.starts_with(kByteOrderMark)) {
        text.erase(0, kByteOrderMark.size());  // an editor's mark, not part of the first name
    }
    const size_t before = links.size();
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;) {
            fields.push_back(word);
        }
        if (fields.empty()) {
            continue;
        }
        const std::string where = path + ":" + std::to_string(number);
        if (fields.size() > 2) {
            return where + ": expected an optional name and one link, found " +
                   std::to_string(fields.size()) + " words (one link a line)";
        }
        const auto target = ParseLinkTarget(fields.back(), true, error);
        if (!target) {
            return where + ": " + error +
                   (fields.size() == 1 ? " (a name needs a link after it)" : "");
        }
        if (fields.size() == 2) {
            // "/dev/ttyUSB0 /dev/ttyUSB1" is two links run together, not a name and a link.
            std::string ignored;
            if (ParseLinkTarget(fields.front(), true, ignored)) {
                return where + ": '" + fields.front() +
                       "' is a link, not a name; give one link a line: [NAME] LINK";
            }
        }
        LinkOptions link;
        link.baudRate = baudRate;
        link.origin = where;
        switch (target->kind) {
            case LinkTarget::Kind::kLibrary:
                link.library = target->value;
                break;
            case LinkTarget::Kind::kComPort:
                link.port = target->port;
                break;
            default:
                link.device = target->value;
        }
        if (fields.size() == 2) {
            link.name = fields.front();
        }
        links.push_back(std::move(link));
    }
    if (links.size() == before) {
        return "the links file " + path + " names no link";
    }
    return "";
}

std::string FinishLinkList(std::vector<LinkOptions>& links) {
    std::map<std::string, unsigned> librarySeen;
    std::map<std::string, const LinkOptions*> names;
    std::map<std::string, const LinkOptions*> devices;
    for (LinkOptions& link : links) {
        if (!link.library.empty()) {
            link.serialIndex = librarySeen[link.library]++;
        }
        if (link.name.empty()) {
            link.name = DefaultName(link);
        }
        // Names also name data files, so they must differ as file names too.
        if (const auto [named, fresh] = names.emplace(FileNameOf(link.name), &link); !fresh) {
            return Where(link) + ": two links are named " + link.name + " (also " +
                   Where(*named->second) + "); give each its own name";
        }
        // Two processes on one line would garble each other's frames, or one would find the
        // port held and fail for no fault of the camera.
        const std::string device = DeviceIdentity(link);
        if (device.empty()) {
            continue;
        }
        if (const auto [other, fresh] = devices.emplace(device, &link); !fresh) {
            return Where(link) + ": " + link.name + " reaches the same device as " +
                   other->second->name + " (" + Where(*other->second) + "): " + device;
        }
    }
    return "";
}

std::string FileNameOf(const std::string& linkName) {
    std::string name;
    for (const char c : linkName) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    const size_t start = name.find_first_not_of("_.");
    return start == std::string::npos ? "link" : name.substr(start);
}

}  // namespace tavin::ctl
