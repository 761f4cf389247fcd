// Fuzz target: the decoding of input bytes into reply lines and key codes, on
// a terminal and from redirected input, through the line reader, the key
// reader, the field editor and the command and number questions.
#include <cstdint>
#include <string>

#include "console/console.hpp"
#include "console/field_editor.hpp"
#include "console/prompt.hpp"
#include "fuzz_support.hpp"
#include "support/fake_console.hpp"

namespace {

// One kind of reading, picked by the first byte of the input.
void read_all(console::Console& con, int mode, std::size_t size)
{
    for (std::size_t n = 0; !con.input_ended(); ++n) {
        if (n > size + 1)
            fuzzing::fail("input is read without end");
        switch (mode) {
        case 0:
            con.read_line();
            break;
        case 1: {
            int key = con.read_key();
            if (key < 0 || key > 255)
                fuzzing::fail("a key code out of range", std::to_string(key));
            break;
        }
        case 2:
            console::edit_line(con, 10, 24, 69, "initial text", n % 2 == 0, n % 3 == 0);
            break;
        case 3:
            console::get_command(con, "Next command: ", "OB,CE,ZE,LO,SA,PEQU,BY,EN,EX", "??", "");
            break;
        default:
            console::ask_real(con, "Value (default 1.5406): ", "Q", 1.5406, 8, 4, " A", "DEF");
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool terminal = (data[0] & 0x80) != 0;
    const int mode = (data[0] & 0x7F) % 5;
    testing_support::FakeConsole fc(std::string(reinterpret_cast<const char*>(data) + 1, size - 1),
                                    terminal);
    try {
        read_all(fc.con, mode, size);
    } catch (const console::InputEnded&) {
    }
    return 0;
}
