// IM: peak lists computed from silicon (a = 5.43088 A, Fd-3m) and from a
// large primitive cubic cell, read through the whole dialogue; failures must
// leave the working dataset as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "dataset/commands.hpp"
#include "dataset/import.hpp"
#include "pattern/pattern_helpers.hpp"
#include "pattern/round_trip.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

using pattern_testing::replies;
using testing_support::FakeSession;
using testing_support::ScratchDir;

constexpr double a_si = 5.43088;
constexpr double cu = 1.5406;
constexpr double pi = 3.14159265358979323846;

struct Peak {
    int n;          // h^2 + k^2 + l^2
    double two_theta;
    double d;
    double intensity;
};

// The reflections of a cubic cell for the given h^2 + k^2 + l^2, with Cu Ka1.
std::vector<Peak> cubic_peaks(double a, const std::vector<int>& ns)
{
    std::vector<Peak> peaks;
    for (int n : ns) {
        double d = a / std::sqrt(n);
        double t = 2.0 * std::asin(cu / (2.0 * d)) * 180.0 / pi;
        peaks.push_back({n, t, d, 1000.0 / n});
    }
    return peaks;
}

std::vector<Peak> silicon() { return cubic_peaks(a_si, {3, 8, 11, 16, 19, 24, 27, 32, 35, 40, 43, 48}); }

double q_of(const Peak& p, double a) { return p.n * 10000.0 / (a * a); }

std::string fixed(double x, int decimals, bool comma = false)
{
    char text[40];
    std::snprintf(text, sizeof text, "%10.*f", decimals, x);
    std::string t = text;
    if (comma)
        for (char& c : t)
            if (c == '.')
                c = ',';
    return t;
}

bool shows(const FakeSession& f, const std::string& text) { return f.screen().find(text) != std::string::npos; }

// A working dataset that a failed import must leave alone.
void three_kept_lines(dataset::Dataset& ds)
{
    ds.Nobs = 3;
    for (int i = 1; i <= 3; ++i) {
        ds.OQ[i] = 1000.0 * i;
        ds.OT[i] = 10.0 * i;
        ds.OI[i] = 5;
    }
    ds.included[2] = false;
    ds.Ctype = 1;
    ds.Title = "Kept";
    ds.Dset = "KEPT";
    ds.set_wavelength(0.7093);
}

void expect_kept(const FakeSession& f)
{
    const dataset::Dataset& ds = f.s.ds;
    EXPECT_EQ(ds.Nobs, 3);
    EXPECT_EQ(ds.OQ[2], 2000.0);
    EXPECT_EQ(ds.OT[3], 30.0);
    EXPECT_FALSE(ds.included[2]);
    EXPECT_EQ(ds.Ctype, 1);
    EXPECT_EQ(ds.Title, "Kept");
    EXPECT_EQ(ds.Dset, "KEPT");
    EXPECT_EQ(ds.W0, 0.7093);
}

// IM on the kept dataset ends with `message` and leaves it as it was.
void expect_refused(const std::string& script, const std::string& message)
{
    FakeSession f(script);
    three_kept_lines(f.s.ds);
    dataset::IM(f.s);
    EXPECT_TRUE(shows(f, message)) << f.screen();
    expect_kept(f);
}

// The ASCII dialogue up to the layout: menu, pause, ready, extension, name.
std::string ascii_start(const char* name) { return replies({"AS", "", "", "", name}); }

} // namespace

TEST(AsciiImport, SiliconWithTitleWavelengthAndIntensities)
{
    ScratchDir dir;
    std::string text = "Silicon \"SRM 640\"\r\n1.5406\r\n";
    for (const Peak& p : silicon())
        text += fixed(p.two_theta, 6) + fixed(p.intensity, 2) + "   0.0800\r\n";
    testing_support::write_file("SI.TXT", text);

    FakeSession f(ascii_start("si") + replies({"y", "", "y", "", "", "", "", "y", "", "", "silicon", "n"}));
    f.s.ds.Ctype = 1;
    f.s.ds.Abs = "F";
    f.s.ds.abs_code = 6;
    f.s.ds.Ncalc = 40;
    f.s.ds.Gflag = 1;
    f.s.ds.GL[2] = 3;
    f.s.ds.set_wavelength(0.7093);
    dataset::IM(f.s);

    const dataset::Dataset& ds = f.s.ds;
    const std::vector<Peak> si = silicon();
    ASSERT_EQ(ds.Nobs, 12) << f.screen();
    for (int i = 1; i <= 12; ++i) {
        EXPECT_NEAR(ds.OQ[i], q_of(si[i - 1], a_si), 1e-6 * ds.OQ[i]) << "line " << i;
        EXPECT_NEAR(ds.OI[i], si[i - 1].intensity, 0.006);
    }
    EXPECT_EQ(ds.W0, cu);
    EXPECT_EQ(ds.Title, "Silicon 'SRM 640'");
    EXPECT_EQ(ds.Dset, "SILICON");
    EXPECT_EQ(ds.prev_name, "WORK");
    EXPECT_EQ(ds.Dflag, 1);
    EXPECT_EQ(f.s.pattern.ob_type, 2);
    // Measured intensities: codes from 9 for 111 down the logarithmic scale.
    EXPECT_EQ(ds.Iflag, 1);
    EXPECT_EQ(ds.ikind, 1);
    EXPECT_EQ(ds.icode[1], 9);
    EXPECT_NEAR(ds.Qmax, ds.OQ[12] + 50.0, 1e-9);
    EXPECT_EQ(ds.Ctype, 0);
    EXPECT_EQ(ds.Abs, "P");
    EXPECT_EQ(ds.abs_code, 1);
    EXPECT_EQ(ds.Ncalc, 0);
    EXPECT_EQ(ds.Gflag, 0);
    EXPECT_EQ(ds.GL[2], 0);
    EXPECT_TRUE(shows(f, "  (converted value = 1.540600)\n"));
    EXPECT_TRUE(shows(f, " 12   158.639    0.783880  16274.2"));
}

TEST(AsciiImport, DSpacingsSeveralPeaksToALineAreOrderedByQ)
{
    ScratchDir dir;
    // Rising d (falling Q), three fields a peak, four peaks a line.
    std::vector<Peak> si = silicon();
    std::string text;
    for (int i = 11; i >= 0; --i)
        text += fixed(si[i].d, 6) + " 10 0.1" + (i % 4 == 0 ? "\n" : " ");
    testing_support::write_file("SID.DAT", text);
    FakeSession f(replies({"AS", "", "", "dat", "sid", "n", "n", "", "n", "d", "", "3", "sid", "n"}));
    dataset::IM(f.s);
    const dataset::Dataset& ds = f.s.ds;
    ASSERT_EQ(ds.Nobs, 12) << f.screen();
    EXPECT_TRUE(shows(f, "Observed pattern needed sorting into ascending order of Q\n"));
    for (int i = 1; i <= 12; ++i)
        EXPECT_NEAR(ds.OQ[i], q_of(si[i - 1], a_si), 1e-5 * ds.OQ[i]) << "line " << i;
    EXPECT_NEAR(ds.OT[1], si[0].two_theta, 1e-5);
    EXPECT_EQ(f.s.pattern.ob_type, 4);
    EXPECT_EQ(ds.Iflag, 0);
    EXPECT_EQ(ds.Title, dataset::default_title);
}

TEST(AsciiImport, MoreThanAThousandPeaksYieldTheFirstThousand)
{
    ScratchDir dir;
    // A primitive cubic cell of 60 A: every h^2+k^2+l^2 except 4^a(8b+7).
    std::vector<int> ns;
    for (int n = 1; ns.size() < 1005; ++n) {
        int m = n;
        while (m % 4 == 0)
            m /= 4;
        if (m % 8 != 7)
            ns.push_back(n);
    }
    std::vector<Peak> peaks = cubic_peaks(60.0, ns);
    std::string text;
    for (const Peak& p : peaks)
        text += fixed(p.two_theta, 6) + "\n";
    testing_support::write_file("BIG.TXT", text);
    // One page pause, answered F.
    FakeSession f(ascii_start("big") + replies({"n", "n", "", "", "", "", "", "f", "big", "n"}));
    dataset::IM(f.s);
    ASSERT_EQ(f.s.ds.Nobs, 1000) << f.screen();
    EXPECT_NEAR(f.s.ds.OQ[1000], q_of(peaks[999], 60.0), 1e-5 * f.s.ds.OQ[1000]);
    EXPECT_TRUE(shows(f, "** Only the first 1000 peaks have been read **\n"));
    EXPECT_EQ(testing_support::count_of(f.screen(), "Type ENTER to continue or F"), 1);
}

TEST(AsciiImport, FailuresLeaveTheWorkingDatasetAlone)
{
    struct Case {
        const char* file;
        const char* layout;   // T: title line 1, I: intensities
        const char* message;
    };
    const Case cases[] = {
        {"28.4427 100\n47.3034,55\n", "I", "** Error while reading 2Theta from line 2 of BAD.TXT **\n"},
        {"28.4427 100\n47.3034 x55\n", "I", "** Error while reading intensity from line 2 of BAD.TXT **\n"},
        {"", "", "** No peaks could be read from BAD.TXT **\n"},
        {"", "T", "** Error while reading title from line 1 of BAD.TXT **\n"},
        {"28.4427\n0\n", "", "** Can't calculate a d-spacing for line 2 **\n"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        testing_support::write_file("BAD.TXT", c.file);
        const bool title = std::string(c.layout) == "T";
        const bool intensity = std::string(c.layout) == "I";
        expect_refused(ascii_start("bad") + replies({title ? "y" : "n"}) + (title ? replies({"1"}) : "") +
                           replies({"n", "", "", "", intensity ? "y" : "n", ""}),
                       c.message);
    }
}

TEST(ImportName, AskedAgainWhenEmptyTooLongOrAPath)
{
    ScratchDir dir;
    testing_support::write_file("SI.TXT", "28.4427\n47.3034\n");
    FakeSession f(ascii_start("si") +
                  replies({"n", "n", "", "", "", "", "", "", "ABCDEFGHI", "a/b", "abcdefgh", "n"}));
    dataset::IM(f.s);
    EXPECT_EQ(testing_support::count_of(f.screen(), "What is the working name for this new dataset"), 4);
    EXPECT_TRUE(shows(f, "** A dataset name has at most 8 characters **\n"));
    EXPECT_EQ(f.s.ds.Dset, "ABCDEFGH");
    EXPECT_EQ(f.s.ds.Nobs, 2);
}

namespace {

void write_powderx(const std::string& name, const std::vector<Peak>& peaks, const std::string& after = "")
{
    std::string text = "    2Theta         d    Height      Area      FWHM\r\n";
    for (const Peak& p : peaks)
        text += fixed(p.two_theta, 4, true) + fixed(p.d, 5, true) + fixed(p.intensity * 8, 1, true) +
                fixed(p.intensity * 10, 1, true) + fixed(0.08, 4, true) + "\r\n";
    testing_support::write_file(name, text + after);
}

// The interpreter stands in for the DOS commands that the platform runs for
// IM ("DIR"), and runs every other command.
struct Shell {
    explicit Shell(const ScratchDir& dir) : path(dir.dir() + "shell")
    {
        testing_support::write_file(path, "#!/bin/sh\ncase \"$2\" in DIR*) exit 0;; esac\nexec /bin/sh -c \"$2\"\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        const char* v = std::getenv("COMSPEC");
        had = v != nullptr;
        if (had)
            old = v;
        ::setenv("COMSPEC", path.c_str(), 1);
    }
    ~Shell()
    {
        if (had)
            ::setenv("COMSPEC", old.c_str(), 1);
        else
            ::unsetenv("COMSPEC");
    }
    std::string path, old;
    bool had = false;
};

} // namespace

TEST(PowderXImport, DecimalCommasAndTheCpiFile)
{
    ScratchDir dir;
    Shell shell(dir);
    std::vector<Peak> si = silicon();
    // A 2Theta of 0 closes the list; the line after it is not read.
    write_powderx("SIPX.TXT", si, fixed(0, 4, true) + "\r\n" + fixed(150, 4, true) + "\r\n");
    testing_support::write_file("SIPX.CPI", "PowderX\n2\n160\n0.02\nCu\n1.5406\n08-Dec-26\n12\nSilicon\n");
    FakeSession f(replies({"PX", "", "sipx", "", "sipx", "", "", "si", "n"}));
    dataset::IM(f.s);
    const dataset::Dataset& ds = f.s.ds;
    ASSERT_EQ(ds.Nobs, 12) << f.screen();
    for (int i = 1; i <= 12; ++i) {
        EXPECT_NEAR(ds.OQ[i], q_of(si[i - 1], a_si), 1e-5 * ds.OQ[i]);
        EXPECT_NEAR(ds.OI[i], si[i - 1].intensity * 10, 0.06);  // the peak area
    }
    EXPECT_EQ(ds.Title, "Silicon (08-Dec-26)");
    EXPECT_EQ(ds.W0, cu);
    EXPECT_EQ(ds.ikind, 1);
    EXPECT_EQ(f.s.pattern.ob_type, 1);
    EXPECT_TRUE(shows(f, "  1.5406          (Wavelength read as 1.540600)\n"));
    EXPECT_TRUE(shows(f, "  1    28.443   3.13552    2666.7    3333.3    0.0800\n"));
}

TEST(PowderXImport, FailuresLeaveTheWorkingDatasetAlone)
{
    ScratchDir dir;
    Shell shell(dir);
    std::vector<Peak> si = silicon();
    write_powderx("SIPX.TXT", si, "   150,000      1,00     x1,0\r\n");
    testing_support::write_file("SHORT.CPI", "PowderX\n2\n160\n0.02\nCu\n1.5406\n08-Dec-26\n12\n");
    struct Case {
        std::string script;
        const char* message;
    };
    const Case cases[] = {
        // The wavelength typed; the bad height field after the 12 peaks.
        {replies({"PX", "", "sipx", "n", "", "0", "1.5406"}),
         "** Error while reading peak height from line 14 of SIPX.TXT **\n"},
        {replies({"PX", "", "sipx", "y", "missing", "short"}),
         "** Error while reading title from line 9 of SHORT.CPI **\n"},
    };
    for (const Case& c : cases)
        expect_refused(c.script, c.message);
}

TEST(PowderXImport, MissingCpiFileIsAskedAgain)
{
    ScratchDir dir;
    Shell shell(dir);
    write_powderx("SIPX.TXT", silicon());
    FakeSession f(replies({"PX", "", "sipx", "y", "nocpi", ""}));
    dataset::IM(f.s);
    EXPECT_TRUE(shows(f, "**  No .CPI file \"NOCPI.CPI\" found in directory ./ **\n"));
    EXPECT_EQ(f.s.ds.Nobs, 0);
}

namespace {

// Waits for a file that a program started without waiting writes.
std::string wait_for(const std::string& path)
{
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return testing_support::read_file(path);
}

} // namespace

TEST(Converters, StartedFromTheHomeDirectoryOrReportedMissing)
{
    ScratchDir dir;
    Shell shell(dir);
    dir.touch("home/.keep");
    const std::string recorder = "#!/bin/sh\necho \"$@\" > " + dir.dir() + "args.txt\n";
    dir.touch("home/eva2latt", recorder);
    std::filesystem::permissions(dir.dir() + "home/eva2latt", std::filesystem::perms::owner_all);
    dir.touch("-SCAN.DIF");
    dir.touch("SI.CDT");

    // EVA: the input name, an existing dataset refused once, then overwritten.
    FakeSession f(replies({"EV", "-scan", "si", "n", "si", "y", "n"}));
    f.s.dirs.home = dir.dir() + "home/";
    dataset::IM(f.s);
    EXPECT_EQ(wait_for(dir.dir() + "args.txt"), "./-SCAN SI\n") << f.screen();
    EXPECT_TRUE(shows(f, "so hopefully the\n"));

    // UDI2Latt is not installed.
    FakeSession u(replies({"UD"}));
    u.s.dirs.home = dir.dir() + "home/";
    dataset::IM(u.s);
    EXPECT_TRUE(shows(u, "** Conversion program " + dir.dir() + "home/UDI2LATT is not installed **\n"
                         "Failed to run format conversion program, so there seems to be a problem...\n"))
        << u.screen();
}

TEST(ImportRanges, AWavelengthLineOutOfRangeKeepsTheOneInForce)
{
    // 0.001 A would give Q values no dataset file reads back; 200 A is
    // beyond the longest. Either way the pattern comes in at CuKa1.
    for (const char* wavelength : {"0.001", "200"}) {
        ScratchDir dir;
        testing_support::write_file("WL.TXT", std::string(wavelength) + "\n28.4427\n47.3034\n");
        FakeSession f(ascii_start("wl") + replies({"n", "y", "", "", "", "", "", "", "wl", "n"}));
        dataset::IM(f.s);
        ASSERT_EQ(f.s.ds.Nobs, 2) << f.screen();
        EXPECT_TRUE(shows(f, " A lies outside the range 0.01 to 100 A **\n")) << f.screen();
        EXPECT_EQ(f.s.ds.W0, cu);
        const testing_support::Reload back = testing_support::save_and_reload(f);
        EXPECT_TRUE(back.ok) << back.messages;
    }
}

TEST(ImportRanges, ACpiWavelengthOutOfRangeIsTypedUntilItFits)
{
    ScratchDir dir;
    Shell shell(dir);
    write_powderx("SIPX.TXT", silicon());
    testing_support::write_file("SIPX.CPI", "PowderX\n2\n160\n0.02\nCu\n150\n08-Dec-26\n12\nSilicon\n");
    FakeSession f(replies({"PX", "", "sipx", "", "sipx", "", "0.005", "0.7093", "si", "n"}));
    dataset::IM(f.s);
    ASSERT_EQ(f.s.ds.Nobs, 12) << f.screen();
    EXPECT_TRUE(shows(f, "(Wavelength read as 150.000000)\n"
                         "** Wavelength 150.000000 A lies outside the range 0.01 to 100 A **\n"));
    EXPECT_TRUE(shows(f, "Please type in the wavelength (default=1.540600): 0.005\n"
                         "** Wavelength 0.005000 A lies outside the range 0.01 to 100 A **\n"));
    EXPECT_EQ(f.s.ds.W0, 0.7093);
    EXPECT_TRUE(testing_support::save_and_reload(f).ok);
}

TEST(ImportRanges, APeakWhoseQNoFileHoldsFailsTheImport)
{
    // A wavelength that never passed the questions: 90 degrees at 0.005 A
    // is Q = 8e8.
    FakeSession f;
    dataset::Import im(f.s.ds);
    im.ds->set_wavelength(0.005);
    im.add_peak(30.0, 0.0);
    im.add_peak(90.0, 0.0);
    EXPECT_FALSE(dataset::finish_import(f.s, im));
    EXPECT_EQ(im.error.substr(0, 23), "Q of line 2 (800000000.") << im.error;
    EXPECT_EQ(im.error.substr(26), " QU.) lies above 400000000 QU.") << im.error;
}
