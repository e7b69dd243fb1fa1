#pragma once
// The window program's manual: its --help text and its manual page vitrinex(1) are made from it.

#include "manual/ManualPage.h"

namespace vitrinex {

const Manual& programManual();

} // namespace vitrinex
