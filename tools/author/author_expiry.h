// The expiry date make writes into an exam: checked as a date an instructor means.
#pragma once

#include <string>

// Why text cannot be the expiry of a new exam, to follow the date in a message ("is no
// such date: February 2027 has 28 days"), or "" when it can be: of the form YYYY/MM/DD::HH:MM:SS, a real date and time,
// and not already past by this computer's clock, read as the students' local time.
std::string expiryProblem(const std::string& text);
