// The QDAT input file: the parameter line of every program, the 2Theta
// format, the intensities written and the file as a whole.
#include <gtest/gtest.h>

#include "dataset/file_utils.hpp"
#include "indexing/qdat.hpp"
#include "support.hpp"
#include "support/fake_console.hpp"

namespace {

using indexing::RunParameters;
using namespace indexing_tests;

const std::string b10(10, ' ');
const std::string b5(5, ' ');
// string10 of the wavelength 1.5406: one integer digit, seven decimals.
const std::string w0 = " 1.5406000";
const std::string zero = " 0.0000000";

struct QdatTest : ::testing::Test {
    testing_support::FakeSession f;
    RunParameters p;

    void program(const char* code)
    {
        p = RunParameters{};
        p.program = indexing::find_program(code);
        ASSERT_NE(p.program, nullptr);
        p.del2th = indexing::default_del2th(*p.program, 0.04);
        p.volmax = indexing::uses_volmax(*p.program) ? 6000.0 : 0.0;
    }
    std::string line() { return indexing::parameter_line(f.con, p, f.s.ds); }
};

TEST_F(QdatTest, ParameterLineOfEachProgram)
{
    fill_pattern(f.s.ds, 25);

    program("IT");
    EXPECT_EQ(line(), "11 0100000" + b10 + w0 + b10 + b10 + b10 + b5 + zero + "  ");

    program("TR");
    EXPECT_EQ(line(), "11 0001000" + std::string(" 0.0400000") + w0 + b10 + b10 + " 6000.0000" +
                          b5 + zero + "  ");

    program("DV");
    p.dicvol_mode = 2;
    p.volmin = 250.0;
    EXPECT_EQ(line(), "12 0010000" + std::string(" 0.0300000") + w0 + b10 + " 250.00000" +
                          " 6000.0000" + b5 + zero + "  ");

    program("TP");
    p.nspuri = 3;
    p.taup_monoclinic = true;
    EXPECT_EQ(line(), "11 3000003" + std::string(" 0.0400000") + w0 + b10 + b10 + " 6000.0000" +
                          b5 + zero + "  " + "M  ");
    p.taup_monoclinic = false;
    p.taup_all_solutions = true;
    EXPECT_EQ(line().substr(line().size() - 3), " X ");

    program("KL");
    p.nspuri = 1;
    p.iort = 'O';
    EXPECT_EQ(line(), "11 1000100" + b10 + w0 + b10 + b10 + b10 + b5 + zero + "  O");

    program("LZ");
    p.nspuri = 2;
    p.dichotomy = 18;
    p.zones = 12;
    p.zone_measure = 'C';
    EXPECT_EQ(line(), "11 2900018" + std::string(" 0.0600000") + w0 + b10 + b10 + b10 + "   12" +
                          zero + " 1");

    program("MC");
    p.ngrid = 4;
    EXPECT_EQ(line(), "11 0000004" + b10 + w0 + b10 + b10 + b10 + b5 + zero + "4 ");

    program("LS");
    EXPECT_EQ(line(), "11 0090000" + std::string(" 0.0600000") + w0 + b10 + b10 + b10 + b5 +
                          zero + "  ");
}

TEST_F(QdatTest, ParameterLineFollowsThePatternAndSettings)
{
    fill_pattern(f.s.ds, 25, 0);
    f.s.ds.Z2Th = -0.0125;
    f.s.ds.set_wavelength(0.70930);
    program("IT");
    std::string text = line();
    EXPECT_EQ(text[1], '0') << "no intensities";
    EXPECT_EQ(text.substr(20, 10), " 0.7093000");
    EXPECT_EQ(text.substr(65, 10), "-0.0125000");

    // DICVOL writes its mode, not the intensity flag.
    program("DV");
    p.dicvol_mode = 3;
    EXPECT_EQ(line()[1], '3');

    // A volume limit of 0 leaves its field blank.
    program("TR");
    p.volmax = 0.0;
    EXPECT_EQ(line().substr(50, 10), b10);
}

TEST(QdatTwoTheta, SixDecimalsBelowAHundredFiveFromThere)
{
    EXPECT_EQ(indexing::two_theta_text(45.0), " 45.000000");
    EXPECT_EQ(indexing::two_theta_text(100.0), " 100.00000");
    EXPECT_EQ(indexing::two_theta_text(99.9999995), " 100.00000");
    EXPECT_EQ(indexing::two_theta_text(99.9999994), " 99.999999");
    EXPECT_EQ(indexing::two_theta_text(5.25), "  5.250000");
}

TEST_F(QdatTest, MeasuredIntensitiesRescaledToAHundred)
{
    fill_pattern(f.s.ds, 25, 1, 1);  // 1000 / i
    program("TR");
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 1, 1000.0), 100);
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 3, 1000.0), 33);
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 8, 1000.0), 13);  // 12.5 rounds up
    // Intensities near the largest double are scaled without overflow.
    f.s.ds.OI[2] = 1.5e308;
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 2, 1.5e308), 100);
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 1, 1.5e308), 0);
    // ITO and LZON cannot take three digits.
    program("IT");
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 1, 1000.0), 99);
    program("LZ");
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 1, 1000.0), 99);
}

TEST_F(QdatTest, IntensityCodesAndMcMailleModes)
{
    fill_pattern(f.s.ds, 25);  // codes 1..9
    program("KL");
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 4, 9.0), 4);
    program("MC");
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 4, 9.0), 40);
    p.unit_intensities = true;
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 4, 9.0), 100);
    // A code of 10 * 10 is a real 100 for ITO only.
    f.s.ds.icode[4] = 100;
    program("IT");
    EXPECT_EQ(indexing::intensity_value(p, f.s.ds, 4, 9.0), 99);
}

TEST_F(QdatTest, LineSelection)
{
    fill_pattern(f.s.ds, 25);
    program("MC");
    p.lines = 10;
    f.s.ds.icode[2] = 0;
    f.s.ds.icode[5] = -3;
    indexing::LineSelection sel;
    indexing::select_lines(p, f.s.ds, sel);
    ASSERT_EQ(sel.count, 8);
    EXPECT_EQ(sel.line[2], 3);
    EXPECT_EQ(sel.line[4], 6);

    // In unit mode every line goes.
    p.unit_intensities = true;
    indexing::select_lines(p, f.s.ds, sel);
    EXPECT_EQ(sel.count, 10);

    // A line typed as Q gets its angle from Q; one beyond the wavelength
    // limit cannot be written.
    program("IT");
    p.lines = 100;  // more than observed
    f.s.ds.OT[1] = 0.0;
    f.s.ds.OT[2] = 0.0;
    f.s.ds.OQ[2] = 1.0e6;
    indexing::select_lines(p, f.s.ds, sel);
    ASSERT_EQ(sel.count, 24);
    EXPECT_EQ(sel.line[1], 1);
    EXPECT_NEAR(sel.two_theta[1], 10.0, 1e-9);
    EXPECT_EQ(sel.line[2], 3);
}

TEST_F(QdatTest, WholeLoshfzrfFile)
{
    ScratchDirectory dir;
    fill_pattern(f.s.ds, 3, 1, 1);  // 1000, 500, 333.3
    program("LS");
    p.lines = 3;
    p.nspuri = 1;
    p.basis = {123.4567, 98.7, 45.0, -12.5};
    p.lrectan = true;
    p.fmineq = 0.5;
    indexing::LineSelection sel;
    indexing::select_lines(p, f.s.ds, sel);
    console::TextFile file;
    ASSERT_TRUE(dataset::open_write(f.con, file, "T.QLS", 'O'));
    ASSERT_TRUE(indexing::write_qdat(f.con, file, p, f.s.ds, "T = a title", sel));
    ASSERT_TRUE(dataset::close_write(f.con, file));
    std::string expected = "T = a title\r\n" + indexing::parameter_line(f.con, p, f.s.ds) +
                           "\r\n"
                           "  123.45670   98.70000   45.00000  -12.50000    1.54060\r\n"
                           "  3  0  1  1 0.50\r\n"
                           "CONT\r\n"
                           " 10.000000100\r\n"
                           " 12.000000 50\r\n"
                           " 14.000000 33\r\n"
                           "\r\n";
    EXPECT_EQ(read_file("T.QLS"), expected);
}

} // namespace
