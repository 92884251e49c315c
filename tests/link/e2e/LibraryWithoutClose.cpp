// A Camera Link serial library that lacks clSerialClose, so the link must refuse to bind it.
extern "C" {

int clSerialInit(unsigned long, void** serialRef) {
    *serialRef = nullptr;
    return -1;
}

int clSerialRead(void*, char*, unsigned long* count, unsigned long) {
    *count = 0;
    return -1;
}

int clSerialWrite(void*, char*, unsigned long* count, unsigned long) {
    *count = 0;
    return -1;
}
}
