// The operating-system command runner: the DOS listing done in place, a
// program the shell does not find named plainly, and the result kept.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console/platform.hpp"
#include "control/control_commands.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

using testing_support::FakeSession;
using testing_support::ScratchDir;

// No shell can start: a command that reached one would report error 2.
struct NoShell {
    NoShell() { ::setenv("COMSPEC", "/nonexistent/shell", 1); }
    ~NoShell() { ::unsetenv("COMSPEC"); }
};

TEST(OsCommand, DirListsTheMatchingFilesInNameOrderWithoutAShell)
{
    ScratchDir t(false);
    for (const char* name : {"b.dif", "A.DIF", "c.DiF", "d.dif", "E.dif", "f.dif", "x.cpi"})
        t.touch(name);
    NoShell no_shell;
    FakeSession f;
    f.s.ds.Nobs = 1;
    control::run_os_command(f.s, "DIR " + t.dir() + "*.DIF /ON /W", "O/S");
    EXPECT_EQ(f.s.run.os_exec_result, 0);
    EXPECT_EQ(f.screen(), "\nA.DIF           b.dif           c.DiF           d.dif           E.dif\n"
                          "f.dif\n");
    f.clear_screen_text();
    control::run_os_command(f.s, "dir " + t.dir() + "*.xyz /on /w", "O/S");
    EXPECT_EQ(f.screen(), "\nFile Not Found\n");
}

TEST(OsCommand, AProgramTheShellCannotFindIsNamed)
{
    ScratchDir t;
    FakeSession f;
    control::run_os_command(f.s, "no-such-program-here --help 2>/dev/null", "UNSCALE");
    EXPECT_EQ(f.s.run.os_exec_result, console::not_found);
    // After the report, the runner's line end without an observed pattern.
    EXPECT_EQ(f.screen(), "\n** Could not execute UNSCALE command:  no-such-program-here not found **\n\n");
}

} // namespace
