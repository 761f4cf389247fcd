// Opening text files with their failures reported, and the write-error texts.
#include "console/file_open.hpp"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "console/console.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"

namespace console {

// ---- write errors ----

int write_error_code(int err)
{
    switch (err) {
    case 101: case 102: case 103: case 105: case 150: case 151: case 152:
    case 156: case 157: case 158: case 160: case 162:
        return err;  // already one of the file-system codes
    case ENOSPC: case EDQUOT: case EFBIG: return 101;
    case EBADF: return 103;
    case EROFS: return 150;
    case EIO: return 160;
    default: return err;
    }
}

std::string write_error_text(int code)
{
    switch (code) {
    case 101: return "** Disk write error **";
    case 102: return "** Channel not yet assigned to a file **";
    case 103: return "** File not open **";
    case 105: return "** File not open for output **";
    case 150: return "** Disk write-protected **";
    case 151: return "** Unknown unit **";
    case 152: return "** Drive not ready **";
    case 156: return "** Disk seek error **";
    case 157: return "** Unknown media type **";
    case 158: return "** Sector not found **";
    case 160: return "** Device write fault **";
    case 162: return "** Hardware failure **";
    default: return "** Unexpected wrcode **";
    }
}

// The system's words for an error that the table does not name.
std::string system_error_text(int err)
{
    if (err == 0 || (write_error_code(err) == err && write_error_text(err) != "** Unexpected wrcode **"))
        return "";
    return std::strerror(err);
}

// ---- opening ----

bool open_read(Console& con, TextFile& f, const std::string& path)
{
    if (f.open_read(path) == 0)
        return true;
    con.line("** OpenInFile failed to open file \"" + path + "\" **");
    return false;
}

namespace {

bool report_open_failure(Console& con, const std::string& path, int err)
{
    int n = write_error_code(err);
    con.line("** OpenWrFile failed to open file \"" + path + "\" with errorcode " +
             std::to_string(n) + " **");
    con.line(write_error_text(n));
    if (std::string why = system_error_text(err); !why.empty())
        con.line("   (" + why + ")");
    return false;
}

} // namespace

bool open_write(Console& con, TextFile& f, const std::string& path, char if_exists,
                bool default_yes)
{
    int err = 0;
    switch (std::toupper(static_cast<unsigned char>(if_exists))) {
    case 'O':
        err = f.open_replace(path);
        break;
    case 'A':
        err = f.open_append(path);
        break;
    case 'Q': {
        bool overwrite = true;
        if (file_exists(path)) {
            const char* def = default_yes ? "Y" : "N";
            std::string reply = ask_code(
                con,
                std::string("A file of this name already exists - overwrite (Y/N, default=") +
                    def + ")? ",
                "YN", def, default_yes ? "(Yes)" : "(No)");
            con.endl();
            overwrite = reply[0] == 'Y';
        }
        err = overwrite ? f.open_replace(path) : f.open_append(path);
        break;
    }
    default:
        con.endl();
        con.line(std::string("** Invalid IfExists code <") + if_exists + "> in OpenWrFile **");
        return false;
    }
    if (err != 0)
        return report_open_failure(con, path, err);
    return true;
}

bool open_new(Console& con, TextFile& f, const std::string& path)
{
    int err = f.open_create(path);
    if (err != 0)
        return report_open_failure(con, path, err);
    return true;
}

bool close_write(Console& con, TextFile& f)
{
    if (!f.is_open())
        return false;
    std::string path = f.path();
    int before = f.failed_writes();
    int err = f.commit();
    if (err == 0)
        return true;
    int n = write_error_code(err);
    if (f.failed_writes() > before) {
        // The last buffered lines, the close or the rename failed: not yet reported.
        con.line("** Closing \"" + path + "\" failed with errorcode " + std::to_string(n) + " **");
        con.line(write_error_text(n));
    }
    std::string why = system_error_text(err);
    std::string text = "** \"" + path + "\" was not completed" + (why.empty() ? "" : " (" + why + ")");
    switch (f.target()) {
    case TextFile::Target::existing_file:
        text += ": an existing file of that name is left unchanged";
        break;
    case TextFile::Target::new_file:
        text += ": no file of that name was written";
        break;
    case TextFile::Target::direct:
        break;
    }
    con.line(text + " **");
    return false;
}

} // namespace console
