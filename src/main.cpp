// Latticor: an interactive support system for indexing powder patterns.
#include "console/console.hpp"
#include "control/control_commands.hpp"
#include "control/session.hpp"

int main(int argc, char** argv)
{
    console::PosixBackend backend;
    console::Console con(backend);
    if (argc > 1) {
        con.endl();
        con.line(std::string("** LXMAIN in command-line mode with undefined switch: \"") + argv[1] +
                 "\" **");
        con.endl();
        con.flush();
        return 1;
    }
    console::install_signal_handlers();
    control::Session session(con);
    return control::run(session);
}
