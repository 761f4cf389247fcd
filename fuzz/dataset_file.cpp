// Fuzz target: the dataset file reader, and its round trip: a file that reads
// must write and read back to the same dataset, so that writing it once more
// gives the very same text.
#include <cstdint>
#include <memory>
#include <string>

#include "console/textfile.hpp"
#include "dataset/cdt_file.hpp"
#include "fuzz_support.hpp"
#include "support/fake_console.hpp"

namespace {

using testing_support::FakeSession;

// Writes the session's dataset as the reload cycle does (the datestamp kept,
// so that two writes can be compared) and returns the text written.
std::string write_out(FakeSession& f, const std::string& name)
{
    const std::string path = fuzzing::scratch_dir() + name;
    console::TextFile out;
    if (out.open_create(path) != 0)
        fuzzing::fail("cannot create", path);
    if (!dataset::write_dataset(f.s, f.s.ds, out, "_RELOAD", dataset::LineSelection::all))
        fuzzing::fail("write failed", f.screen());
    out.close();
    return testing_support::read_file(path);
}

bool read_in(FakeSession& f, const std::string& path)
{
    console::TextFile in;
    if (in.open_read(path) != 0)
        fuzzing::fail("cannot open", path);
    return dataset::read_dataset(f.s, f.s.ds, in);
}

// What the writer keeps exactly, beyond the numbers it rounds.
void expect_same(const dataset::Dataset& a, const dataset::Dataset& b)
{
    bool same = a.Nobs == b.Nobs && a.Ctype == b.Ctype && a.Ncalc == b.Ncalc && a.Title == b.Title &&
                a.Dset == b.Dset && a.Abs == b.Abs && a.Iflag == b.Iflag && a.ikind == b.ikind &&
                a.Gflag == b.Gflag && a.Dflag == b.Dflag;
    for (int i = 1; same && i <= a.Nobs; ++i)
        same = a.OH[i] == b.OH[i] && a.OK[i] == b.OK[i] && a.OL[i] == b.OL[i];
    for (int i = 1; same && i <= a.Ncalc; ++i)
        same = a.CH[i] == b.CH[i] && a.CK[i] == b.CK[i] && a.CL[i] == b.CL[i];
    if (!same)
        fuzzing::fail("the dataset read back differs");
}

// The sessions live for the whole process (a dataset is large) and start
// every run afresh.
FakeSession& fresh_session(int which)
{
    static FakeSession sessions[2];
    static const auto pristine = std::make_unique<dataset::Dataset>();
    FakeSession& f = sessions[which];
    f.s.ds = *pristine;
    f.s.files = dataset::FilesState{};
    f.s.files.auto_reload = true;  // no questions: the name stored is taken
    f.clear_screen_text();
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzzing::input_file("IN.CDT", data, size);
    FakeSession& first = fresh_session(0);
    if (!read_in(first, path))
        return 0;
    const std::string text1 = write_out(first, "OUT1.CDT");

    FakeSession& second = fresh_session(1);
    if (!read_in(second, fuzzing::scratch_dir() + "OUT1.CDT"))
        fuzzing::fail("a written dataset does not read back", second.screen());
    expect_same(first.s.ds, second.s.ds);
    const std::string text2 = write_out(second, "OUT2.CDT");
    if (text1 != text2)
        fuzzing::fail("writing the dataset read back gives another text", text1 + "\n----\n" + text2);
    return 0;
}
