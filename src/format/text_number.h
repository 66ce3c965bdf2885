// Numbers read from exam text: an instructor's file may hold any characters, so the
// conversions clamp instead of overflowing.
#pragma once

// The decimal integer at the start of text (after white space, with an optional sign),
// as the C library's atoi reads it; a value beyond int gives INT_MAX or INT_MIN.
int textToInt(const char* text);

// The floating-point number at the start of text, as atof reads it, narrowed to a float;
// a value beyond the float range gives an infinity of its sign.
float textToFloat(const char* text);
