// Marks a function that takes a printf format, so that the compiler checks every call.
// The program's formats are the C standard's ("%zu", "%lld"); MinGW would otherwise check
// them in the old Microsoft dialect, which its own printf (the one libstdc++ routes stdio
// through) does not use.
#pragma once

#if defined(__MINGW32__) && !defined(__clang__)
#define PRINTF_FORMAT(format_index, first_argument) \
  __attribute__((format(gnu_printf, format_index, first_argument)))
#else
#define PRINTF_FORMAT(format_index, first_argument) \
  __attribute__((format(printf, format_index, first_argument)))
#endif
