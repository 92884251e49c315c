// A link process started afresh (Windows) learns its work from the text its parent sends: every
// field must come back exactly, whatever bytes it holds, and a text cut short or tampered with
// must be refused rather than run as some other job.
#include <gtest/gtest.h>

#include "LinkOrder.h"

namespace tavin::ctl {
namespace {

LinkOrder SampleOrder() {
    LinkOrder order;
    order.options.command = Command::Set;
    // Separators of the encoding, a line break and a zero byte inside the texts.
    order.options.operands = {"gain (fine)=30", "12:3", std::string("a\0b\nc", 5), ""};
    order.options.outputFile = "C:\\out\\line 3";
    order.options.json = true;
    order.options.verify = true;
    order.link.port = 7;
    order.link.device = "rfc2217://cam:2217";
    order.link.library = "clsermtx.dll";
    order.link.baudRate = 9600;
    order.link.name = "left:1";
    order.link.serialIndex = 3;
    order.link.origin = "line.links:4";
    order.job.items = {0, 9, 44};
    order.job.assignments = {{11, 3}, {16, -2147483647 - 1}, {44, 2147483647}};
    for (int i = 0; i < kCameraItemCount; ++i) {
        order.job.file[i] = i * 1000 - 7;
    }
    order.progress = true;
    return order;
}

TEST(LinkOrders, ComeBackFieldForField) {
    const LinkOrder sent = SampleOrder();
    const auto got = DecodeLinkOrder(EncodeLinkOrder(sent));
    ASSERT_TRUE(got);
    EXPECT_EQ(got->options.command, sent.options.command);
    EXPECT_EQ(got->options.operands, sent.options.operands);
    EXPECT_EQ(got->options.outputFile, sent.options.outputFile);
    EXPECT_EQ(got->options.json, true);
    EXPECT_EQ(got->options.force, false);
    EXPECT_EQ(got->options.verify, true);
    EXPECT_EQ(got->link.port, 7);
    EXPECT_EQ(got->link.device, sent.link.device);
    EXPECT_EQ(got->link.library, sent.link.library);
    EXPECT_EQ(got->link.baudRate, 9600);
    EXPECT_EQ(got->link.name, sent.link.name);
    EXPECT_EQ(got->link.serialIndex, 3u);
    EXPECT_EQ(got->link.origin, sent.link.origin);
    EXPECT_EQ(got->job.items, sent.job.items);
    ASSERT_EQ(got->job.assignments.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(got->job.assignments[i].index, sent.job.assignments[i].index);
        EXPECT_EQ(got->job.assignments[i].value, sent.job.assignments[i].value);
    }
    EXPECT_EQ(got->job.file, sent.job.file);
    EXPECT_TRUE(got->progress);
}

TEST(LinkOrders, AnEmptyJobComesBackToo) {
    const auto got = DecodeLinkOrder(EncodeLinkOrder(LinkOrder{}));
    ASSERT_TRUE(got);
    EXPECT_TRUE(got->options.operands.empty());
    EXPECT_TRUE(got->job.items.empty());
    EXPECT_FALSE(got->progress);
}

TEST(LinkOrders, EveryCutIsRefused) {
    const std::string text = EncodeLinkOrder(SampleOrder());
    for (size_t length = 0; length < text.size(); ++length) {
        EXPECT_FALSE(DecodeLinkOrder(text.substr(0, length))) << length;
    }
}

TEST(LinkOrders, ForeignOrOutOfRangeFieldsAreRefused) {
    LinkOrder read;
    read.options.command = Command::Read;
    const std::string good = EncodeLinkOrder(read);
    // The encoding starts with the command (read, 0) and the operand count.
    ASSERT_TRUE(good.starts_with("1:01:0"));
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {good + "1:0", "bytes after the end"},
        {"2:99" + good.substr(3), "no such command"},
        {"2:-1" + good.substr(3), "a negative command"},
        {"1:01:x" + good.substr(6), "a count that is no number"},
        {"1:0" + std::string("20:99999999999999999999") + good.substr(6), "a count too large"},
        {"x:0" + good.substr(3), "a length that is no number"},
        {"1;0" + good.substr(3), "no colon after the length"},
        {"", "nothing at all"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(DecodeLinkOrder(c.text)) << c.why;
    }

    LinkOrder order = read;
    order.job.items = {kCameraItemCount};  // one past the last item
    EXPECT_FALSE(DecodeLinkOrder(EncodeLinkOrder(order)));
    order.job.items = {};
    order.job.assignments = {{-1, 0}};
    EXPECT_FALSE(DecodeLinkOrder(EncodeLinkOrder(order)));
}

}  // namespace
}  // namespace tavin::ctl
