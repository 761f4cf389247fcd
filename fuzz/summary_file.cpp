// Fuzz target: the summary-file reader of LC, every line read and listed.
#include <cstdint>
#include <string>

#include "console/textfile.hpp"
#include "fuzz_support.hpp"
#include "indexing/summary.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzzing::input_file("IN.SUM", data, size);
    static testing_support::StringBackend backend("");
    static console::Console con(backend);
    backend.reset("");  // the last run's messages dropped
    console::TextFile f;
    if (f.open_read(path) != 0)
        fuzzing::fail("cannot open", path);
    // Each read moves on by one line at least, so the file has an end.
    for (int seq = 1; !f.at_eof(); ++seq) {
        if (seq > static_cast<int>(size))
            fuzzing::fail("the reader does not move on");
        indexing::SummaryCell cell;
        indexing::SummaryField bad = indexing::read_summary_cell(con, f, cell);
        if (bad == indexing::SummaryField::none && indexing::summary_row(seq, cell).size() < 79)
            fuzzing::fail("a listing row is too short");
    }
    return 0;
}
