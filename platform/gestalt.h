// The host's answers to Gestalt selectors.
//
// A table of selector -> value, filled at first use with sound defaults for
// the system this code was written for, then overridden from the environment
// variable GLIMMERBOX_GESTALT, a comma-separated list of "selector=value"
// entries ("sysv=0x0900,qtim=0"). A value is decimal or 0x-hexadecimal; an
// empty value removes the selector from the table; a selector of fewer than
// four characters is padded with spaces ("ram=..." is 'ram '). Malformed
// entries are ignored. Tests change the table directly.
//
// Defaults: 'sysv' 0x1049 (system 10.4.9), 'cbon' 0x0160 (the Carbon
// library, above 0x105), 'qtim' 0x07000000 (QuickTime 7), 'cpkr' 0x0400
// (the colour picker), and the machine's own 'mclk' (processor clock in MHz,
// when the host tells it), 'ram ' (physical memory in bytes, at most
// 0x7FFFFFFF) and 'ramm' (memory in megabytes).
#pragma once

#include "platform/mac_types.h"

namespace plat {

// noErr and the value, or gestaltUndefSelectorErr (response untouched) when
// the table lacks the selector or response is null.
[[nodiscard]] OSErr Gestalt(OSType selector, SInt32* response);

void SetGestaltValue(OSType selector, SInt32 value);
void RemoveGestaltValue(OSType selector);

// Refills the table from the defaults and the environment.
void ResetGestaltTable();

}  // namespace plat
