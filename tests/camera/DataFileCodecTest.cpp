#include "DataFileCodec.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "CameraItemStore.h"

namespace tavin {
namespace {

using Bytes = std::vector<uint8_t>;

// Camera-form defaults of items 0..45, as the default data file lists them.
constexpr int32_t kDefaultFileValues[kCameraItemCount] = {
    1,      0,      0,      0,      1,      0,      1,      0,      0,      25,     25,     0,
    0,      0,      5,      1,      0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4,
    0xE4E4, 0xE4E4, 0xE4E4, 0xE4E4, 1,      25,     0,      25,     100,    17,     81,     41,
    0x114,  0x10B,  0x117,  0x111,  0x1F7,  0x2A3,  229,    31,     0,      0,
};

void AppendLe(Bytes& out, uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

Bytes Ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Wide(std::string_view text) {
    Bytes out;
    for (char ch : text) {
        AppendLe(out, static_cast<uint8_t>(ch), 2);
    }
    return out;
}

Bytes DefaultValueBytes() {
    Bytes out;
    for (int32_t value : kDefaultFileValues) {
        AppendLe(out, static_cast<uint32_t>(value), 4);
    }
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Bytes DefaultFile() {
    return Concat({{0x17}, Ascii(kDataFileHeader), DefaultValueBytes()});
}

// A store whose every value differs from what any test file holds.
CameraItemStore MarkedStore() {
    CameraItemStore store;
    for (int index = 0; index < kCameraItemCount; ++index) {
        store.SetValue(index, -1000 - index, false);
    }
    return store;
}

void ExpectMarked(const CameraItemStore& store) {
    for (int index = 0; index < kCameraItemCount; ++index) {
        EXPECT_EQ(store.GetValue(index, false), -1000 - index) << index;
    }
}

TEST(DataFile, DefaultsSaveByteForByte) {
    const DataFileBytes saved = SaveDataFile(CameraItemStore());
    EXPECT_EQ(saved.size(), 208u);
    EXPECT_EQ(Bytes(saved.begin(), saved.end()), DefaultFile());
}

TEST(DataFile, DefaultFileLoadsBackInProgramForm) {
    CameraItemStore store = MarkedStore();
    const Bytes file = DefaultFile();
    const DataFileResult result = LoadDataFile(file, store);
    ASSERT_EQ(result.status, DataFileStatus::Loaded);
    EXPECT_EQ(store.GetValue(36, false), 235);
    EXPECT_EQ(store.GetValue(40, false), 247);
    EXPECT_EQ(store.GetValue(16, false), 0x7E7E);
    const CameraItemStore fresh;
    for (int index = 0; index < kCameraItemCount; ++index) {
        EXPECT_EQ(result.values[index], kDefaultFileValues[index]);
        EXPECT_EQ(store.GetValue(index, false), fresh.GetValue(index, false)) << index;
    }
}

TEST(DataFile, AnyValuesRoundTrip) {
    DataFileValues values;
    for (int index = 0; index < kCameraItemCount; ++index) {
        values[index] = index * 0x01020304 - 0x7654321;
    }
    values[0] = INT32_MIN;
    values[45] = INT32_MAX;
    values[7] = -1;
    const DataFileBytes bytes = EncodeDataFile(values);
    EXPECT_EQ(bytes[204], 0xFF);  // little-endian
    EXPECT_EQ(bytes[207], 0x7F);
    const DataFileResult result = DecodeDataFile(bytes);
    ASSERT_EQ(result.status, DataFileStatus::Loaded);
    EXPECT_EQ(result.values, values);
}

TEST(DataFile, EveryLengthPrefixFormIsAccepted) {
    const Bytes header = Ascii(kDataFileHeader);
    const Bytes wide = Wide(kDataFileHeader);
    struct Case {
        const char* name;
        Bytes head;
    };
    Bytes u16, u32, wide8, wide16, wide32;
    u16 = Concat({{0xFF, 0x17, 0x00}, header});
    u32 = Concat({{0xFF, 0xFF, 0xFF, 0x17, 0x00, 0x00, 0x00}, header});
    wide8 = Concat({{0xFF, 0xFE, 0xFF, 0x17}, wide});
    wide16 = Concat({{0xFF, 0xFE, 0xFF, 0xFF, 0x17, 0x00}, wide});
    wide32 = Concat({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x17, 0x00, 0x00, 0x00}, wide});
    const Case cases[] = {{"16-bit", u16},
                          {"32-bit", u32},
                          {"wide, 8-bit", wide8},
                          {"wide, 16-bit", wide16},
                          {"wide, 32-bit", wide32}};
    for (const Case& c : cases) {
        CameraItemStore store = MarkedStore();
        const DataFileResult result = LoadDataFile(Concat({c.head, DefaultValueBytes()}), store);
        EXPECT_EQ(result.status, DataFileStatus::Loaded) << c.name;
        EXPECT_EQ(store.GetValue(36, false), 235) << c.name;
        EXPECT_EQ(store.GetValue(45, false), 0) << c.name;
    }
}

TEST(DataFile, ForeignHeadersAreRefusedAndStoreNothing) {
    Bytes lastChar = Ascii(kDataFileHeader);
    lastChar.back() = '1';
    Bytes otherCase = Ascii("tavinx data version1.00");
    Bytes wideHigh = Wide(kDataFileHeader);
    wideHigh[0] = 'T';
    wideHigh[1] = 0x01;  // U+0154 must not narrow to 'T'
    const Bytes cases[] = {
        Concat({{0x17}, lastChar}),
        Concat({{0x17}, otherCase}),
        Concat({{0x16}, Ascii(kDataFileHeader.substr(0, 22))}),
        Concat({{0x18}, Ascii(kDataFileHeader), {' '}}),
        Bytes{0x00},
        Concat({{0xFF, 0xFE, 0xFF, 0x17}, wideHigh}),
        Concat({{0xFF, 0xFE, 0xFF, 0x17}, Ascii(kDataFileHeader), Ascii(kDataFileHeader)}),
    };
    for (const Bytes& head : cases) {
        CameraItemStore store = MarkedStore();
        const Bytes file = Concat({head, DefaultValueBytes()});
        EXPECT_EQ(LoadDataFile(file, store).status, DataFileStatus::HeaderMismatch)
            << "head of " << head.size() << " bytes";
        ExpectMarked(store);
    }
}

TEST(DataFile, FileEndingEarlyStoresNothing) {
    const Bytes file = DefaultFile();
    for (std::size_t size = 0; size < file.size(); ++size) {
        CameraItemStore store = MarkedStore();
        const DataFileResult result = LoadDataFile(std::span(file).first(size), store);
        EXPECT_EQ(result.status, size == 0 ? DataFileStatus::Empty : DataFileStatus::Truncated)
            << size;
        EXPECT_EQ(result.values, DataFileValues{}) << size;
        ExpectMarked(store);
    }
}

TEST(DataFile, WideHeaderEndingEarlyStoresNothing) {
    const Bytes file =
        Concat({{0xFF, 0xFE, 0xFF, 0xFF, 0x17, 0x00}, Wide(kDataFileHeader), DefaultValueBytes()});
    ASSERT_EQ(DecodeDataFile(file).status, DataFileStatus::Loaded);
    for (std::size_t size = 1; size < file.size(); ++size) {
        EXPECT_EQ(DecodeDataFile(std::span(file).first(size)).status, DataFileStatus::Truncated)
            << size;
    }
}

TEST(DataFile, HugeClaimedLengthsNeverReadPastTheEnd) {
    const Bytes cases[] = {
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},                    // 32-bit 0xFFFFFFFF
        {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80},                    // 32-bit 2 GiB
        {0xFF, 0xFD, 0xFF},                                            // 16-bit 0xFFFD
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // wide, 4 Gi chars
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF},  // a second marker is a length
        {0xFE},
    };
    for (const Bytes& head : cases) {
        // The values behind the prefix are far shorter than the claimed text.
        const Bytes file = Concat({head, Ascii(kDataFileHeader), DefaultValueBytes()});
        CameraItemStore store = MarkedStore();
        EXPECT_EQ(LoadDataFile(file, store).status, DataFileStatus::Truncated);
        ExpectMarked(store);
    }
}

TEST(DataFile, LongTextInsideALongFileIsAMismatch) {
    Bytes file = {0xFF, 0xE8, 0x03};  // 1000 characters
    file.resize(file.size() + 1000 + 184, 'T');
    EXPECT_EQ(DecodeDataFile(file).status, DataFileStatus::HeaderMismatch);
}

TEST(DataFile, BytesAfterTheLastValueAreIgnored) {
    Bytes file = DefaultFile();
    file.insert(file.end(), {1, 2, 3, 4, 5});
    EXPECT_EQ(DecodeDataFile(file).status, DataFileStatus::Loaded);
}

}  // namespace
}  // namespace tavin
