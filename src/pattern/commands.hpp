// The pattern settings commands.
#pragma once

namespace control {
struct Session;
}
namespace dataset {
struct Dataset;
}

namespace pattern {

void OB(control::Session& s);   // observed pattern from the keyboard
void LI(control::Session& s);   // list the observed pattern
void WA(control::Session& s);   // wavelength
void ZE(control::Session& s);   // zero correction
void QM(control::Session& s);   // Qmax
void HL(control::Session& s);   // index limits
void AB(control::Session& s);   // absences flag
void QC(control::Session& s);   // 2Theta and Q for given indices
void RS(control::Session& s);   // rescale by a factor Ks
void TR(control::Session& s);   // linear 2Theta transformation
void ED(control::Session& s);   // pattern editor
void EP(control::Session& s);   // extend a sparse pattern with higher orders
void HO(control::Session& s);   // harmonics: possible higher and lower orders
void ZT(control::Session& s);   // hk0 zone transformations of the cell

// The LI listing: screen, then the selected copies unless suppressed.
// With threshold > 0, only lines with OI > threshold (above = true) or
// OI <= threshold (above = false).
void list_pattern(control::Session& s, bool suppress_copies, bool show_heading,
                  double threshold = 0.0, bool above = true);
// Recomputes OT from OQ where OT is 0, else OQ from OT and Z2Th.
void revise_pattern(control::Session& s);
// New 2Theta = k * 2Theta + Z: Z into Z2Th, k into the stored angles, basis
// forced to 2Theta, then the listing.
void apply_transformation(control::Session& s, double k, double z);
// New wavelength w on the Q basis: the uncorrected spacings stay, every 2Theta
// follows (0 where w cannot reach), and Z2Th is applied again at the new angles.
void keep_spacings(dataset::Dataset& ds, double w);

} // namespace pattern
