#include "LineSettingsText.h"

namespace tavin::sim {

long LineBaud(const termios& tio) {
    const speed_t code = cfgetospeed(&tio);
    static constexpr struct {
        speed_t code;
        long baud;
    } kSpeeds[] = {{B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
                   {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    for (const auto& speed : kSpeeds) {
        if (speed.code == code) {
            return speed.baud;
        }
    }
    return 0;
}

std::string LineSettingsText(const termios& tio) {
    static constexpr char kSizes[] = {'5', '6', '7', '8'};
    const tcflag_t size = tio.c_cflag & CSIZE;
    const char bits = kSizes[size == CS5 ? 0 : size == CS6 ? 1 : size == CS7 ? 2 : 3];
    char parity = 'N';
    if (tio.c_cflag & PARENB) {
        const bool odd = (tio.c_cflag & PARODD) != 0;
        parity = (tio.c_cflag & CMSPAR) ? (odd ? 'M' : 'S') : (odd ? 'O' : 'E');
    }
    std::string text =
        std::to_string(LineBaud(tio)) + ' ' + bits + parity + ((tio.c_cflag & CSTOPB) ? '2' : '1');
    if (tio.c_cflag & CRTSCTS) {
        text += " RTS/CTS";
    }
    if (tio.c_iflag & (IXON | IXOFF)) {
        text += " XON/XOFF";
    }
    return text;
}

}  // namespace tavin::sim
