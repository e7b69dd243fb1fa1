#pragma once
// vitrinex-cli update FILE [--type SW|HW]: the whole catalog update as the update window runs it.

namespace vitrinex::cli {

int commandUpdate(int argc, char** argv);

} // namespace vitrinex::cli
