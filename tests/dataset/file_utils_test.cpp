// The field readers, writers and file opening of the text-file utilities.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataset/file_utils.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

using testing_support::read_file;
using testing_support::ScratchDir;
using testing_support::write_file;

struct ReaderCase {
    const char* input;
    int code;
    const char* message;  // the screen line, "" for none
};

// Reads one field of `input` with `read` and checks code and screen.
template <typename Read>
void expect_case(const ReaderCase& c, Read read)
{
    ScratchDir dir;
    write_file("f.txt", c.input);
    testing_support::FakeSession fs;
    console::TextFile f;
    ASSERT_EQ(f.open_read("f.txt"), 0);
    int code = read(fs.con, f);
    EXPECT_EQ(code, c.code) << "input \"" << c.input << "\"";
    std::string want = c.message[0] != '\0' ? std::string(c.message) + "\n" : "";
    EXPECT_EQ(fs.screen(), want) << "input \"" << c.input << "\"";
}

TEST(ReadDouble, AcceptsTheNumberForms)
{
    struct Ok {
        const char* input;
        double value;
    };
    const std::vector<Ok> cases = {
        {"1.5D-03,", 0.0015},    {"1.5E 3,", 1500.0},      {"  \r\n  -2.25,", -2.25},
        {".5\r\n", 0.5},         {"+7\n", 7.0},            {"12.0000000000000", 12.0},
        {"3.25E+2,", 325.0},     {"\x1a 4,", 4.0},         {"1.5e-3,", 0.0015},
    };
    for (const Ok& c : cases) {
        ScratchDir dir;
        write_file("f.txt", c.input);
        testing_support::FakeSession fs;
        console::TextFile f;
        ASSERT_EQ(f.open_read("f.txt"), 0);
        double x = -99;
        EXPECT_EQ(dataset::read_double(fs.con, f, x), 0) << c.input << fs.screen();
        EXPECT_DOUBLE_EQ(x, c.value) << c.input;
        EXPECT_EQ(fs.screen(), "");
    }
}

TEST(ReadDouble, ReportsEveryMalformedNumber)
{
    const std::vector<ReaderCase> cases = {
        {"", 1099, "** CDTseek encountered EOF **"},
        {" \r\n ", 1099, "** CDTseek encountered EOF **"},
        {"x1,", 300, "** CDTrdDouble encountered \"x\" (ASCII 120) instead of first char of double **"},
        {"1.5.2,", 1001, "** CDTrdDouble found 2nd decimal point **"},
        {"1.5E2.1,", 1001, "** CDTrdDouble found decimal point in exponent **"},
        {"1.5E2E1,", 1001, "** CDTrdDouble found 2nd D/E char in exponent **"},
        {"1.5E+-2,", 1001, "** CDTrdDouble found 2nd sign in exponent **"},
        {"1.5E2-1,", 1001, "** CDTrdDouble found 2nd sign in exponent **"},
        {"1-2,", 1001, "** CDTrdDouble found 2nd sign in mantissa **"},
        {"+-2,", 1001, "** CDTrdDouble found 2nd sign in mantissa **"},
        {"-x,", 1001, "** CDTrdDouble found \"x\" (ASCII 120) just after leading sign of double **"},
        {"1.5Ex,", 1001, "** CDTrdDouble found \"x\" (ASCII 120) just after exponent D/E of double **"},
        {"1.5 ,", 32, "** CDTrdDouble found \" \" (ASCII 32) terminating double \"1.5\" **"},
        {"2.5x,", 120, "** CDTrdDouble found \"x\" (ASCII 120) terminating double \"2.5\" **"},
        {"-", 1001, "** CDTrdDouble: end of file immediately after leading sign **"},
        {"1.5D", 1001, "** CDTrdDouble: end of file immediately after exponent D or E char **"},
        {"1.5E  ", 1001, "** CDTrdDouble: end of file immediately after exponent D or E char **"},
        {"+\r\n", 1001, "** CDTrdDouble: end of line immediately after leading sign **"},
        {"1E\n", 1001, "** CDTrdDouble: end of line immediately after exponent D or E char **"},
        {".,", 1000, "** CDTrdDouble: value read \".\" failed conversion to double **"},
        {"1E999,", 1000, "** CDTrdDouble: value read \"1E999\" failed conversion to double **"},
    };
    for (const ReaderCase& c : cases)
        expect_case(c, [](console::Console& con, console::TextFile& f) {
            double x = 0;
            return dataset::read_double(con, f, x);
        });
}

TEST(ReadDouble, FileNotOpen)
{
    testing_support::FakeSession fs;
    console::TextFile f;
    double x = 0;
    EXPECT_EQ(dataset::read_double(fs.con, f, x), 1104);
    EXPECT_EQ(fs.screen(), "** CDTseek found that input file wasn't open **\n");
}

TEST(ReadDouble, ReadErrorOfADirectory)
{
    ScratchDir dir;
    std::filesystem::create_directory("sub");
    testing_support::FakeSession fs;
    console::TextFile f;
    ASSERT_EQ(f.open_read("sub"), 0);  // opening a directory succeeds, reading fails
    double x = 0;
    EXPECT_EQ(dataset::read_double(fs.con, f, x), 1000 + EISDIR);
    EXPECT_EQ(fs.screen(), "** CDTseek failed with IOResult code " + std::to_string(EISDIR) + " **\n");
}

TEST(ReadDouble, FieldsFollowOneAnother)
{
    ScratchDir dir;
    write_file("f.txt", "  1.25,  -3,\r\n 4.5E1\n");
    testing_support::FakeSession fs;
    console::TextFile f;
    ASSERT_EQ(f.open_read("f.txt"), 0);
    double a = 0, b = 0, c = 0;
    EXPECT_EQ(dataset::read_double(fs.con, f, a), 0);
    EXPECT_EQ(dataset::read_double(fs.con, f, b), 0);
    EXPECT_EQ(dataset::read_double(fs.con, f, c), 0);
    EXPECT_EQ(a, 1.25);
    EXPECT_EQ(b, -3.0);
    EXPECT_EQ(c, 45.0);
    EXPECT_EQ(dataset::read_double(fs.con, f, c), 1099);
}

TEST(ReadInteger, AcceptsAndReports)
{
    for (auto [input, value] : std::vector<std::pair<const char*, int>>{
             {"12,", 12}, {"-3\r\n", -3}, {"+4", 4}, {"  \n 0,", 0}}) {
        ScratchDir dir;
        write_file("f.txt", input);
        testing_support::FakeSession fs;
        console::TextFile f;
        ASSERT_EQ(f.open_read("f.txt"), 0);
        int i = -99;
        EXPECT_EQ(dataset::read_integer(fs.con, f, i), 0) << input;
        EXPECT_EQ(i, value);
    }
    const std::vector<ReaderCase> cases = {
        {"", 1099, "** CDTseek encountered EOF **"},
        {".5,", 300, "** CDTrdInt encountered \".\" (ASCII 46) instead of first char of integer **"},
        {"-", 1001, "** CDTrdInt encountered end of file after leading sign of integer **"},
        {"+\r\n", 1001, "** CDTrdInt encountered end of line after leading sign of integer **"},
        {"-a,", 1001, "** CDTrdInt found \"a\" (ASCII 97) after leading sign of integer **"},
        {"3.0,", 46, "** CDTrdInt found \".\" (ASCII 46) terminating integer \"3\" **"},
        {"3 ,", 32, "** CDTrdInt found \" \" (ASCII 32) terminating integer \"3\" **"},
        {"99999999999,", 1000, "** CDTrdInt: value read \"99999999999\" failed conversion to integer **"},
    };
    for (const ReaderCase& c : cases)
        expect_case(c, [](console::Console& con, console::TextFile& f) {
            int i = 0;
            return dataset::read_integer(con, f, i);
        });
}

TEST(ReadQuoted, StringsAndTheirFaults)
{
    {
        ScratchDir dir;
        write_file("f.txt", "\r\n\"Title, with comma\"  ,\"\"\r\n\"last\"");
        testing_support::FakeSession fs;
        console::TextFile f;
        ASSERT_EQ(f.open_read("f.txt"), 0);
        std::string a, b, c;
        EXPECT_EQ(dataset::read_quoted(fs.con, f, a), 0);
        EXPECT_EQ(dataset::read_quoted(fs.con, f, b), 0);
        EXPECT_EQ(dataset::read_quoted(fs.con, f, c), 0);
        EXPECT_EQ(a, "Title, with comma");
        EXPECT_EQ(b, "");
        EXPECT_EQ(c, "last");
        EXPECT_EQ(fs.screen(), "");
    }
    const std::vector<ReaderCase> cases = {
        // the seek code plus 1000, with the seek's message only
        {"", 2099, "** CDTseek encountered EOF **"},
        {"abc\",", 1001, "** CDTrdStr encountered \"a\" (ASCII 97) instead of leading quotes **"},
        {"\"open", 1098, "** CDTrdStr encountered end of file before trailing quotes **"},
        {"\"open\r\n\"next\",", 1097, "** CDTrdStr encountered end of line before trailing quotes **"},
        {"\"abc\" x", 120, "** CDTrdStr encountered \"x\" (ASCII 120) instead of trailing comma or nl **"},
    };
    for (const ReaderCase& c : cases)
        expect_case(c, [](console::Console& con, console::TextFile& f) {
            std::string s;
            return dataset::read_quoted(con, f, s);
        });
    // The text before a bad terminator is still returned.
    ScratchDir dir;
    write_file("f.txt", "\"abc\"x");
    testing_support::FakeSession fs;
    console::TextFile f;
    ASSERT_EQ(f.open_read("f.txt"), 0);
    std::string s;
    EXPECT_EQ(dataset::read_quoted(fs.con, f, s), 'x');
    EXPECT_EQ(s, "abc");
}

TEST(FixedWidth, FieldsBlanksAndLineEnds)
{
    ScratchDir dir;
    write_file("f.txt", "12    1.5  2,25 -7\tX\r\nab\n");
    testing_support::FakeSession fs;
    console::TextFile f;
    ASSERT_EQ(f.open_read("f.txt"), 0);
    int i = 0;
    double x = 0, y = 0;
    EXPECT_EQ(dataset::frd_int(fs.con, f, 4, i), 0);
    EXPECT_EQ(i, 1200);  // trailing blanks inside the field read as zeros
    EXPECT_EQ(dataset::frd_dbl(fs.con, f, 5, x), 0);
    EXPECT_DOUBLE_EQ(x, 1.5);
    EXPECT_EQ(dataset::frd_dbl_comma(fs.con, f, 6, y), 0);
    EXPECT_DOUBLE_EQ(y, 2.25);
    std::string t;
    EXPECT_EQ(dataset::frd_text(fs.con, f, 6, t), 0);
    EXPECT_EQ(t, " -7 X ");  // a tab counts as a blank; the line end pads the field
    dataset::skip_line(f);
    EXPECT_EQ(dataset::frd_char(fs.con, f), 'a');
    dataset::frd_skip(fs.con, f, 5);  // stops at the line end
    dataset::skip_line(f);
    EXPECT_EQ(fs.screen(), "");
    EXPECT_EQ(dataset::frd_char(fs.con, f), ' ');
    EXPECT_EQ(fs.screen(), "** FrdChar encountered EOF **\n");
}

TEST(FixedWidth, ConversionFailures)
{
    ScratchDir dir;
    write_file("f.txt", "1x  2.5.  1,5\n");
    testing_support::FakeSession fs;
    console::TextFile f;
    ASSERT_EQ(f.open_read("f.txt"), 0);
    int i = 5;
    double x = 5, y = 5;
    EXPECT_EQ(dataset::frd_int(fs.con, f, 4, i), 1000);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(dataset::frd_dbl(fs.con, f, 4, x), 1000);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(dataset::frd_dbl(fs.con, f, 4, y), 1000);  // "1,5" needs the decimal-comma form
    EXPECT_EQ(fs.screen(),
              "** FrdInt: value read \"1x  \" failed conversion to integer **\n"
              "** FrdDbl: value read \"2.5.\" failed conversion to double **\n"
              "** FrdDbl: value read \"  1,\" failed conversion to double **\n");
    fs.clear_screen_text();
    console::TextFile closed;
    EXPECT_EQ(dataset::frd_char(fs.con, closed), ' ');
    EXPECT_EQ(fs.screen(), "** FrdChar found that input file wasn't open **\n");
}

TEST(Writers, ExactTextAndLineEnds)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    console::TextFile f;
    ASSERT_TRUE(dataset::open_write(fs.con, f, "out.txt", 'O'));
    EXPECT_TRUE(dataset::wr_dbl(fs.con, f, 1.5406, 10, 8, 0));
    EXPECT_TRUE(dataset::wr_str(fs.con, f, ",", 0));
    EXPECT_TRUE(dataset::wr_int(fs.con, f, -3, 3, 1));
    EXPECT_TRUE(dataset::wr_dbl(fs.con, f, 12345.678, 3, 1, 2));
    EXPECT_TRUE(dataset::close_write(fs.con, f));
    EXPECT_EQ(read_file("out.txt"), "1.54060000, -3\r\n12345.7\r\n\r\n");
    EXPECT_EQ(fs.screen(), "");
}

TEST(Writers, FailedWritesAreReportedAndWritingGoesOn)
{
    testing_support::FakeSession fs;
    console::TextFile f;
    ASSERT_EQ(f.open_append("/dev/full"), 0);
    // The buffer takes a few writes; the one that reaches the device fails.
    std::string big(10000, 'x');
    EXPECT_FALSE(dataset::wr_str(fs.con, f, big, 0));
    EXPECT_FALSE(dataset::wr_dbl(fs.con, f, 2.5, 6, 2, 0) && dataset::wr_str(fs.con, f, big, 0));
    std::string screen = fs.screen();
    EXPECT_EQ(screen.rfind("** Wr_str to \"/dev/full\" failed with errorcode 101\n** Trying to write \"xxx", 0), 0u)
        << screen;
    EXPECT_NE(screen.find("\"\n** Disk write error **\n"), std::string::npos);
    f.close();

    fs.clear_screen_text();
    console::TextFile closed;
    EXPECT_FALSE(dataset::wr_int(fs.con, closed, 7, 3, 0));
    EXPECT_EQ(fs.screen(), "** Wr_int to \"\" failed with errorcode 103\n"
                           " trying to write \"  7\"\n"
                           "** File not open **\n");
}

TEST(OpenWrite, CodesQuestionAndFailures)
{
    ScratchDir dir;
    write_file("old.txt", "old\r\n");
    {
        // Q with the answer N appends.
        testing_support::FakeSession fs("n\n");
        console::TextFile f;
        ASSERT_TRUE(dataset::open_write(fs.con, f, "old.txt", 'Q'));
        f.line("more");
        EXPECT_TRUE(dataset::close_write(fs.con, f));
        EXPECT_EQ(fs.screen(), "A file of this name already exists - overwrite (Y/N, default=N)? n\n");
        EXPECT_EQ(read_file("old.txt"), "old\r\nmore\r\n");
    }
    {
        // Q with ENTER and a default of Y overwrites.
        testing_support::FakeSession fs("\n");
        console::TextFile f;
        ASSERT_TRUE(dataset::open_write(fs.con, f, "old.txt", 'Q', true));
        f.line("new");
        EXPECT_TRUE(dataset::close_write(fs.con, f));
        EXPECT_EQ(fs.screen(), "A file of this name already exists - overwrite (Y/N, default=Y)? (Yes)\n");
        EXPECT_EQ(read_file("old.txt"), "new\r\n");
    }
    {
        testing_support::FakeSession fs;
        console::TextFile f;
        EXPECT_FALSE(dataset::open_write(fs.con, f, "old.txt", 'X'));
        EXPECT_EQ(fs.screen(), "\n** Invalid IfExists code <X> in OpenWrFile **\n");
    }
    {
        testing_support::FakeSession fs;
        console::TextFile f;
        EXPECT_FALSE(dataset::open_write(fs.con, f, "nodir/new.txt", 'O'));
        EXPECT_EQ(fs.screen(), "** OpenWrFile failed to open file \"nodir/new.txt\" with errorcode 2 **\n"
                               "** Unexpected wrcode **\n"
                               "   (No such file or directory)\n");
        fs.clear_screen_text();
        EXPECT_FALSE(dataset::open_read(fs.con, f, "missing.txt"));
        EXPECT_EQ(fs.screen(), "** OpenInFile failed to open file \"missing.txt\" **\n");
    }
}

TEST(OpenWrite, AnUnfinishedReplacementLeavesTheOldFile)
{
    ScratchDir dir;
    write_file("keep.txt", "precious\r\n");
    {
        testing_support::FakeSession fs;
        console::TextFile f;
        ASSERT_TRUE(dataset::open_write(fs.con, f, "keep.txt", 'O'));
        f.line("half written");
        f.close();  // abandoned without commit
    }
    EXPECT_EQ(read_file("keep.txt"), "precious\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

TEST(Names, DataDirectoryAndPlainNames)
{
    testing_support::FakeSession fs;
    fs.s.ds.data_dir = "data/";
    EXPECT_EQ(dataset::dataset_path(fs.s, " ab c1 "), "data/ABC1.CDT");
    EXPECT_EQ(dataset::data_file_path(fs.s, "x", ".LOG"), "data/X.LOG");
    EXPECT_TRUE(dataset::is_plain_name("SILICON"));
    for (const char* bad : {"../X", "A/B", "A\\B", "..", "A\"B"})
        EXPECT_FALSE(dataset::is_plain_name(bad)) << bad;
    EXPECT_FALSE(dataset::check_plain_name(fs.con, "../X"));
    EXPECT_EQ(fs.screen(), "** \"../X\" is not a dataset name: names cannot contain \"/\", \"\\\", \"..\" "
                           "or double quotes **\n");
}

} // namespace
