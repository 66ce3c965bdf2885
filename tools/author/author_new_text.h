// The exam text that veritor-author new writes.
#pragma once

#include <string>

#include "format/header_layout.h"

// The example's own header values.
HeaderFields exampleHeaderFields();

// The header composed from header, then the example body.
std::string newExamText(const HeaderFields& header);
