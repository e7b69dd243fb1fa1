#pragma once
// The one way the program asks to end: the exit dialog's Exit, the main window's close box and a
// second copy handing over to the first all come here.

namespace vitrinex {

// Ends the application's main event loop once control is back in it. Asked for during start-up (no
// loop running yet), the start-up code that follows still runs to its end, and a loop it runs before
// the main loop is left too. Asked for from a running program, a modal window open over the main
// loop (an error report, say) is not cut short: the end waits for it. The main loop then returns
// `status`, the program's exit status.
void requestApplicationEnd(int status = 0);

} // namespace vitrinex
