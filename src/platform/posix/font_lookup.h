// Finding a font file by family name.
#pragma once

#include <string>

// The file of the font fontconfig gives for the family name (its best match, so
// "Courier New" finds its metric twin Liberation Mono on Debian); empty when none.
std::string findFontFile(const char* family);
