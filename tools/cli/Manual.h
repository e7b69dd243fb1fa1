#pragma once
// vitrinex-cli's manual: every command with its arguments and what it prints, the exit status, the
// environment, the files and examples. `--help` prints its usage lines, `--manual` the whole page.

#include "manual/ManualPage.h"

namespace vitrinex::cli {

const Manual& cliManual();

} // namespace vitrinex::cli
