// The warnings at 50, 75 and 90 per cent of the time allowance and past it.
#pragma once

// Looks at the time used so far: shows at most one warning (in the question window and on
// the console, where it waits for ENTER) and sets EndReason to 1 once the allowance is
// exceeded by 4 seconds or more.
void checkTimeAllowance();

// Every exam starts with no warning given.
void resetTimeWarnings();
