// SPDX-License-Identifier: MIT
#ifndef TRELVIN_SANDBOX_H
#define TRELVIN_SANDBOX_H

// Gives up, for good, every right that reading the input and writing the
// output do not need; where the system offers no way to, does nothing.
void enter_sandbox();

#endif
