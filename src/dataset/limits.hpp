// Fixed capacities of the system, and the ranges of the numbers that come in
// from files and replies, named once.
#pragma once

namespace dataset {

inline constexpr int max_obs = 1000;         // observed lines, numbered 1..1000
inline constexpr int max_calc = 20000;       // calculated lines, 1..20000 (0 is a sentinel)
inline constexpr int max_peaks = 100;        // map peaks
inline constexpr int max_file_names = 2000;  // names in a directory listing

// Ranges checked wherever a number enters that sizes a loop, indexes an
// array or feeds an integer conversion, so that nothing accepted can
// overflow later and everything saved can be read back.

// Wavelength, Angstroms. Radiation in use lies within 0.01..10 A (300 kV
// electrons to soft X-rays); the room above is for rescaling (RS).
inline constexpr double min_wavelength = 0.01;
inline constexpr double max_wavelength = 100.0;
// Q of an observed or calculated line, QU.: the largest Q the shortest
// wavelength reaches, sin^2 theta / K < 40000 / W0^2 (d > 0.005 A).
inline constexpr double max_q = 40000.0 / (min_wavelength * min_wavelength);
// Qmax, QU.: room for Qobsmax+50 above the largest line.
inline constexpr double max_qmax = max_q + 50.0;
// Direct cell sides, Angstroms (0 in a file: a side not given).
inline constexpr double min_cell_side = 0.5;
inline constexpr double max_cell_side = 1000.0;
// Miller indices and index limits: 1000 reaches d = 1 A on the longest side
// and keeps h*h, k*l ... far inside an int.
inline constexpr int max_index = 1000;
// Zero correction typed or applied, degrees.
inline constexpr double max_zero = 45.0;
// TR's factor k.
inline constexpr double min_tr_factor = 0.1;
inline constexpr double max_tr_factor = 10.0;
// Lines a file may announce; those beyond the capacity are read and dropped.
inline constexpr int max_file_lines = 1000000;

} // namespace dataset
