// Feeds arbitrary bytes to the data-file reader. Besides crashes and sanitizer reports it
// traps when a decode breaks one of the reader's promises:
//  - a file that is not complete and ours stores nothing;
//  - a complete file's values re-encode to a file that decodes to the same values, and when
//    the input used our own (one-byte) header form, to the input's first 208 bytes exactly.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "CameraItemStore.h"
#include "DataFileCodec.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace tavin;
    const std::span<const uint8_t> bytes(data, size);

    const DataFileResult decoded = DecodeDataFile(bytes);
    Check((decoded.status == DataFileStatus::Empty) == (size == 0));

    CameraItemStore store;
    const DataFileBytes before = SaveDataFile(store);
    const DataFileResult loaded = LoadDataFile(bytes, store);
    Check(loaded.status == decoded.status && loaded.values == decoded.values);

    if (decoded.status != DataFileStatus::Loaded) {
        Check(SaveDataFile(store) == before);
        Check(decoded.values == DataFileValues{});
        return 0;
    }

    const DataFileBytes encoded = EncodeDataFile(decoded.values);
    const DataFileResult again = DecodeDataFile(encoded);
    Check(again.status == DataFileStatus::Loaded && again.values == decoded.values);
    if (data[0] == kDataFileHeader.size()) {
        Check(size >= encoded.size() && std::memcmp(encoded.data(), data, encoded.size()) == 0);
    }
    return 0;
}
