// The commands that talk to the camera: read, write, get, set, send and query.
#include <vector>

#include "CameraDataSet.h"
#include "CameraSession.h"
#include "Commands.h"
#include "DataFileIo.h"
#include "ItemSelector.h"
#include "Report.h"
#include "Verify.h"

namespace tavin::ctl {

namespace {

constexpr uint8_t kReadable = CameraItemDef::kReadable;

bool IsReadable(int index) {
    return (GetItemDef(index).flags & kReadable) != 0;
}

int CountReadable() {
    int count = 0;
    for (int index = 0; index < kCameraItemCount; ++index) {
        count += IsReadable(index) ? 1 : 0;
    }
    return count;
}

ItemRow RowOf(const CameraDataSet& data, int index) {
    return {.index = index,
            .program = data.GetValue(index, false),
            .camera = data.GetValue(index, true)};
}

void PrintRows(const CtlOptions& options, Streams io, const std::vector<ItemRow>& rows) {
    options.json ? PrintItemJson(io.out, rows) : PrintItemTable(io.out, rows);
}

// Reads every readable item into the data set: kSuccess, or the status after reporting a failure
// or an interrupt (and then `lost`, what comes of it).
int ReadReadable(CameraDataSet& data, Streams io, std::string_view lost) {
    Progress progress(io, "Reading");
    const int total = CountReadable();
    int done = 0;
    for (int index = 0; index < kCameraItemCount; ++index) {
        if (!IsReadable(index)) {
            continue;
        }
        if (StopRequested(io, &progress, "reading", done, total, lost)) {
            return StoppedStatus();
        }
        progress.Step(++done, total, index);
        if (data.ReadItem(index) < 0) {
            progress.Clear();
            ReportFailure(data, io.err, "tavinctl: while reading item " + DescribeItem(index));
            return kFailure;
        }
    }
    return kSuccess;
}

int RunRead(CameraDataSet& data, const CtlOptions& options, Streams io) {
    const bool saves = !options.outputFile.empty();
    if (const int status =
            ReadReadable(data, io, saves ? "nothing was saved" : "nothing was printed");
        status != kSuccess) {
        return status;
    }
    if (saves) {
        const DataFileBytes bytes = SaveDataFile(data);
        if (const std::string error = WriteFileAtomically(options.outputFile, bytes);
            !error.empty()) {
            io.err << error << '\n';
            return kFailure;
        }
        if (!options.json) {
            return kSuccess;
        }
    }
    std::vector<ItemRow> rows;
    for (int index = 0; index < kCameraItemCount; ++index) {
        if (IsReadable(index)) {
            rows.push_back(RowOf(data, index));
        }
    }
    PrintRows(options, io, rows);
    return kSuccess;
}

// As opening a data file in the program: every value is stored, then every item is written
// in index order (the placeholder is only stored), stopping at the first failure.
int RunWrite(CameraDataSet& data, const CtlOptions& options, Streams io,
             const DataFileValues& values) {
    for (int index = 0; index < kCameraItemCount; ++index) {
        data.SetValue(index, values[index], true);
    }
    Progress progress(io, "Writing");
    const int total = CountReadable();
    int done = 0;
    for (int index = 0; index < kCameraItemCount; ++index) {
        if (IsReadable(index)) {
            if (StopRequested(
                    io, &progress, "writing", done, total,
                    done ? "the items after it were not written" : "nothing was written")) {
                return StoppedStatus();
            }
            progress.Step(++done, total, index);
        }
        if (data.WriteItem(index, data.GetValue(index, false)) < 0) {
            progress.Clear();
            ReportFailure(data, io.err,
                          "tavinctl: while writing item " + DescribeItem(index) +
                              "; the items before it were written");
            return kFailure;
        }
    }
    progress.Clear();
    if (!options.verify) {
        return kSuccess;
    }
    std::vector<SentItem> sent;
    for (int index = 0; index < kCameraItemCount; ++index) {
        sent.push_back({index, data.GetValue(index, false)});
    }
    return VerifyWrites(data, sent, options.operands[0], options.json, io);
}

// The items whose camera value differs from a golden file's, compared as diff compares files.
int RunCameraDiff(CameraDataSet& data, const CtlOptions& options, const LinkOptions& link,
                  Streams io, const DataFileValues& golden) {
    // A camera that cannot be read is trouble, as a file that cannot be read is: it does not
    // differ.
    if (const int status = ReadReadable(data, io, "nothing was compared"); status != kSuccess) {
        return status == kFailure ? kUsageError : status;
    }
    std::vector<DiffRow> rows;
    for (int index = 0; index < kCameraItemCount; ++index) {
        const DiffRow row{RowFromCamera(index, golden[index]), RowOf(data, index)};
        if (IsReadable(index) && row.a.program != row.b.program) {
            rows.push_back(row);
        }
    }
    const std::string camera = link.name.empty() ? "camera" : link.name;
    if (options.json) {
        PrintDiffJson(io.out, options.operands[0], camera, rows);
    } else if (!rows.empty()) {
        PrintDiffTable(io.out, options.operands[0], camera, rows);
    }
    return rows.empty() ? kSuccess : kFailure;
}

int RunGet(CameraDataSet& data, const CtlOptions& options, Streams io,
           const std::vector<int>& items) {
    std::vector<ItemRow> rows;
    for (const int index : items) {
        if (StopRequested(io, nullptr, "reading", static_cast<int>(rows.size()),
                          static_cast<int>(items.size()), "nothing was printed")) {
            return StoppedStatus();
        }
        if (data.ReadItem(index) < 0) {
            ReportFailure(data, io.err, "tavinctl: while reading item " + DescribeItem(index));
            return kFailure;
        }
        rows.push_back(RowOf(data, index));
    }
    PrintRows(options, io, rows);
    return kSuccess;
}

using Assignment = CameraJob::Assignment;

int RunSet(CameraDataSet& data, const CtlOptions& options, Streams io,
           const std::vector<Assignment>& assignments) {
    for (size_t i = 0; i < assignments.size(); ++i) {
        const Assignment& a = assignments[i];
        if (StopRequested(io, nullptr, "writing", static_cast<int>(i),
                          static_cast<int>(assignments.size()),
                          i ? "the items after it were not written" : "nothing was written")) {
            return StoppedStatus();
        }
        if (data.WriteItem(a.index, a.value) < 0) {
            ReportFailure(data, io.err,
                          "tavinctl: while writing item " + DescribeItem(a.index) +
                              (i ? "; the items before it were written" : ""));
            return kFailure;
        }
    }
    if (!options.verify) {
        return kSuccess;
    }
    // An item set twice must hold the last value.
    std::vector<SentItem> sent;
    for (const Assignment& a : assignments) {
        std::erase_if(sent, [&](const SentItem& item) { return item.index == a.index; });
        sent.push_back({a.index, a.value});
    }
    return VerifyWrites(data, sent, "set", options.json, io);
}

// The manual command's text: letters go out in upper case, as the dialog types them.
std::string UpperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

int RunSend(CameraDataSet& data, const CtlOptions& options, Streams io) {
    const std::string text = UpperCase(options.operands[0]);
    if (data.SendCommand(text.c_str()) < 0) {
        ReportFailure(data, io.err, "tavinctl: while sending '" + text + "'");
        return kFailure;
    }
    return kSuccess;
}

int RunQuery(CameraDataSet& data, const CtlOptions& options, Streams io) {
    const std::string text = UpperCase(options.operands[0]);
    char reply[28] = {};
    if (data.SendQuery(text.c_str(), reply) < 0) {
        ReportFailure(data, io.err, "tavinctl: while sending '" + text + "'");
        return kFailure;
    }
    if (options.json) {
        PrintQueryJson(io.out, text, reply);
    } else {
        io.out << reply << '\n';
    }
    return kSuccess;
}

}  // namespace

int PrepareCameraJob(const CtlOptions& options, Streams io, CameraJob& job) {
    // Everything the user typed is checked before the camera is touched, so a typo in the
    // third assignment does not leave the first two written.
    if (options.command == Command::Write || options.command == Command::Diff) {
        FileReadResult file = ReadDataFileAt(options.operands[0]);
        if (!file.ok) {
            io.err << file.error << '\n';
            return kFailure;
        }
        job.file = file.values;
    } else if (options.command == Command::Get) {
        for (const std::string& operand : options.operands) {
            const ItemResult item = FindItem(operand);
            if (!item.error.empty()) {
                io.err << "tavinctl: " << item.error << '\n';
                return kUsageError;
            }
            job.items.push_back(item.index);
        }
    } else if (options.command == Command::Set) {
        for (const std::string& operand : options.operands) {
            const size_t eq = operand.find('=');
            if (eq == std::string::npos) {
                io.err << "tavinctl: '" << operand << "' is not ITEM=VALUE\n";
                return kUsageError;
            }
            const ItemResult item = FindItem(operand.substr(0, eq));
            if (!item.error.empty()) {
                io.err << "tavinctl: " << item.error << '\n';
                return kUsageError;
            }
            const ValueResult value =
                ParseItemValue(item.index, operand.substr(eq + 1), options.force);
            if (!value.error.empty()) {
                io.err << "tavinctl: " << value.error << '\n';
                return kUsageError;
            }
            job.assignments.push_back({item.index, value.value});
        }
    }
    return kSuccess;
}

int RunCameraJob(const CtlOptions& options, const LinkOptions& link, const CameraJob& job,
                 Streams io) {
    CameraDataSet data;
    if (!OpenLink(data, link, io.err)) {
        return options.command == Command::Diff ? kUsageError : kFailure;
    }
    switch (options.command) {
        case Command::Read:
            return RunRead(data, options, io);
        case Command::Write:
            return RunWrite(data, options, io, job.file);
        case Command::Get:
            return RunGet(data, options, io, job.items);
        case Command::Set:
            return RunSet(data, options, io, job.assignments);
        case Command::Send:
            return RunSend(data, options, io);
        case Command::Query:
            return RunQuery(data, options, io);
        case Command::Diff:
            return RunCameraDiff(data, options, link, io, job.file);
        default:
            return kUsageError;
    }
}

int RunCameraCommand(const CtlOptions& options, Streams io) {
    CameraJob job;
    if (const int status = PrepareCameraJob(options, io, job); status != kSuccess) {
        return status;
    }
    return RunCameraJob(options, options.link, job, io);
}

}  // namespace tavin::ctl
