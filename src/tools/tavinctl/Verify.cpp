#include "Verify.h"

#include <algorithm>
#include <vector>

#include "CameraDataSet.h"
#include "CameraSession.h"
#include "ItemSelector.h"
#include "Report.h"

namespace tavin::ctl {

int VerifyWrites(CameraDataSet& data, std::span<const SentItem> sent, const std::string& source,
                 bool json, Streams io) {
    std::vector<DiffRow> differences;
    std::vector<int> unverified;
    constexpr uint8_t kBoth = CameraItemDef::kWritable | CameraItemDef::kReadable;
    const auto total = std::count_if(sent.begin(), sent.end(), [](const SentItem& item) {
        return (GetItemDef(item.index).flags & kBoth) == kBoth;
    });
    Progress progress(io, "Verifying");
    int done = 0;
    for (const SentItem& item : sent) {
        const uint8_t flags = GetItemDef(item.index).flags;
        if (!(flags & CameraItemDef::kWritable)) {
            continue;  // only stored, never sent: nothing to verify
        }
        if (!(flags & CameraItemDef::kReadable)) {
            unverified.push_back(item.index);
            continue;
        }
        if (StopRequested(io, &progress, "reading back", done, static_cast<int>(total),
                          done ? "all were written; those after it were not read back"
                               : "all were written, none was read back")) {
            return StoppedStatus();
        }
        progress.Step(++done, static_cast<int>(total), item.index);
        if (data.ReadItem(item.index) < 0) {
            progress.Clear();
            ReportFailure(data, io.err,
                          "tavinctl: while reading back item " + DescribeItem(item.index));
            return kFailure;
        }
        // Compared as the camera's value read back into program form: two spellings of one
        // setting (the two zeros of a sign-magnitude item, a text typed in lower case) are no
        // difference.
        const int32_t sentCamera = ToCamera(item.index, item.value);
        const int32_t held = data.GetValue(item.index, false);
        if (held != FromCamera(item.index, sentCamera)) {
            differences.push_back({{item.index, item.value, sentCamera},
                                   {item.index, held, data.GetValue(item.index, true)}});
        }
    }
    progress.Clear();
    for (const int index : unverified) {
        io.err << "tavinctl: not verified: item " << DescribeItem(index)
               << " (the camera cannot read it back)\n";
    }
    if (json) {
        PrintDiffJson(io.out, source, "camera", differences);
    } else if (!differences.empty()) {
        PrintDiffTable(io.out, source, "camera", differences);
    }
    if (differences.empty()) {
        return kSuccess;
    }
    io.err << "tavinctl: " << differences.size() << " of " << done
           << " items read back differ from what was written\n";
    return kFailure;
}

}  // namespace tavin::ctl
