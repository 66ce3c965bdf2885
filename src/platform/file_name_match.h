// The extension test of a directory listing, shared by the backends.
#pragma once

// Whether a file name ends in "." and the extension, compared without regard to case
// ("*" or an empty extension: every name).
bool nameHasExtension(const char* name, const char* extension);
