#pragma once
// vitrinex-cli scan STREAM --out UPDATEDAT: an update server's answer through the receive path.

namespace vitrinex::cli {

int commandScan(int argc, char** argv);

} // namespace vitrinex::cli
