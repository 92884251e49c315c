#include "LinkList.h"

#include <charconv>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace tavin::ctl {

namespace {

constexpr std::string_view kLibraryPrefix = "library:";

// "COM3" (any case) as port 3; 0 when the word is no COM port.
int ComPort(std::string_view word) {
    if (word.size() < 4 || (word.substr(0, 3) != "COM" && word.substr(0, 3) != "com")) {
        return 0;
    }
    int port = 0;
    const auto [end, error] = std::from_chars(word.data() + 3, word.data() + word.size(), port);
    return error == std::errc() && end == word.data() + word.size() && port >= 1 && port <= 10
               ? port
               : 0;
}

std::string DefaultName(const LinkOptions& link) {
    if (!link.library.empty()) {
        return link.library + (link.serialIndex ? "#" + std::to_string(link.serialIndex) : "");
    }
    return link.device.empty() ? "COM" + std::to_string(link.port) : link.device;
}

}  // namespace

std::string ReadLinkList(const std::string& path, int baudRate, std::vector<LinkOptions>& links) {
    std::ifstream file(path);
    if (!file) {
        return "cannot read the links file " + path;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;) {
            fields.push_back(word);
        }
        if (fields.empty()) {
            continue;
        }
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (fields.size() > 2) {
            return where + "expected an optional name and one link, found " +
                   std::to_string(fields.size()) + " words";
        }
        LinkOptions link;
        link.baudRate = baudRate;
        const std::string& target = fields.back();
        if (target.starts_with(kLibraryPrefix)) {
            link.library = target.substr(kLibraryPrefix.size());
            if (link.library.empty()) {
                return where + "library: takes the file name of a Camera Link serial library";
            }
        } else if (const int port = ComPort(target)) {
            link.port = port;
        } else {
            link.device = target;
        }
        if (fields.size() == 2) {
            link.name = fields.front();
        }
        links.push_back(std::move(link));
    }
    if (file.bad()) {
        return "cannot read the links file " + path;
    }
    return "";
}

std::string FinishLinkList(std::vector<LinkOptions>& links) {
    std::map<std::string, unsigned> librarySeen;
    std::set<std::string> names;
    for (LinkOptions& link : links) {
        if (!link.library.empty()) {
            link.serialIndex = librarySeen[link.library]++;
        }
        if (link.name.empty()) {
            link.name = DefaultName(link);
        }
        // Names also name data files, so they must differ as file names too.
        if (!names.insert(FileNameOf(link.name)).second) {
            return "two links are named " + link.name + "; give each its own name";
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
