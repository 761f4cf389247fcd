// The program table of the indexing-run launcher and the direct runs.
#include "indexing/programs.hpp"

#include <array>

namespace indexing {

namespace {

constexpr std::array<Program, 14> programs{{
    {"TP", "TP", "TAUP", " = TAUP", "TPO", "000003", 20, 10},
    {"D1", "DV", "DICVOL91", " = DV mode 1", "D1O", "010000", 20, 10},
    {"D2", "DV", "DICVOL91", " = DV mode 2", "D2O", "010000", 20, 10},
    {"DV", "DV", "DICVOL91", " = DICVOL", "DVO", "010000", 20, 10},
    {"IT", "IT", "ITO12", " = ITO", "ITO", "100000", 40, 20},
    {"FJ", "FJ", "FJZN6", " = FJZN6", "FJO", "200000", 40, 10},
    {"TR", "TR", "TREOR90", " = TREOR", "TRO", "001000", 25, 10},
    {"NT", "NT", "N-TREOR", " = N-TREOR", "", "001000", 25, 10},
    {"KL", "KL", "KOHL", " = KOHL", "KLO", "000100", 30, 10},
    {"LZ", "LZ", "LZON621", " = LZON", "LZO", "9000", 20, 20},
    {"LS", "LS", "LOSHFZRF", " = LOSHFZRF", "LSO", "090000", 20, 10},
    {"MC", "MC", "McMaille", " = McMaille", "MCO", "000004", 20, 10},
    {"MM", "MM", "RIVI", "", "IMP", "", 0, 0},
    {"HM", "HM", "ZORO", "", "PMP", "", 0, 0},
}};

bool family_in(const Program& p, std::initializer_list<std::string_view> families)
{
    for (std::string_view f : families)
        if (p.family == f)
            return true;
    return false;
}

} // namespace

const Program* find_program(std::string_view code)
{
    for (const Program& p : programs)
        if (p.code == code)
            return &p;
    return nullptr;
}

bool uses_del2th(const Program& p) { return family_in(p, {"DV", "TR", "NT", "TP", "LZ", "LS"}); }
bool uses_volmax(const Program& p) { return family_in(p, {"DV", "TR", "NT", "TP"}); }
bool uses_nspuri(const Program& p) { return family_in(p, {"TP", "KL", "LZ", "LS"}); }
bool is_map(const Program& p) { return family_in(p, {"MM", "HM"}); }

double default_del2th(const Program& p, double setting)
{
    if (p.family == "DV")
        return 0.03;
    if (p.family == "TP")
        return 0.04;
    if (p.family == "LZ" || p.family == "LS")
        return 0.06;
    return setting;
}

} // namespace indexing
