// dump and diff: data files read and compared without a camera.
#include <vector>

#include "Commands.h"
#include "DataFileIo.h"
#include "Report.h"

namespace tavin::ctl {

int RunDump(const CtlOptions& options, Streams io) {
    const FileReadResult file = ReadDataFileAt(options.operands[0]);
    if (!file.ok) {
        io.err << file.error << '\n';
        return kFailure;
    }
    std::vector<ItemRow> rows;
    for (int index = 0; index < kCameraItemCount; ++index) {
        rows.push_back(RowFromCamera(index, file.values[index]));
    }
    options.json ? PrintItemJson(io.out, rows) : PrintItemTable(io.out, rows);
    return kSuccess;
}

int RunDiff(const CtlOptions& options, Streams io) {
    const std::string& pathA = options.operands[0];
    const std::string& pathB = options.operands[1];
    const FileReadResult a = ReadDataFileAt(pathA);
    const FileReadResult b = ReadDataFileAt(pathB);
    bool readable = true;
    for (const FileReadResult* file : {&a, &b}) {
        if (!file->ok) {
            io.err << file->error << '\n';
            readable = false;
        }
    }
    if (!readable) {
        return kUsageError;
    }
    // Compare what each file would put into the camera, its program form: two spellings of one
    // setting (the two zeros of a sign-magnitude item) are no difference.
    std::vector<DiffRow> rows;
    for (int index = 0; index < kCameraItemCount; ++index) {
        const DiffRow row{RowFromCamera(index, a.values[index]),
                          RowFromCamera(index, b.values[index])};
        if (row.a.program != row.b.program) {
            rows.push_back(row);
        }
    }
    if (options.json) {
        PrintDiffJson(io.out, pathA, pathB, rows);
    } else if (!rows.empty()) {
        PrintDiffTable(io.out, pathA, pathB, rows);
    }
    return rows.empty() ? kSuccess : kFailure;
}

}  // namespace tavin::ctl
