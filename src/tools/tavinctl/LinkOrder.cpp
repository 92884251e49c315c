#include "LinkOrder.h"

#include <charconv>

namespace tavin::ctl {

namespace {

// "LENGTH:BYTES" one after the other.
class Writer {
  public:
    void Text(std::string_view text) {
        out_ += std::to_string(text.size());
        out_ += ':';
        out_ += text;
    }
    void Number(long long value) { Text(std::to_string(value)); }
    std::string Take() { return std::move(out_); }

  private:
    std::string out_;
};

class Reader {
  public:
    explicit Reader(std::string_view in) : in_(in) {}

    bool Text(std::string& text) {
        size_t length = 0;
        const auto [end, error] = std::from_chars(in_.data(), in_.data() + in_.size(), length);
        const size_t digits = static_cast<size_t>(end - in_.data());
        if (error != std::errc() || digits == 0 || digits >= in_.size() || *end != ':' ||
            length > in_.size() - digits - 1) {
            return false;
        }
        text.assign(in_.substr(digits + 1, length));
        in_.remove_prefix(digits + 1 + length);
        return true;
    }
    template <typename Integer>
    bool Number(Integer& value, long long lowest, long long highest) {
        std::string text;
        long long number = 0;
        if (!Text(text)) {
            return false;
        }
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || number < lowest ||
            number > highest) {
            return false;
        }
        value = static_cast<Integer>(number);
        return true;
    }
    bool Flag(bool& flag) { return Number(flag, 0, 1); }
    bool AtEnd() const { return in_.empty(); }

  private:
    std::string_view in_;
};

constexpr long long kInt32Lowest = -2147483648LL;
constexpr long long kInt32Highest = 2147483647LL;
// More than any command line holds; a count beyond it is a broken order, not a big one.
constexpr long long kLongestList = 1 << 20;

}  // namespace

std::string EncodeLinkOrder(const LinkOrder& order) {
    Writer w;
    const CtlOptions& o = order.options;
    w.Number(static_cast<int>(o.command));
    w.Number(static_cast<long long>(o.operands.size()));
    for (const std::string& operand : o.operands) {
        w.Text(operand);
    }
    w.Text(o.outputFile);
    w.Number(o.json);
    w.Number(o.force);
    w.Number(o.verify);
    const LinkOptions& l = order.link;
    w.Number(l.port);
    w.Text(l.device);
    w.Text(l.library);
    w.Number(l.baudRate);
    w.Text(l.name);
    w.Number(l.serialIndex);
    w.Text(l.origin);
    const CameraJob& j = order.job;
    w.Number(static_cast<long long>(j.items.size()));
    for (const int item : j.items) {
        w.Number(item);
    }
    w.Number(static_cast<long long>(j.assignments.size()));
    for (const CameraJob::Assignment& a : j.assignments) {
        w.Number(a.index);
        w.Number(a.value);
    }
    for (const int32_t value : j.file) {
        w.Number(value);
    }
    w.Number(order.progress);
    return w.Take();
}

std::optional<LinkOrder> DecodeLinkOrder(std::string_view text) {
    Reader r(text);
    LinkOrder order;
    CtlOptions& o = order.options;
    LinkOptions& l = order.link;
    CameraJob& j = order.job;
    size_t operands = 0;
    if (!r.Number(o.command, 0, static_cast<int>(Command::Version)) ||
        !r.Number(operands, 0, kLongestList)) {
        return std::nullopt;
    }
    o.operands.resize(operands);
    for (std::string& operand : o.operands) {
        if (!r.Text(operand)) {
            return std::nullopt;
        }
    }
    size_t items = 0;
    if (!r.Text(o.outputFile) || !r.Flag(o.json) || !r.Flag(o.force) || !r.Flag(o.verify) ||
        !r.Number(l.port, kInt32Lowest, kInt32Highest) || !r.Text(l.device) || !r.Text(l.library) ||
        !r.Number(l.baudRate, kInt32Lowest, kInt32Highest) || !r.Text(l.name) ||
        !r.Number(l.serialIndex, 0, 0xFFFFFFFFLL) || !r.Text(l.origin) ||
        !r.Number(items, 0, kLongestList)) {
        return std::nullopt;
    }
    j.items.resize(items);
    for (int& item : j.items) {
        if (!r.Number(item, 0, kCameraItemCount - 1)) {
            return std::nullopt;
        }
    }
    size_t assignments = 0;
    if (!r.Number(assignments, 0, kLongestList)) {
        return std::nullopt;
    }
    j.assignments.resize(assignments);
    for (CameraJob::Assignment& a : j.assignments) {
        if (!r.Number(a.index, 0, kCameraItemCount - 1) ||
            !r.Number(a.value, kInt32Lowest, kInt32Highest)) {
            return std::nullopt;
        }
    }
    for (int32_t& value : j.file) {
        if (!r.Number(value, kInt32Lowest, kInt32Highest)) {
            return std::nullopt;
        }
    }
    if (!r.Flag(order.progress) || !r.AtEnd()) {
        return std::nullopt;
    }
    return order;
}

}  // namespace tavin::ctl
