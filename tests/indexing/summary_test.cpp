// Summary files: the summary-line writer's columns and heading, and the
// reader LC uses on good and bad lines.
#include <gtest/gtest.h>

#include "console/textfile.hpp"
#include "indexing/summary.hpp"
#include "support.hpp"
#include "support/fake_console.hpp"

namespace {

using namespace indexing_tests;

indexing::SummaryRecord quartz_like()
{
    indexing::SummaryRecord r;
    r.i20 = 20;
    r.merit = 123.456;
    r.volume = 113.0125;
    r.volume_ratio = 1.0;
    r.bravais = "P";
    r.program = "Mmap";
    r.date = "08Dec26";
    r.time = "12:34:56";
    r.pedigree = 3;
    r.cell = {4.9134, 4.9134, 5.4052, 90.0, 90.0, 120.0};
    r.q = {552.14, 552.14, 342.28, 0.0, 0.0, 552.14};
    r.description = "Quartz test run";
    return r;
}

// Columns counted from 1, as the file layout names them.
std::string cols(const std::string& line, int first, int last)
{
    return line.substr(first - 1, last - first + 1);
}

TEST(SummaryWriter, FieldsStandInTheirColumns)
{
    std::string line = indexing::summary_line(quartz_like(), false);
    EXPECT_EQ(line.size(), 177u);
    EXPECT_EQ(cols(line, 1, 2), "20");
    EXPECT_EQ(cols(line, 3, 10), "  123.46");
    EXPECT_EQ(cols(line, 11, 21), "    113.013");  // 113.0125 rounds away from zero
    EXPECT_EQ(cols(line, 22, 27), "  1.00");
    EXPECT_EQ(cols(line, 28, 30), " P ");
    EXPECT_EQ(cols(line, 31, 43), "        Mmap ");
    EXPECT_EQ(cols(line, 44, 51), "08Dec26 ");
    EXPECT_EQ(cols(line, 52, 59), "12:34:56");
    EXPECT_EQ(cols(line, 60, 66), "      3");
    EXPECT_EQ(cols(line, 67, 75), "   4.9134");
    EXPECT_EQ(cols(line, 85, 93), "   5.4052");
    EXPECT_EQ(cols(line, 94, 101), "  90.000");
    EXPECT_EQ(cols(line, 110, 117), " 120.000");
    EXPECT_EQ(cols(line, 118, 127), "  552.1400");
    EXPECT_EQ(cols(line, 168, 177), "  552.1400");

    // A perfect fit's merit does not push the later columns out of place.
    indexing::SummaryRecord perfect = quartz_like();
    perfect.merit = 9.999999e37;
    line = indexing::summary_line(perfect, false);
    EXPECT_EQ(line.size(), 177u);
    EXPECT_EQ(cols(line, 3, 10), "99999.99");
    EXPECT_EQ(cols(line, 67, 75), "   4.9134");
}

TEST(SummaryWriter, DescriptionProgramAndLetter)
{
    indexing::SummaryRecord r = quartz_like();
    r.program = "A-very-long-program-name";
    r.bravais = "";
    std::string line = indexing::summary_line(r, true);
    EXPECT_EQ(cols(line, 31, 42), "A-very-long-");
    EXPECT_EQ(cols(line, 29, 29), "P");
    EXPECT_EQ(line.substr(177), " Quartz test run");
    r.description = "   ";
    EXPECT_EQ(indexing::summary_line(r, true).substr(177), " No title supplied");
}

TEST(SummaryWriter, HeadingsSpanTheRecord)
{
    std::string with = indexing::summary_heading(true);
    std::string without = indexing::summary_heading(false);
    EXPECT_EQ(without.size(), 177u) << "the plain heading spans the record columns";
    // The description column stands where a record's description begins.
    EXPECT_EQ(with.substr(0, 175), without.substr(0, 175));
    EXPECT_EQ(with.substr(175, 15), "   Description ");

    testing_support::FakeSession f;
    indexing::write_summary_line(f.con, true, false, quartz_like());
    indexing::write_summary_line(f.con, false, false, quartz_like());
    EXPECT_EQ(f.screen(), without + "\n" + indexing::summary_line(quartz_like(), false) + "\n");
}

TEST(SummaryReader, BadFieldsAreNamedAndTheNextLineStillReads)
{
    ScratchDirectory dir;
    std::string good = indexing::summary_line(quartz_like(), false);
    std::string bad_volume = good;
    bad_volume.replace(11, 10, "  12x.4567");
    std::string bad_angle = good;
    bad_angle.replace(102, 8, "  ab.cde");
    write_file("B.SUM", "xx" + good.substr(2) + "\r\n" + bad_volume + "\r\n" + bad_angle +
                            "\r\n" + good.substr(0, 30) + "\r\n" + good + "\r\n");
    testing_support::FakeSession f;
    console::TextFile file;
    ASSERT_EQ(file.open_read("B.SUM"), 0);
    indexing::SummaryCell cell;
    EXPECT_EQ(indexing::read_summary_cell(f.con, file, cell), indexing::SummaryField::i20);
    EXPECT_EQ(indexing::read_summary_cell(f.con, file, cell), indexing::SummaryField::volume);
    EXPECT_EQ(indexing::read_summary_cell(f.con, file, cell), indexing::SummaryField::beta);
    // A line that stops after the lattice letter reads as a cell of zeros.
    EXPECT_EQ(indexing::read_summary_cell(f.con, file, cell), indexing::SummaryField::none);
    EXPECT_EQ(cell.cell[0], 0.0);
    ASSERT_EQ(indexing::read_summary_cell(f.con, file, cell), indexing::SummaryField::none);
    EXPECT_DOUBLE_EQ(cell.cell[0], 4.9134);
    EXPECT_DOUBLE_EQ(cell.cell[5], 120.0);
    EXPECT_STREQ(indexing::field_group(indexing::SummaryField::beta), "cell angles");
}

} // namespace
