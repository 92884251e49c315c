// A tiny Camera Link serial library for the end-to-end tests: a camera that accepts every ENQ
// and message and answers a read message with the value 0x0123. It never waits: what it has
// not got to deliver makes a short read, which is how a library reports a time-out.
#include <cstring>
#include <deque>

namespace {

struct Channel {
    std::deque<char> toHost;
    bool inMessage = false;
    int checksumLeft = 0;
    char text[32] = {};
    int textLength = 0;
};

Channel g_channel;

void Answer(const char* bytes, size_t count) {
    g_channel.toHost.insert(g_channel.toHost.end(), bytes, bytes + count);
}

void Take(char byte) {
    Channel& c = g_channel;
    if (c.checksumLeft > 0) {
        if (--c.checksumLeft == 0) {
            Answer("\x06", 1);
            if (c.textLength >= 6 && std::strncmp(c.text + 4, "03", 2) == 0) {
                Answer(
                    "\x02"
                    "012300"
                    "\x03"
                    "D4",
                    10);
            }
        }
    } else if (c.inMessage) {
        if (byte == 0x03) {
            c.inMessage = false;
            c.checksumLeft = 2;
        } else if (c.textLength < 31) {
            c.text[c.textLength++] = byte;
        }
    } else if (byte == 0x05) {
        Answer("\x06", 1);
    } else if (byte == 0x02) {
        c.inMessage = true;
        c.textLength = 0;
    }
}

bool Valid(void* serialRef) {
    return serialRef == &g_channel;
}

}  // namespace

extern "C" {

int clSerialInit(unsigned long serialIndex, void** serialRef) {
    if (serialIndex != 0) {
        return -1;
    }
    g_channel = Channel{};
    *serialRef = &g_channel;
    return 0;
}

int clSerialWrite(void* serialRef, char* buffer, unsigned long* count, unsigned long) {
    if (!Valid(serialRef)) {
        *count = 0;
        return -1;
    }
    for (unsigned long i = 0; i < *count; ++i) {
        Take(buffer[i]);
    }
    return 0;
}

int clSerialRead(void* serialRef, char* buffer, unsigned long* count, unsigned long) {
    unsigned long moved = 0;
    while (Valid(serialRef) && moved < *count && !g_channel.toHost.empty()) {
        buffer[moved++] = g_channel.toHost.front();
        g_channel.toHost.pop_front();
    }
    const bool complete = moved == *count;
    *count = moved;
    return complete ? 0 : -1;
}

#ifndef TEST_LIBRARY_WITHOUT_CLOSE
int clSerialClose(void* serialRef) {
    return Valid(serialRef) ? 0 : -1;
}
#endif
}
