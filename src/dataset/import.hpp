// The peak-list import behind IM: the embedded readers, the free-format field
// reader they use, and the steps that turn a list read into the working
// dataset.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "dataset/dataset.hpp"
#include "dataset/file_utils.hpp"

namespace console {
class Console;
}
namespace control {
struct Session;
}

namespace dataset {

// ---- reading text ----

// One line without its line end (LF or CR LF); false at the end of the file
// or on a read error.
bool read_text_line(TextFile& f, std::string& text);

// Numbers separated only by white space (blanks, tabs, line ends), as a
// peak-fitting program writes them, with the line each one stands on.
class FreeFields {
public:
    enum class Status { ok, end_of_file, bad };

    explicit FreeFields(TextFile& f) : f_(f) {}
    // The next field as a number: `bad` when it is not one, or when anything
    // but white space ends it (a comma between two numbers, for instance).
    Status number(double& x);
    // The rest of the current line; false at the end of the file.
    bool whole_line(std::string& text);
    void skip_line();
    // Whether anything but white space is left.
    bool more();
    int line() const { return field_line_; }  // the line of the last field read
    int next_line() const { return line_; }   // the line the reading stands on

private:
    int skip_white();  // the first other character (not taken), or EOF
    TextFile& f_;
    int line_ = 1;
    int field_line_ = 1;
};

// ---- a peak list being read ----

enum class PeakUnit { two_theta, d_spacing };

// The list is read into a copy of the working dataset, which replaces it
// only when the whole import succeeded: a file that fails half way leaves
// the working dataset exactly as it was.
struct Import {
    explicit Import(const Dataset& working) : ds(std::make_unique<Dataset>(working))
    {
        clear_pattern(*ds);
    }
    static void clear_pattern(Dataset& d);

    std::unique_ptr<Dataset> ds;
    std::string file;        // the peak file, as shown in messages
    std::string error;       // the error text of a failed import
    bool intensities = false;

    bool fail(std::string text)
    {
        error = std::move(text);
        return false;
    }
    // Takes one more peak; false when the list is full.
    bool add_peak(double two_theta, double intensity);
    bool full() const { return ds->Nobs >= max_obs; }
};

// ---- the ASCII reader ----

struct AsciiLayout {
    int title_line = 0;        // 0: none
    int wavelength_line = 0;   // 0: none
    int first_data_line = 1;
    bool one_per_line = true;
    PeakUnit unit = PeakUnit::two_theta;
    bool intensities = false;  // the second field of a peak
    int fields = 1;            // fields per peak
};

// The lines before the peaks: the title (through the field editor) and the
// wavelength, into the imported dataset.
bool read_ascii_preamble(control::Session& s, Import& im, FreeFields& in, const AsciiLayout& layout);
// The peak loop with its listing, at most 1000 peaks.
bool read_ascii_peaks(control::Session& s, Import& im, FreeFields& in, const AsciiLayout& layout);

// ---- the PowderX reader ----

// What a PowderX ".CPI" file gives: lines 6, 7 and 9.
struct CpiRecord {
    bool wavelength_read = false;
    double wavelength = 0.0;
    std::string date;
    std::string title;
};
bool read_cpi(control::Session& s, const std::string& path, CpiRecord& cpi, std::string& error);
// The heading and the fixed-width peak lines of an opened peaks file.
bool read_powderx_peaks(control::Session& s, Import& im, TextFile& f);

// ---- turning the list into the working dataset ----

// Q from every stored 2Theta, the intensity flags and the reset of what
// belonged to the previous dataset; false (with the error text) when a line
// has no d-spacing or no peak was read.
bool finish_import(control::Session& s, Import& im);
// The imported dataset becomes the working one; then the working name and
// the offer to save with `save_code`.
void adopt_import(control::Session& s, Import& im, int data_type, std::string_view save_code);
// "** text **" after a blank line: how every failed import ends.
void import_failed(control::Session& s, const std::string& text);

// The name of a peak file in the data directory, asked until it exists;
// false for ENTER ("( Exit )"). `missing` gives the text before the path of
// the not-found message.
bool ask_peak_file(control::Session& s, const std::string& prompt, std::string_view extension,
                   std::string_view missing, bool blank_before_missing, std::string& name,
                   std::string& path);
// A number standing alone on a line of text, for the wavelength lines.
bool wavelength_from_text(std::string_view text, double& w);
// True when a dataset file can hold wavelength w; else says so on a line.
bool wavelength_held(console::Console& con, double w);

// The two embedded readers.
void import_ascii(control::Session& s);
void import_powderx(control::Session& s);

} // namespace dataset
