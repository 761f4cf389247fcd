// Fuzz target: the basis-set list of an LZON run, listed and one set chosen.
#include <cstdint>
#include <memory>
#include <string>

#include "control/session.hpp"
#include "fuzz_support.hpp"
#include "indexing/basis_sets.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static testing_support::StringBackend backend("");
    static console::Console con(backend);
    static control::Session s(con);
    static const auto pristine = std::make_unique<dataset::Dataset>();

    fuzzing::input_file("WORK.LZB", data, size);
    s.ds = *pristine;
    s.ds.data_dir = fuzzing::scratch_dir();
    s.ds.Dset = "WORK";
    // The set asked for varies with the input; Q ends the question when that
    // set does not exist, so the replies never run out.
    backend.reset(std::to_string(size % 22) + "\nQ\n");
    indexing::BasisSet chosen;
    if (indexing::load_basis_set(s, chosen) && (chosen.seq < 1 || chosen.seq > indexing::max_basis_sets))
        fuzzing::fail("a set chosen outside the list");
    return 0;
}
