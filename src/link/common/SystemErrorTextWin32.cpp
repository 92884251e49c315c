#include "SystemErrorText.h"

#include <windows.h>

namespace tavin {

std::string SystemErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (!text) {
        return "error " + std::to_string(code);
    }
    const int wideLength = int(wcslen(text));
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    std::string message(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, wideLength, message.data(), length, nullptr, nullptr);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '\t')) {
        message.pop_back();
    }
    return message;
}

}  // namespace tavin
