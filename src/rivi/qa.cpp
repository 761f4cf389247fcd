// QA: the row scan of Q(A) with fixed settings.
#include "console/console.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/abinitio.hpp"
#include "rivi/commands.hpp"

namespace rivi {

// QA: Q(A) from 84.9 to 184.9 QU. in steps of 10 with Ir, threshold 1.0,
// every line and intermediate output shown; asks nothing.
void QA(control::Session& s)
{
    console::Console& con = s.con;
    con.endl();
    con.line(console::blanks(20) + "Ab initio row scan for Q(A)");
    if (s.ds.Nobs == 0) {
        con.endl();
        con.line("** No observed pattern present **");
        return;
    }
    ScanSettings ss;
    ss.kind = ScanKind::row;
    ss.mchar = 'I';
    ss.threshold = 1.0;
    ss.express = true;  // duplicates removed without asking
    ss.dynamic = false;
    ss.suppress = false;
    ss.min1 = 84.9;
    ss.max1 = 184.9;
    ss.step1 = 10.0;
    ss.nobsused = s.ds.Nobs;
    row_scan(s, ss);
}

} // namespace rivi
