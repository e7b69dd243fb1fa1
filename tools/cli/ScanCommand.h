#pragma once
// vitrinex-cli scan STREAM --out UPDATEDAT: an update server's answer through the receive path.

namespace vitrinex::cli {

class CommandLine;
int commandScan(const CommandLine& arguments);

} // namespace vitrinex::cli
