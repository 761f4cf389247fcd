// The output channels: OF/PR toggles, the copy file opened on demand, EF,
// report ends and the files kept open for the map search.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/channels.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

using testing_support::read_file;
using testing_support::ScratchDir;

struct ChannelState {
    int output_code, last_channel, channel_step;
};

ChannelState state(const testing_support::FakeSession& fs)
{
    return {fs.con.output_code, fs.s.out.last_channel, fs.s.out.channel_step};
}

void start_up_channels(testing_support::FakeSession& fs)
{
    fs.con.output_code = 2;
    fs.s.out.last_channel = 2;
    fs.s.out.channel_step = 2;
}

TEST(Toggles, CopyTwiceReturnsToTheStart)
{
    testing_support::FakeSession fs;
    start_up_channels(fs);
    console::OF(fs.s);
    ChannelState a = state(fs);
    EXPECT_EQ(a.output_code, 0);
    EXPECT_EQ(a.last_channel, 0);
    EXPECT_EQ(a.channel_step, 1);
    console::OF(fs.s);
    ChannelState b = state(fs);
    EXPECT_EQ(b.output_code, 2);
    EXPECT_EQ(b.last_channel, 2);
    EXPECT_EQ(b.channel_step, 2);
    const std::string head = "\n\nSelect/deselect copying screen output to textfile:  file output is now ";
    EXPECT_EQ(fs.screen(), head + "OFF\n" + head + "ON\n");
}

TEST(Toggles, PrinterWithAndWithoutTheCopy)
{
    testing_support::FakeSession fs;
    start_up_channels(fs);
    console::PR(fs.s);
    ChannelState a = state(fs);
    EXPECT_EQ(a.output_code, 3);
    EXPECT_EQ(a.last_channel, 2);
    EXPECT_EQ(a.channel_step, 1);
    console::PR(fs.s);
    ChannelState b = state(fs);
    EXPECT_EQ(b.output_code, 2);
    EXPECT_EQ(b.last_channel, 2);
    EXPECT_EQ(b.channel_step, 2);
    // Printer alone: channels 0 and 1.
    console::OF(fs.s);
    console::PR(fs.s);
    ChannelState c = state(fs);
    EXPECT_EQ(c.output_code, 1);
    EXPECT_EQ(c.last_channel, 1);
    EXPECT_EQ(c.channel_step, 1);
    const std::string head = "\n\nSelect/deselect copying screen output to printer:  printer is now ";
    EXPECT_EQ(fs.screen().rfind(head + "ON\n" + head + "OFF\n", 0), 0u);
}

TEST(CopyFile, OpenedOnDemandAndFollowsTheDatasetName)
{
    ScratchDir dir;
    testing_support::write_file("WORK.LXO", "earlier run\r\n");
    testing_support::FakeSession fs;
    start_up_channels(fs);
    console::EF(fs.s);
    EXPECT_EQ(fs.screen(), "  ** Output file not open **\n");

    ASSERT_TRUE(console::ensure_copy_open(fs.s));
    fs.s.out.copy.line("report");
    console::report_end(fs.s);
    console::EF(fs.s);
    EXPECT_EQ(read_file("WORK.LXO"), "earlier run\r\nreport\r\n\f\r\n\x1a");

    // Another dataset: the next copied report goes to its own file.
    fs.s.ds.Dset = "quartz";
    ASSERT_TRUE(console::ensure_copy_open(fs.s));
    fs.s.out.copy.line("second");
    console::report_end(fs.s);
    EXPECT_EQ(read_file("QUARTZ.LXO"), "second\r\n\f\r\n");
    EXPECT_EQ(read_file("WORK.LXO"), "earlier run\r\nreport\r\n\f\r\n\x1a");
    EXPECT_EQ(fs.s.out.copy_name, "quartz");

    console::close_all(fs.s.out);
    EXPECT_FALSE(fs.s.out.copy.is_open());
}

TEST(CopyFile, CopyOffWritesNothing)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    fs.con.output_code = 0;
    EXPECT_FALSE(console::ensure_copy_open(fs.s));
    console::report_end(fs.s);
    EXPECT_FALSE(std::filesystem::exists("WORK.LXO"));
    EXPECT_EQ(fs.screen(), "");
}

TEST(CopyFile, FailureSwitchesTheCopyOff)
{
    ScratchDir dir;
    std::filesystem::create_directory("WORK.LXO");
    testing_support::FakeSession fs("\n");
    start_up_channels(fs);
    EXPECT_FALSE(console::ensure_copy_open(fs.s));
    EXPECT_EQ(fs.con.output_code, 0);
    EXPECT_EQ(fs.screen(),
              "** OpenWrFile failed to open file \"WORK.LXO\" with errorcode 21 **\n"
              "** Unexpected wrcode **\n"
              "   (Is a directory)\n"
              "\n\nSelect/deselect copying screen output to textfile:  file output is now OFF\n"
              "\n"
              "** Can't open outfile WORK.LXO - disabling repeat of output to file **\n"
              "\n"
              "Press ENTER to continue \n");
}

TEST(Printer, ReportEndGivesTheNotice)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    fs.con.output_code = 1;
    console::report_end(fs.s);
    std::string screen = fs.screen();
    ASSERT_EQ(screen.back(), '\n');
    EXPECT_EQ(screen.find('\n'), screen.size() - 1);  // one line
    EXPECT_EQ(screen.rfind("** ", 0), 0u);
    EXPECT_NE(screen.find("not supported"), std::string::npos);
    EXPECT_EQ(screen.substr(screen.size() - 4), " **\n");
}

TEST(MapFiles, CreatedAnewOrAppended)
{
    ScratchDir dir;
    testing_support::write_file("ABC.CMG", "old map log\r\n");
    testing_support::write_file("ABC.SUM", "old summary\r\n");
    testing_support::FakeSession fs;
    console::open_map_files(fs.s, "abc");
    console::Channels& ch = fs.s.out;
    ASSERT_TRUE(ch.map_cmg.is_open() && ch.log.is_open() && ch.map_cmm.is_open() && ch.map_sum.is_open());
    ch.map_cmg.line("g");
    ch.map_sum.line("s");
    ch.log.line("l");
    EXPECT_TRUE(console::open_log_file(fs.s, "abc"));  // already open: kept
    ch.log.line("m");
    // After a change of dataset the log goes to the new dataset's file.
    EXPECT_TRUE(console::open_log_file(fs.s, "other"));
    ch.log.line("o");
    console::close_all(ch);
    EXPECT_EQ(read_file("ABC.CMG"), "g\r\n");
    EXPECT_EQ(read_file("ABC.SUM"), "old summary\r\ns\r\n");
    EXPECT_EQ(read_file("ABC.LOG"), "l\r\nm\r\n");
    EXPECT_EQ(read_file("OTHER.LOG"), "o\r\n");
    EXPECT_TRUE(std::filesystem::exists("ABC.CMM"));
}

} // namespace
