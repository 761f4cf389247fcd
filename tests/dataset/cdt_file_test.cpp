// The dataset file: exact written text, round trips, the old form, and what
// the reader does with files of other origin and with broken files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dataset/cdt_file.hpp"
#include "dataset/file_utils.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

using testing_support::read_file;
using testing_support::ScratchDir;
using testing_support::write_file;

const std::string warning = "To use with LATT versions prior to v9.30, delete these first 3 lines";

// A small dataset: two indexed lines with codes, a direct cell, one calculated line.
void fill_small(dataset::Dataset& ds)
{
    ds.Title = "Small test";
    ds.Iflag = 1;
    ds.ikind = 0;
    ds.Nobs = 2;
    ds.OQ[1] = 1017.25;
    ds.OH[1] = 1; ds.OK[1] = 1; ds.OL[1] = 1;
    ds.OT[1] = 28.4421;
    ds.OI[1] = 9;
    ds.OQ[2] = 2712.5;
    ds.OH[2] = 2; ds.OK[2] = -2; ds.OL[2] = 0;
    ds.OT[2] = 47.3;
    ds.OI[2] = -5;
    ds.Ctype = 1;
    ds.DD = {0, 5.43088, 5.43088, 5.43088, 90, 90, 90};
    ds.RR = {0, 0.184132, 0.184132, 0.184132, 90, 90, 90};
    ds.QQ = {0, 339.05, 339.05, 339.05, 0, 0, 0};
    ds.GL = {0, 0, 3, 0, 3, -1, 3};
    ds.Ncalc = 1;
    ds.CQ[1] = 1017.15;
    ds.CH[1] = 1; ds.CK[1] = 1; ds.CL[1] = 1;
    ds.Qmax = 3000;
    ds.Z2Th = -0.012;
}

std::unique_ptr<dataset::Dataset> fresh() { return std::make_unique<dataset::Dataset>(); }

// Reads `text` as a dataset file into a fresh record.
bool read_text(testing_support::FakeSession& fs, const std::string& text, dataset::Dataset& ds)
{
    write_file("IN.CDT", text);
    console::TextFile f;
    EXPECT_EQ(f.open_read("IN.CDT"), 0);
    return dataset::read_dataset(fs.s, ds, f);
}

std::string header(const std::string& flags, const std::string& rest)
{
    return "\"Latticor 1.00.00 dataset, saved as T on 01Jan26 at 10:00:00\"\r\n\"A title\"\r\n\"" +
           flags + warning + "\"\r\n" + rest;
}

// Writes the working dataset as the reload cycle does, into "_RELOAD.CDT".
void save_for_reload(testing_support::FakeSession& fs)
{
    fs.s.files.auto_reload = true;  // keeps the stamp and writes the working name
    console::TextFile f;
    ASSERT_TRUE(dataset::open_write(fs.con, f, "_RELOAD.CDT", 'O'));
    ASSERT_TRUE(dataset::write_dataset(fs.s, fs.s.ds, f, "_RELOAD", dataset::LineSelection::all));
    ASSERT_TRUE(dataset::close_write(fs.con, f));
}

TEST(WriteDataset, ExactText)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    fill_small(fs.s.ds);
    fs.s.ds.Datestamp = "LATTICOR kept stamp";
    save_for_reload(fs);
    std::string want =
        "\"LATTICOR kept stamp\"\r\n"
        "\"Small test\"\r\n"
        "\"[1,0] " + warning + "\"\r\n"
        "\"WORK\",2,1,1,3000.0000000000000,0,1.54060000,-0.0120000000000,0,\"P\"\r\n"
        " 1017.2500000000000,  1,  1,  1, 28.4421000000000,  9\r\n"
        " 2712.5000000000000,  2, -2,  0, 47.3000000000000, -5\r\n"
        "  5.4308800000000,   0.0000000000000,  339.0500000000000,0.1841320000000, 1.0000000000000, 1.0000000000000,  0\r\n"
        "  5.4308800000000,   0.0000000000000,  339.0500000000000,0.1841320000000, 1.0000000000000, 1.0000000000000,  3\r\n"
        "  5.4308800000000,   0.0000000000000,  339.0500000000000,0.1841320000000, 1.0000000000000, 1.0000000000000,  0\r\n"
        " 90.0000000000000,   0.0000000000000,    0.0000000000000,90.0000000000000, 0.0000000000000, 0.0000000000000,  3\r\n"
        " 90.0000000000000,   0.0000000000000,    0.0000000000000,90.0000000000000, 0.0000000000000, 0.0000000000000, -1\r\n"
        " 90.0000000000000,   0.0000000000000,    0.0000000000000,90.0000000000000, 0.0000000000000, 0.0000000000000,  3\r\n"
        " 1017.1500000000000,  1,  1,  1\r\n";
    EXPECT_EQ(read_file("_RELOAD.CDT"), want);
    EXPECT_EQ(fs.screen(), "");
}

TEST(WriteDataset, StampSeparationAndMeasuredIntensities)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    dataset::Dataset& ds = fs.s.ds;
    fill_small(ds);
    ds.Ctype = 0;
    ds.Ncalc = 0;
    ds.ikind = 1;
    ds.Nobs = 3;
    ds.OI[1] = 1234;
    ds.OI[2] = -40.5;  // a fraction of either sign keeps its decimals
    ds.OQ[3] = 3000;
    ds.OI[3] = 17.25;
    ds.included[2] = false;
    console::TextFile f;
    ASSERT_TRUE(dataset::open_write(fs.con, f, "SEP.CDT", 'O'));
    ASSERT_TRUE(dataset::write_dataset(fs.s, ds, f, "SEP", dataset::LineSelection::included));
    ASSERT_TRUE(dataset::close_write(fs.con, f));
    std::string text = read_file("SEP.CDT");
    std::string first = text.substr(0, text.find("\r\n"));
    EXPECT_EQ(first.rfind("\"Latticor 1.00.00 dataset, saved as SEP on ", 0), 0u) << first;
    EXPECT_EQ(ds.Datestamp, first.substr(1, first.size() - 2));
    EXPECT_NE(text.find("\"SEP\",2,0,0,"), std::string::npos);
    EXPECT_NE(text.find(" 1017.2500000000000,  1,  1,  1, 28.4421000000000,        1234\r\n"), std::string::npos);
    EXPECT_NE(text.find(" 3000.0000000000000,  0,  0,  0,  0.0000000000000, 17.25000000\r\n"), std::string::npos);
    EXPECT_EQ(text.find("-40.5"), std::string::npos);

    ASSERT_TRUE(dataset::open_write(fs.con, f, "EXC.CDT", 'O'));
    ASSERT_TRUE(dataset::write_dataset(fs.s, ds, f, "EXC", dataset::LineSelection::excluded));
    ASSERT_TRUE(dataset::close_write(fs.con, f));
    text = read_file("EXC.CDT");
    EXPECT_NE(text.find("\"EXC\",1,0,0,"), std::string::npos);
    EXPECT_NE(text.find(" 2712.5000000000000,  2, -2,  0, 47.3000000000000,-40.50000000\r\n"), std::string::npos);
}

TEST(ReadDataset, RoundTripOfEveryField)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    dataset::Dataset& ds = fs.s.ds;
    fill_small(ds);
    ds.Ctype = 3;
    ds.Gflag = 1;
    ds.Dflag = 1;
    ds.Abs = "R2";
    ds.abs_code = 8;
    ds.set_wavelength(1.78897);
    for (int i = 1; i <= 6; ++i) {
        ds.PP[i] = -12.3456789012345 * i;
        ds.DSC[i] = 0.1234567890123 * i;
        ds.RSC[i] = -0.0987654321098 * i;
    }
    ds.OQ[1] = 1234.5678901234567;
    ds.OT[1] = 123.4567890123456;
    ds.Ncalc = 3;
    for (int i = 1; i <= 3; ++i) {
        ds.CQ[i] = 100.0 * i + 0.0000000000001 * i;
        ds.CH[i] = -i; ds.CK[i] = 2 * i; ds.CL[i] = 10 * i;
    }
    console::TextFile f;
    ASSERT_TRUE(dataset::open_write(fs.con, f, "RT.CDT", 'O'));
    ASSERT_TRUE(dataset::write_dataset(fs.s, ds, f, "RT", dataset::LineSelection::all));
    ASSERT_TRUE(dataset::close_write(fs.con, f));

    auto back = fresh();
    back->Dset = "RT";
    ASSERT_TRUE(dataset::open_read(fs.con, f, "RT.CDT"));
    ASSERT_TRUE(dataset::read_dataset(fs.s, *back, f)) << fs.screen();
    const double tol = 6e-14;
    EXPECT_EQ(back->Datestamp, ds.Datestamp);
    EXPECT_EQ(back->Title, ds.Title);
    EXPECT_EQ(back->Dset, "RT");
    EXPECT_EQ(back->Nobs, 2);
    EXPECT_EQ(back->Ctype, 3);
    EXPECT_EQ(back->Ncalc, 3);
    EXPECT_EQ(back->Qmax, ds.Qmax);
    EXPECT_EQ(back->Gflag, 1);
    EXPECT_EQ(back->W0, 1.78897);
    EXPECT_DOUBLE_EQ(back->K, 1.78897 * 1.78897 / 40000.0);
    EXPECT_EQ(back->Z2Th, ds.Z2Th);
    EXPECT_EQ(back->Dflag, 1);
    EXPECT_EQ(back->Abs, "R2");
    EXPECT_EQ(back->abs_code, 8);
    EXPECT_EQ(back->Iflag, 1);
    EXPECT_EQ(back->ikind, 0);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_NEAR(back->OQ[i], ds.OQ[i], ds.OQ[i] * 1e-16 + 1e-13) << i;
        EXPECT_EQ(back->OH[i], ds.OH[i]);
        EXPECT_EQ(back->OK[i], ds.OK[i]);
        EXPECT_EQ(back->OL[i], ds.OL[i]);
        EXPECT_NEAR(back->OT[i], ds.OT[i], 1e-13);
        EXPECT_EQ(back->OI[i], ds.OI[i]);
        EXPECT_EQ(back->icode[i], static_cast<int>(ds.OI[i]));
    }
    for (int i = 1; i <= 6; ++i) {
        EXPECT_NEAR(back->DD[i], ds.DD[i], tol);
        EXPECT_NEAR(back->PP[i], ds.PP[i], 1e-13);
        EXPECT_NEAR(back->QQ[i], ds.QQ[i], tol);
        EXPECT_NEAR(back->RR[i], ds.RR[i], tol);
        EXPECT_NEAR(back->DSC[i], ds.DSC[i], tol);
        EXPECT_NEAR(back->RSC[i], ds.RSC[i], tol);
        EXPECT_EQ(back->GL[i], ds.GL[i]);
    }
    EXPECT_EQ(back->cell_valid, 1);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(back->CQ[i], ds.CQ[i], 1e-13);
        EXPECT_EQ(back->CH[i], ds.CH[i]);
        EXPECT_EQ(back->CK[i], ds.CK[i]);
        EXPECT_EQ(back->CL[i], ds.CL[i]);
    }
    EXPECT_EQ(fs.screen(), "\n\nTitle:  Small test\n" + ds.Datestamp + "\n");
}

TEST(WriteDataset, DoubleQuotesCannotBreakTheFile)
{
    // A working name given as typed elsewhere may hold a double quote; the
    // reload file written at the end of the run must still read back.
    ScratchDir dir;
    testing_support::FakeSession fs;
    fill_small(fs.s.ds);
    fs.s.ds.Dset = "A\"B";
    fs.s.ds.Title = "say \"hi\"";
    save_for_reload(fs);
    EXPECT_NE(read_file("_RELOAD.CDT").find("\r\n\"say 'hi'\"\r\n"), std::string::npos);

    auto back = fresh();
    console::TextFile f;
    ASSERT_TRUE(dataset::open_read(fs.con, f, "_RELOAD.CDT"));
    ASSERT_TRUE(dataset::read_dataset(fs.s, *back, f)) << fs.screen();
    EXPECT_EQ(back->Dset, "A'B");
    EXPECT_EQ(back->Title, "say 'hi'");
    EXPECT_EQ(back->Nobs, 2);
    EXPECT_EQ(back->Ncalc, 1);
}

TEST(ReadDataset, OldFormAndInferredIntensityFlags)
{
    ScratchDir dir;
    struct Case {
        const char* intensities[3];
        int iflag, ikind;
    };
    const Case cases[] = {
        {{"9", "5", "1"}, 1, 0},           // codes
        {{"0", "5", "1"}, 0, 0},           // no intensity on the first line
        {{"9", "5.5", "1"}, 1, 1},         // a fraction: measured
        {{"100", "60", "10"}, 1, 1},       // above 9: measured
    };
    for (const Case& c : cases) {
        testing_support::FakeSession fs;
        auto ds = fresh();
        std::string text = "\"OLDSET\",3,0,0,0,0,1.5406,0,0,\"P\"\n";
        for (int i = 0; i < 3; ++i)
            text += std::to_string(1000 * (i + 1)) + ",0,0,0,0," + c.intensities[i] + "\n";
        ds->Dset = "OLDSET";
        ASSERT_TRUE(read_text(fs, text, *ds)) << fs.screen();
        EXPECT_EQ(fs.screen(), "\n(LATT dataset saved prior to v9.30 - no stored title)\n");
        EXPECT_EQ(ds->Title, "(No title provided yet)");
        EXPECT_EQ(ds->Iflag, c.iflag) << c.intensities[1];
        EXPECT_EQ(ds->ikind, c.ikind) << c.intensities[1];
    }
    // The 100/60/10 example: measured values on the logarithmic scale.
    testing_support::FakeSession fs;
    auto ds = fresh();
    ds->Dset = "OLDSET";
    ASSERT_TRUE(read_text(fs,
                          "\"OLDSET\",3,0,0,0,0,1.5406,0,0,\"P\"\n"
                          "1000,0,0,0,0,100\n2000,0,0,0,0,60\n3000,0,0,0,0,10\n",
                          *ds));
    EXPECT_EQ(ds->icode[1], 9);
    EXPECT_EQ(ds->icode[2], 7);
    EXPECT_EQ(ds->icode[3], 2);
    EXPECT_EQ(ds->Imax, 100);
}

TEST(ReadDataset, EightCharactersBeginningLattIsAnOldFormName)
{
    ScratchDir dir;
    testing_support::FakeSession fs("n\n");
    auto ds = fresh();
    ASSERT_TRUE(read_text(fs, "\"LATTICE1\",0,0,0,0,0,1.5406,0,0,\"F\"\r\n", *ds)) << fs.screen();
    EXPECT_EQ(ds->Title, "(No title provided yet)");
    EXPECT_EQ(ds->Abs, "F");
    EXPECT_EQ(ds->abs_code, 6);
    EXPECT_EQ(fs.screen(),
              "\n(LATT dataset saved prior to v9.30 - no stored title)\n"
              "\nDo you want to use \"LATTICE1\" as working name instead of \"WORK\"?\n"
              "  (Y/N, default Y): n\n");
    EXPECT_EQ(ds->Dset, "WORK");
}

TEST(ReadDataset, NameCheckAndAutomaticReload)
{
    ScratchDir dir;
    const std::string text = header("[0,0] ", "\"QUARTZ\",0,0,0,0,0,1.5406,0,0,\"P\"\r\n");
    {
        testing_support::FakeSession fs("\n");
        auto ds = fresh();
        ASSERT_TRUE(read_text(fs, text, *ds));
        EXPECT_EQ(ds->Dset, "QUARTZ");
        EXPECT_NE(fs.screen().find("\nDo you want to use \"QUARTZ\" as working name instead of \"WORK\"?\n"
                                   "  (Y/N, default Y): (Yes)  ok\n"),
                  std::string::npos);
    }
    {
        // Automatic reload: no question, both names from the file.
        testing_support::FakeSession fs;
        fs.s.files.auto_reload = true;
        auto ds = fresh();
        ASSERT_TRUE(read_text(fs, text, *ds));
        EXPECT_EQ(ds->Dset, "QUARTZ");
        EXPECT_EQ(ds->prev_name, "QUARTZ");
        EXPECT_EQ(fs.screen().find("Do you want"), std::string::npos);
    }
    {
        // Reloading the dataset's own file keeps the working name.
        testing_support::FakeSession fs;
        fs.s.files.auto_reload = true;
        fs.s.files.own_file = true;
        auto ds = fresh();
        ds->Dset = "MINE";
        ASSERT_TRUE(read_text(fs, text, *ds));
        EXPECT_EQ(ds->Dset, "MINE");
    }
    {
        // A stored name that is a path is not offered as a name.
        testing_support::FakeSession fs;
        auto ds = fresh();
        ASSERT_TRUE(read_text(fs, header("[0,0] ", "\"../X\",0,0,0,0,0,1.5406,0,0,\"P\"\r\n"), *ds));
        EXPECT_EQ(ds->Dset, "WORK");
        EXPECT_EQ(fs.screen().find("Do you want"), std::string::npos);
    }
}

TEST(ReadDataset, OverCapacityLinesAreReadAndDropped)
{
    ScratchDir dir;
    std::string text = header("[0,0] ", "\"WORK\",1200,1,2,0,0,1.5406,0,0,\"P\"\r\n");
    for (int i = 1; i <= 1200; ++i)
        text += std::to_string(100 + i) + ".5,0,0,0,0,0\r\n";
    for (int i = 1; i <= 6; ++i)
        text += (i <= 3 ? "4.5," : "90,") + std::string("0,0,0,0,0,") + std::to_string(i) + "\r\n";
    text += "49.4,1,0,0\r\n98.8,1,1,0\r\n";
    testing_support::FakeSession fs;
    auto ds = fresh();
    ASSERT_TRUE(read_text(fs, text, *ds)) << fs.screen();
    EXPECT_EQ(ds->Nobs, 1000);
    EXPECT_EQ(ds->OQ[1000], 1100.5);
    EXPECT_EQ(ds->DD[3], 4.5);
    EXPECT_EQ(ds->DD[6], 90);
    EXPECT_EQ(ds->GL[6], 6);
    EXPECT_EQ(ds->cell_valid, 1);
    EXPECT_EQ(ds->Ncalc, 2);
    EXPECT_EQ(ds->CQ[2], 98.8);
    EXPECT_EQ(ds->CK[2], 1);
}

TEST(ReadDataset, QFromTwoThetaAndKeptCell)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    auto ds = fresh();
    ds->Ctype = 0;
    ds->DD = {0, 7, 8, 9, 90, 100, 90};
    std::string text = header("[0,0] ", "\"WORK\",3,0,0,0,0,1.5406,0.1,1,\"C\"\r\n") +
                       "0,0,0,0,28.3,0\r\n0,0,0,0,-0.1,0\r\n0,0,0,0,47.2,0\r\n";
    ASSERT_TRUE(read_text(fs, text, *ds)) << fs.screen();
    const double k = 1.5406 * 1.5406 / 40000.0;
    double s1 = std::sin(28.4 / 114.591559), s3 = std::sin(47.3 / 114.591559);
    EXPECT_NEAR(ds->OQ[1], s1 * s1 / k, 1e-9);
    EXPECT_EQ(ds->OQ[2], 0.0);  // 2Theta + zero = 0: no Q
    EXPECT_NEAR(ds->OQ[3], s3 * s3 / k, 1e-9);
    EXPECT_NE(fs.screen().find("  ** Can't calculate valid Qobs from 2theta for line 2 **\n"), std::string::npos);
    EXPECT_EQ(ds->Abs, "C");
    EXPECT_EQ(ds->DD[5], 100);  // Ctype 0: the cell in memory stays
    EXPECT_EQ(ds->cell_valid, 1);
}

TEST(ReadDataset, UndefinedAbsencesFlagIsReportedAndReadingGoesOn)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    auto ds = fresh();
    ASSERT_TRUE(read_text(fs, header("[0,0] ", "\"WORK\",1,0,0,0,0,1.5406,0,0,\"Q\"\r\n1000,0,0,0,0,0\r\n"), *ds));
    EXPECT_EQ(ds->Abs, "P");
    EXPECT_EQ(ds->Nobs, 1);
    EXPECT_NE(fs.screen().find("  ** Undefined absences flag (Q) **\n"), std::string::npos);
}

TEST(ReadDataset, BrokenFilesNameTheFieldThatFailed)
{
    ScratchDir dir;
    struct Case {
        std::string text;
        const char* label;
        const char* reader_line;  // the field reader's own message, "" for none
    };
    const std::string head = "\"WORK\",2,0,0,0,0,1.5406,0,0,\"P\"\r\n";
    const std::vector<Case> cases = {
        {"", "Descr", "** CDTseek encountered EOF **"},
        {header("[0,0] ", head) + "1000,0,0,0,28.4,0\r\n2000,0,0", "OL[2]", "** CDTseek encountered EOF **"},
        {header("[0,0] ", "\"WORK\",5,0,0,0,0,1.5406,0,0,\"P\"\r\n1000,0,0,0,0,0\r\n"), "OQ[2]",
         "** CDTseek encountered EOF **"},
        {header("[0,0] ", "\"WORK\",-3,0,0,0,0,1.5406,0,0,\"P\"\r\n"), "Nobs", ""},
        {header("[0,0] ", "\"WORK\",0,9,0,0,0,1.5406,0,0,\"P\"\r\n"), "Ctype", ""},
        {header("[0,0] ", "\"WORK\",0,0,-1,0,0,1.5406,0,0,\"P\"\r\n"), "Ncalc", ""},
        {header("[0,0] ", "\"WORK\",1,0,0,0,0,abc,0,0,\"P\"\r\n"), "W0",
         "** CDTrdDouble encountered \"a\" (ASCII 97) instead of first char of double **"},
        {header("[0,0] ", "\"WORK,1,0,0,0,0,1.5406,0,0,P\r\n"), "FDset",
         "** CDTrdStr encountered end of line before trailing quotes **"},
        {header("[x,0] ", head), "Vwarn", ""},
        {"\"Latticor 1.00.00 dataset\"\n\"title\n", "Title",
         "** CDTrdStr encountered end of line before trailing quotes **"},
        {header("[0,0] ", "\"WORK\",1,0,0,0,0,1.5406,0,0,\"P\"\n1.5 ,0,0,0,0,0\n"), "OQ[1]",
         "** CDTrdDouble found \" \" (ASCII 32) terminating double \"1.5\" **"},
        {header("[0,0] ", "\"WORK\",99999999999,0,0,0,0,1.5406,0,0,\"P\"\n"), "Nobs",
         "** CDTrdInt: value read \"99999999999\" failed conversion to integer **"},
        // Numbers that read but lie outside what their field can mean.
        {header("[0,0] ", "\"WORK\",2000000,0,0,0,0,1.5406,0,0,\"P\"\n"), "Nobs",
         "** Nobs = 2000000 is out of range (0 to 1000000) **"},
        {header("[0,0] ", "\"WORK\",0,0,0,1E308,0,1.5406,0,0,\"P\"\n"), "Qmax",
         "** Qmax = 1e+308 is out of range (0 to 400000050) **"},
        {header("[0,0] ", "\"WORK\",0,0,0,-5,0,1.5406,0,0,\"P\"\n"), "Qmax",
         "** Qmax = -5 is out of range (0 to 400000050) **"},
        {header("[0,0] ", "\"WORK\",0,0,0,0,2,1.5406,0,0,\"P\"\n"), "Gflag",
         "** Gflag = 2 is out of range (0 to 1) **"},
        {header("[0,0] ", "\"WORK\",0,0,0,0,0,1E308,0,0,\"P\"\n"), "W0",
         "** W0 = 1e+308 is out of range (0.01 to 100) **"},
        {header("[0,0] ", "\"WORK\",0,0,0,0,0,1E-5,0,0,\"P\"\n"), "W0",
         "** W0 = 1e-05 is out of range (0.01 to 100) **"},
        {header("[0,0] ", "\"WORK\",1,0,0,0,0,1.5406,0,0,\"P\"\n1E308,0,0,0,0,0\n"), "OQ[1]",
         "** OQ[1] = 1e+308 is out of range (0 to 400000000) **"},
        {header("[0,0] ", "\"WORK\",1,0,0,0,0,1.5406,0,0,\"P\"\n100,0,-1001,0,0,0\n"), "OK[1]",
         "** OK[1] = -1001 is out of range (-1000 to 1000) **"},
        {header("[0,0] ", "\"WORK\",0,1,0,0,0,1.5406,0,0,\"P\"\n0.2,0,0,0,0,0,0\n"), "DD[1]",
         "** DD[1] = 0.2 is out of range (0.5 to 1000) **"},
        {header("[0,0] ", "\"WORK\",0,1,0,0,0,1.5406,0,0,\"P\"\n1E308,0,0,0,0,0,0\n"), "DD[1]",
         "** DD[1] = 1e+308 is out of range (0.5 to 1000) **"},
        {header("[0,0] ", "\"WORK\",0,1,0,0,0,1.5406,0,0,\"P\"\n5,0,400,0,1,1,-2000\n"), "GL[1]",
         "** GL[1] = -2000 is out of range (-1000 to 1000) **"},
        {header("[0,0] ", "\"WORK\",0,0,1,500,0,1.5406,0,0,\"P\"\n1E300,1,0,0\n"), "CQ[1]",
         "** CQ[1] = 1e+300 is out of range (0 to 400000050) **"},
        {header("[2,0] ", head), "Vwarn", ""},
    };
    for (const Case& c : cases) {
        testing_support::FakeSession fs;
        auto ds = fresh();
        EXPECT_FALSE(read_text(fs, c.text, *ds)) << c.label;
        std::string tail = "\n** Failed to read " + std::string(c.label) +
                           " in dataset \"WORK\" found in directory./ **\n** Command ignored **\n";
        const std::string& screen = fs.screen();
        ASSERT_GE(screen.size(), tail.size()) << c.label;
        EXPECT_EQ(screen.substr(screen.size() - tail.size()), tail) << c.label << "\n" << screen;
        if (c.reader_line[0] != '\0') {
            EXPECT_NE(screen.find(std::string(c.reader_line) + "\n"), std::string::npos) << c.label << screen;
        }
    }
}

TEST(ReadDataset, EdgesOfTheRangesAreAccepted)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    auto ds = fresh();
    // Wavelength 0 (not supplied), Qmax at its top, sides 0 (not given) and
    // 1000, the largest index; a code far beyond 9 stored as a code.
    std::string text = header("[1,0] ", "\"WORK\",2,1,1,400000050,1,0,0,0,\"P\"\n") +
                       "400000000,1000,0,0,0,1E300\n0,0,0,0,20,3\n"
                       "1000,0,0,0,0,0,-1000\n0,0,0,0,0,0,1000\n0.5,0,0,0,0,0,0\n"
                       "90,0,0,0,0,0,0\n90,0,0,0,0,0,0\n90,0,0,0,0,0,0\n"
                       "400000050,-1000,0,0\n";
    ASSERT_TRUE(read_text(fs, text, *ds)) << fs.screen();
    EXPECT_EQ(ds->W0, 0.0);
    EXPECT_EQ(ds->Qmax, 400000050.0);
    EXPECT_EQ(ds->OH[1], 1000);
    EXPECT_EQ(ds->icode[1], 99);
    EXPECT_EQ(ds->icode[2], 3);
    EXPECT_EQ(ds->DD[2], 0.0);
    EXPECT_EQ(ds->cell_valid, 0);
    EXPECT_EQ(ds->GL[1], -1000);
    EXPECT_EQ(ds->CQ[1], 400000050.0);
}

TEST(ReadDataset, LfLineEndsAndExponents)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    auto ds = fresh();
    std::string text = "\"Latticor x dataset\"\n\"t\"\n\"[0,1] x\"\n\"WORK\",2,0,0,0,0,1.5406,0,0,\"P\"\n"
                       "1.5D+03,0,0,0,0,1.5E 3\n2.5E3,0,0,0,0,12.5\n";
    ASSERT_TRUE(read_text(fs, text, *ds)) << fs.screen();
    EXPECT_EQ(ds->OQ[1], 1500);
    EXPECT_EQ(ds->OI[1], 1500);
    EXPECT_EQ(ds->OQ[2], 2500);
    EXPECT_EQ(ds->ikind, 1);
    EXPECT_EQ(ds->icode[1], 9);
}

TEST(WriteCif, Content)
{
    ScratchDir dir;
    testing_support::FakeSession fs;
    dataset::Dataset& ds = fs.s.ds;
    fill_small(ds);
    ds.DD[5] = 118.43;
    console::TextFile f;
    ASSERT_TRUE(dataset::open_write(fs.con, f, "SI.CIF", 'O'));
    ASSERT_TRUE(dataset::write_cif(fs.s, f, "SI", "SI (01Jan26 at 10:00:00) = Small test"));
    ASSERT_TRUE(dataset::close_write(fs.con, f));
    EXPECT_EQ(read_file("SI.CIF"),
              "data_SI\r\n"
              "_pd_block_ID\r\n"
              "'SI (01Jan26 at 10:00:00) = Small test'\r\n"
              "_computing_data_reduction\r\n"
              "'Latticor 1.00.00, 08Dec26'\r\n"
              "_diffrn_radiation_wavelength 1.5406000\r\n"
              "_cell_length_a  5.430880\r\n"
              "_cell_length_b  5.430880\r\n"
              "_cell_length_c  5.430880\r\n"
              "_cell_angle_alpha  90.00000\r\n"
              "_cell_angle_beta  118.43000\r\n"
              "_cell_angle_gamma  90.00000\r\n"
              "loop_\r\n"
              "_pd_proc_d_spacing\r\n"
              "    3.13535088\r\n"
              "    1.92006144\r\n"
              "\r\n");
}

// Parses `file` with the gemmi CIF tool into JSON; empty when it refused.
std::string gemmi_json(const std::string& file)
{
    const std::string json = file + ".json";
    std::filesystem::remove(json);
    if (std::system(("gemmi cif2json " + file + " " + json + " 2>&1").c_str()) != 0)
        return "";
    return read_file(json);
}

TEST(WriteCif, ARealCifParserReadsItWhole)
{
    if (std::system("command -v gemmi > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "gemmi (Debian package gemmi) is not installed: the CIF was not parsed";
    ScratchDir dir;
    struct Case {
        std::string title;
        std::string json;  // how the parser gives the title back
    };
    // Plain; an apostrophe before a blank, which would close single quotes;
    // apostrophes before a letter and at the end, which do not; both quotes
    // before blanks.
    const std::vector<Case> cases = {
        {"SI (01Jan26 at 10:00:00) = Small test", "\"SI (01Jan26 at 10:00:00) = Small test\""},
        {"SI = the Smiths' silicon", "\"SI = the Smiths' silicon\""},
        {"SI = Smith's", "\"SI = Smith's\""},
        {"SI = silicon 'x'", "\"SI = silicon 'x'\""},
        {"SI = 'a' and \"b\" both", "\"SI = 'a' and \\\"b\\\" both\""},
    };
    for (const Case& c : cases) {
        testing_support::FakeSession fs;
        dataset::Dataset& ds = fs.s.ds;
        fill_small(ds);
        // Sides of 100 A and more fill their field: the tag still needs its blank.
        ds.DD = {0, 123.456, 1000, 5.43088, 90, 118.43, 90};
        ds.set_wavelength(100);
        ds.OQ[2] = 0.0;  // no d-spacing: "?"
        console::TextFile f;
        ASSERT_TRUE(dataset::open_write(fs.con, f, "SI.CIF", 'O'));
        ASSERT_TRUE(dataset::write_cif(fs.s, f, "SI", c.title));
        ASSERT_TRUE(dataset::close_write(fs.con, f));
        const std::string json = gemmi_json("SI.CIF");
        ASSERT_FALSE(json.empty()) << c.title << "\n" << read_file("SI.CIF");
        EXPECT_NE(json.find("\"si\": {"), std::string::npos) << json;
        EXPECT_NE(json.find("\"_pd_block_id\": " + c.json + ","), std::string::npos) << json;
        EXPECT_NE(json.find("\"_diffrn_radiation_wavelength\": 100.0000000,"), std::string::npos) << json;
        EXPECT_NE(json.find("\"_cell_length_a\": 123.456000,"), std::string::npos) << json;
        EXPECT_NE(json.find("\"_cell_length_b\": 1000.000000,"), std::string::npos) << json;
        EXPECT_NE(json.find("\"_cell_angle_beta\": 118.43000,"), std::string::npos) << json;
        EXPECT_NE(json.find("\"_pd_proc_d_spacing\": [3.13535088,null]"), std::string::npos) << json;
    }
}

} // namespace
