// The dataset command dialogues driven through a script of replies: the save
// dialogue (separation, name appends, the reload cycle, log entries), loads
// that fail, CD and the volume estimates.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dataset/commands.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

using testing_support::read_file;
using testing_support::ScratchDir;
using testing_support::write_file;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void three_lines(dataset::Dataset& ds)
{
    ds.Nobs = 3;
    ds.OQ[1] = 1000;
    ds.OQ[2] = 2000;
    ds.OQ[3] = 3000;
    ds.Title = "Three lines";
}

TEST(PatternSeparation, ExcludedOrRemainingLines)
{
    for (const char* choice : {"e", "r"}) {
        ScratchDir dir;
        testing_support::FakeSession fs(std::string(choice) + "\nsep\n\n");
        three_lines(fs.s.ds);
        fs.s.ds.included[2] = false;
        dataset::PS(fs.s);
        const std::string& screen = fs.screen();
        EXPECT_TRUE(contains(screen, "Out of 3 observed lines, 1 have been flagged as excluded, leaving 2.\n\n"
                                     "Do you want to save the 1 excluded lines (E), or the remaining 2 lines (R)?\n"))
            << screen;
        EXPECT_TRUE(contains(screen, "Save the separated dataset in Latticor (CDT) format\n"));
        EXPECT_TRUE(contains(screen, "Working dataset name unchanged\n"));
        EXPECT_EQ(fs.s.ds.Dset, "WORK");
        std::string text = read_file("SEP.CDT");
        if (choice[0] == 'e') {
            EXPECT_TRUE(contains(text, "\"SEP\",1,")) << text;
            EXPECT_TRUE(contains(text, " 2000.0000000000000,"));
            EXPECT_FALSE(contains(text, " 1000.0000000000000,"));
        } else {
            EXPECT_TRUE(contains(text, "\"SEP\",2,")) << text;
            EXPECT_FALSE(contains(text, " 2000.0000000000000,"));
        }
        // The log entry of a separation adds nothing behind "after".
        EXPECT_TRUE(contains(read_file("WORK.LOG"), "   after Title: Three lines\r\n"));
    }
}

TEST(PatternSeparation, ExitWritesNothing)
{
    ScratchDir dir;
    testing_support::FakeSession fs("\n");
    three_lines(fs.s.ds);
    fs.s.ds.included[1] = false;
    dataset::save_dataset(fs.s, "PS");
    EXPECT_TRUE(contains(fs.screen(), "(E/R, default X=exit):  Exit (not saved)\n"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 0);
}

TEST(SaveDialogue, NameAppendDefaults)
{
    ScratchDir dir;
    for (auto [name, expected] : {std::pair{"ABCDEFGH", "ABCDEFR5"}, std::pair{"AB", "ABR5"}}) {
        testing_support::FakeSession fs("*q\n");
        three_lines(fs.s.ds);
        fs.s.ds.Dset = name;
        fs.s.ds.name_append = "R5";
        fs.s.ds.title_append = " rescaled";
        dataset::save_dataset(fs.s, "RS0.5");
        const std::string& screen = fs.screen();
        EXPECT_TRUE(contains(screen, "Save the new dataset in Latticor (CDT) format\n\n"
                                     "Dataset name (max 8 letters/digits, default: " + std::string(expected) +
                                     ") or *Q to quit: *q\n"
                                     "** Not saved **  (To save under a different name, use SA command);\n"))
            << screen;
        EXPECT_TRUE(fs.s.ds.name_append.empty());
        EXPECT_TRUE(fs.s.ds.title_append.empty());
    }
}

TEST(SaveDialogue, AppendedTitleIsCutToFit)
{
    ScratchDir dir;
    testing_support::FakeSession fs("\n\nn\n");
    three_lines(fs.s.ds);
    fs.s.ds.Title = std::string(69, 't');
    fs.s.ds.name_append = "R5";
    fs.s.ds.title_append = " rescaled";
    dataset::save_dataset(fs.s, "RS0.5");
    EXPECT_EQ(fs.s.ds.Title, std::string(60, 't') + " rescaled");
    EXPECT_TRUE(contains(read_file("WORKR5.CDT"), "\"" + std::string(60, 't') + " rescaled\"\r\n"));
    EXPECT_EQ(fs.s.ds.Dset, "WORK");  // the working-name question answered N
    EXPECT_EQ(read_file("WORK.LOG").find("   after RS command: rescale factor = 0.5\r\n") != std::string::npos, true);
}

TEST(SaveDialogue, QuotesInTheTitleBecomeApostrophes)
{
    ScratchDir dir;
    testing_support::FakeSession fs("\n a \"b\"\n");
    three_lines(fs.s.ds);
    dataset::save_dataset(fs.s, "SA");
    EXPECT_EQ(fs.s.ds.Title, "Three lines a 'b'");
    EXPECT_TRUE(contains(fs.screen(), "giving:  Three lines a \"b\"\n"));
    EXPECT_TRUE(contains(read_file("WORK.CDT"), "\"Three lines a 'b'\"\r\n"));
}

TEST(SaveDialogue, NoPatternAsksFirst)
{
    ScratchDir dir;
    {
        testing_support::FakeSession fs("\n");
        fs.s.ds.Ctype = 1;
        dataset::save_dataset(fs.s, "SA");
        EXPECT_EQ(fs.screen(), "** Warning - There isn't an observed pattern loaded **\n"
                               "Are you sure you want to proceed (Y/N, default=N)?  ** not saved **\n");
        EXPECT_FALSE(std::filesystem::exists("WORK.CDT"));
    }
    {
        // A dataset with only a cell can be saved.
        testing_support::FakeSession fs("y\ncellonly\n\n\n");
        fs.s.ds.Ctype = 1;
        fs.s.ds.DD = {0, 4, 5, 6, 90, 90, 90};
        dataset::save_dataset(fs.s, "SA");
        EXPECT_TRUE(contains(fs.screen(), "(Y/N, default=N)?  yes  -  Ok\nSave the current dataset"));
        EXPECT_TRUE(contains(read_file("CELLONLY.CDT"), "\"CELLONLY\",0,1,0,"));
        EXPECT_EQ(fs.s.ds.Dset, "CELLONLY");
        EXPECT_EQ(fs.s.ds.prev_name, "WORK");
        EXPECT_TRUE(contains(read_file("CELLONLY.LOG"), "   after SA command by user (0 obs lines)\r\n"));
    }
}

TEST(SaveDialogue, PathNamesAreRefused)
{
    ScratchDir dir;
    std::filesystem::create_directory("sub");
    testing_support::FakeSession fs("../x\nsub/x\na\"b\nok\n\n\n");
    three_lines(fs.s.ds);
    dataset::save_dataset(fs.s, "SA");
    EXPECT_TRUE(contains(fs.screen(), "** \"../X\" is not a dataset name: names cannot contain \"/\", \"\\\", \"..\" "
                                      "or double quotes **\n"));
    EXPECT_TRUE(contains(fs.screen(), "** \"SUB/X\" is not a dataset name"));
    // A quote would end the name's string in the file and make it unreadable.
    EXPECT_TRUE(contains(fs.screen(), "** \"A\"B\" is not a dataset name"));
    EXPECT_FALSE(std::filesystem::exists("A\"B.CDT"));
    EXPECT_TRUE(std::filesystem::exists("OK.CDT"));
    EXPECT_TRUE(std::filesystem::is_empty("sub"));
}

TEST(SaveDialogue, OpenFailureLeavesTheOldFileAndLogsNothing)
{
    ScratchDir dir;
    testing_support::FakeSession fs("\n");
    three_lines(fs.s.ds);
    fs.s.ds.data_dir = "missing/";
    dataset::save_dataset(fs.s, "SA");
    EXPECT_TRUE(contains(fs.screen(), "** OpenWrFile failed to open file \"missing/WORK.CDT\" with errorcode 2 **\n"));
    EXPECT_FALSE(contains(fs.screen(), "Data successfully saved"));
    EXPECT_FALSE(std::filesystem::exists("WORK.LOG"));
}

TEST(SaveDialogue, LogEntriesByCommand)
{
    ScratchDir dir;
    struct Case {
        const char* code;
        const char* after;
    };
    const Case cases[] = {
        {"EP", "   after EP command: sparse pattern extended from 2 to 3 lines\r\n"},
        {"OB", "   after OB command: 3 obs lines input by user\r\n"},
        {"ED", "   after ED command: 3 obs lines after edit (previously 2 lines)\r\n"},
        {"SCzero -0.02", "   after SC command: zero -0.02\r\n"},
        {"IM(PX)", "   after Title: Three lines\r\n"},
    };
    write_file("WORK.LOG", "earlier\r\n");
    std::string expected = "earlier\r\n";
    for (const Case& c : cases) {
        std::filesystem::remove("WORK.CDT");
        testing_support::FakeSession fs("\n\n");
        three_lines(fs.s.ds);
        fs.s.ds.Nloaded = 2;
        dataset::save_dataset(fs.s, c.code);
        console::close_all(fs.s.out);
        std::string log = read_file("WORK.LOG");
        EXPECT_TRUE(contains(log, c.after)) << c.code << "\n" << log;
        // Each entry follows an empty line, since the log existed.
        EXPECT_TRUE(contains(log, "\r\n\r\n** Dataset WORK saved by Latticor 2026 v1.00.00, ")) << log;
    }
}

TEST(ReloadCycle, AutomaticSaveWritesOnlyDatasetsWithData)
{
    ScratchDir dir;
    {
        testing_support::FakeSession fs;
        dataset::auto_save(fs.s);
        EXPECT_FALSE(std::filesystem::exists("_RELOAD.CDT"));
        EXPECT_EQ(fs.screen(), "");
        EXPECT_FALSE(fs.s.files.auto_reload);
    }
    {
        testing_support::FakeSession fs;
        fs.s.ds.Ctype = 2;
        fs.s.ds.Dset = "CELL";
        dataset::auto_save(fs.s);
        std::string text = read_file("_RELOAD.CDT");
        EXPECT_TRUE(contains(text, "\"CELL\",0,2,0,")) << text;
        EXPECT_TRUE(contains(text, "saved as _RELOAD on "));
        EXPECT_FALSE(std::filesystem::exists("CELL.LOG"));
        EXPECT_EQ(fs.screen(), "");
    }
}

TEST(ReloadCycle, SuspendedByANameAppend)
{
    const std::string notice =
        "** Automatic save/reload cycle initiated while dataset name-append \"R5\"\n"
        "   request outstanding.  Reload cycle suspended to allow this to be resolved\n"
        "   (*Q can be used to cancel name-append and re-activate the indexing cycle)\n\n";
    // "*Q" cancels the append and the cycle resumes; an end of input inside
    // the suspended save, at the name or later, counts as "*Q".
    for (const char* script : {"*q\n", "", "\n"}) {
        ScratchDir dir;
        testing_support::FakeSession fs(script);
        three_lines(fs.s.ds);
        fs.s.ds.name_append = "R5";
        dataset::auto_save(fs.s);
        EXPECT_EQ(fs.screen().rfind(notice, 0), 0u) << fs.screen();
        EXPECT_TRUE(contains(read_file("_RELOAD.CDT"), "\"WORK\",3,")) << "script " << script;
        EXPECT_TRUE(fs.s.ds.name_append.empty());
    }
    {
        // Saving a file instead ends the cycle: no reload file.
        ScratchDir dir;
        testing_support::FakeSession fs("\n\n\n");
        three_lines(fs.s.ds);
        fs.s.ds.name_append = "R5";
        dataset::auto_save(fs.s);
        EXPECT_TRUE(std::filesystem::exists("WORKR5.CDT"));
        EXPECT_FALSE(std::filesystem::exists("_RELOAD.CDT"));
        EXPECT_EQ(fs.s.ds.Dset, "WORKR5");
    }
}

TEST(ReloadCycle, ReloadOfACellOnlyDatasetWaitsForEnter)
{
    ScratchDir dir;
    write_file("_RELOAD.CDT",
               "\"LATTICOR stamp\"\r\n\"t\"\r\n\"[0,0] x\"\r\n\"MYCELL\",0,1,0,0,0,1.5406,0,0,\"P\"\r\n"
               "4,0,0,0,0,0,0\r\n5,0,0,0,0,0,0\r\n6,0,0,0,0,0,0\r\n90,0,0,0,0,0,0\r\n90,0,0,0,0,0,0\r\n90,0,0,0,0,0,0\r\n");
    testing_support::FakeSession fs("\n\n");
    dataset::auto_reload(fs.s);
    EXPECT_TRUE(contains(fs.screen(), "Dataset \"MYCELL\" reloaded - press ENTER to continue\n")) << fs.screen();
    EXPECT_EQ(fs.s.ds.Dset, "MYCELL");
    EXPECT_EQ(fs.s.ds.prev_name, "MYCELL");
    EXPECT_EQ(fs.s.ds.DD[2], 5);
    EXPECT_FALSE(std::filesystem::exists("_RELOAD.CDT"));
    EXPECT_FALSE(fs.s.files.auto_reload);
}

TEST(Load, AFailedLoadLeavesTheDatasetAsItWas)
{
    ScratchDir dir;
    write_file("BROKEN.CDT", "\"LATTICOR stamp\"\r\n\"Other title\"\r\n\"[1,1] x\"\r\n"
                             "\"BROKEN\",2,0,0,0,0,1.7,0.5,1,\"F\"\r\n111,1,1,1,10,5\r\n222,2");
    testing_support::FakeSession fs("broken\n");
    three_lines(fs.s.ds);
    fs.s.ds.Dset = "MINE";
    fs.s.ds.prev_name = "MINE";
    dataset::LO(fs.s);
    const dataset::Dataset& ds = fs.s.ds;
    EXPECT_TRUE(contains(fs.screen(), "** Failed to read OK[2] in dataset \"BROKEN\" found in directory./ **\n"));
    EXPECT_EQ(ds.Dset, "MINE");
    EXPECT_EQ(ds.Title, "Three lines");
    EXPECT_EQ(ds.Nobs, 3);
    EXPECT_EQ(ds.OQ[1], 1000);
    EXPECT_EQ(ds.W0, 1.5406);
    EXPECT_EQ(ds.Z2Th, 0);
    EXPECT_EQ(ds.Abs, "P");
    EXPECT_EQ(ds.Datestamp, "");
}

TEST(Load, AFileOfAbsurdNumbersIsRefusedWhole)
{
    // Every number reads; the Qmax of 1e308 would have sized CA's loops.
    ScratchDir dir;
    write_file("HUGE.CDT", "\"LATTICOR stamp\"\r\n\"Huge\"\r\n\"[0,0] x\"\r\n"
                           "\"HUGE\",1,1,0,1E308,0,1.5406,0,0,\"P\"\r\n1E3,0,0,0,0,0\r\n");
    testing_support::FakeSession fs("huge\n");
    three_lines(fs.s.ds);
    fs.s.ds.Dset = "MINE";
    dataset::LO(fs.s);
    const dataset::Dataset& ds = fs.s.ds;
    EXPECT_TRUE(contains(fs.screen(), "** Qmax = 1e+308 is out of range (0 to 400000050) **\n\n"
                                      "** Failed to read Qmax in dataset \"HUGE\" found in directory./ **\n"))
        << fs.screen();
    EXPECT_EQ(ds.Dset, "MINE");
    EXPECT_EQ(ds.Qmax, 0.0);
    EXPECT_EQ(ds.Ctype, 0);
    EXPECT_EQ(ds.Title, "Three lines");
}

TEST(Load, OwnFileReloadWithoutAFileReportsTheOpenFailure)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    three_lines(fs.s.ds);
    fs.s.files.auto_reload = true;
    fs.s.files.own_file = true;
    dataset::LO(fs.s);
    EXPECT_TRUE(contains(fs.screen(), "Reloading dataset:\n\n** Failed to open dataset \"WORK\" in directory./"
                                      "  -  Command ignored **\n** In use by another program?  File system problem? **\n"))
        << fs.screen();
    EXPECT_EQ(fs.s.ds.Nobs, 3);  // the edits stay in memory
    EXPECT_FALSE(fs.s.files.auto_reload);
}

TEST(ChangeDirectory, PathsDrivesAndTheStartUpDirectory)
{
    ScratchDir dir;
    testing_support::FakeSession fs("y\ndata\ny\nc:\ny\n0\n");
    fs.s.dirs.startup = "/start";
    dataset::CD(fs.s);
    EXPECT_EQ(fs.s.ds.data_dir, "DATA/");
    EXPECT_EQ(fs.s.files.dir_changed, 1);
    dataset::CD(fs.s);
    EXPECT_EQ(fs.s.ds.data_dir, "C:");
    EXPECT_TRUE(contains(fs.screen(), "Default directory for loading datasets is now C:\n"
                                      "(** indexing runs can only be launched from the start-up directory,\n"
                                      " in this case: /start **)\n"));
    dataset::CD(fs.s);
    EXPECT_EQ(fs.s.ds.data_dir, "");
    EXPECT_EQ(fs.s.files.dir_changed, 0);
    EXPECT_TRUE(contains(fs.screen(), "New directory: 0 (start-up directory)\n"));
}

TEST(VolumeEstimates, RoundingAndRescaleAdvice)
{
    struct Case {
        double d;  // the first three lines all at this d-spacing
        const char* volumes;
        const char* advice;  // "" for none
    };
    const Case cases[] = {
        {3.0, "  if orthorhombic 110    if monoclinic 55    if triclinic 40\n", ""},
        {12.0, "  if orthorhombic 7000    if monoclinic 3500    if triclinic 1750\n",
         "** Estimated cell volume > 5000 A(3) **"},
        {20.0, "  if orthorhombic 30000    if monoclinic 15000    if triclinic 7500\n",
         "** Estimated cell volume > 12000 A(3) **"},
        {50.0, "  if orthorhombic 500000    if monoclinic 250000    if triclinic 125000\n",
         "** Estimated cell volume > 100000 A(3) **"},
    };
    for (const Case& c : cases) {
        testing_support::FakeSession fs;
        fs.s.ds.Nobs = 3;
        for (int i = 1; i <= 3; ++i)
            fs.s.ds.OQ[i] = 10000.0 / (c.d * c.d);
        dataset::volume_estimates(fs.s);
        const std::string& screen = fs.screen();
        EXPECT_TRUE(contains(screen, c.volumes)) << screen;
        if (c.advice[0] != '\0') {
            EXPECT_TRUE(contains(screen, c.advice)) << screen;
        } else {
            EXPECT_FALSE(contains(screen, "rescale-factor"));
        }
    }
    testing_support::FakeSession fs;
    fs.s.ds.Nobs = 3;
    for (int i = 1; i <= 3; ++i)
        fs.s.ds.OQ[i] = 25.0;  // d = 20
    dataset::volume_estimates(fs.s);
    EXPECT_TRUE(contains(fs.screen(), "\n\n** A suggested value for the rescale-factor is 0.2 **\n"));
    // No pattern, or a first line without Q: the lower limit only.
    testing_support::FakeSession none;
    dataset::volume_estimates(none.s);
    EXPECT_TRUE(contains(none.screen(), "  if orthorhombic 40    if monoclinic 40    if triclinic 40\n"));
    testing_support::FakeSession zero;
    zero.s.ds.Nobs = 1;
    dataset::volume_estimates(zero.s);
    EXPECT_TRUE(contains(zero.screen(), "  if orthorhombic 40    "));
}

} // namespace
