// Matching deciphered text against the forms the program writes its records in. A file
// cut short ends inside a record, so a match tells apart three cases: the text has the
// form, it stops while still agreeing with it (what a cut leaves), or it disagrees with it
// (what damage, or another key, leaves).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class Fit {
  No,    // the text disagrees with the form
  Part,  // the text ends inside the form, agreeing with it so far
  Whole  // the text has the form
};

// Reads a text from a position against the pieces of a form, one call a piece. The first
// piece that does not fit settles the result, and the calls after it change nothing; the
// position moves past each piece that fits.
class FormScan {
 public:
  FormScan(const std::string& text, size_t at) : text_(text), at_(at) {}

  // Exactly these characters.
  FormScan& literal(const char* piece);
  // '%' stands for an upper-case hexadecimal digit, '#' for a decimal digit, any other
  // character for itself.
  FormScan& pattern(const char* form);
  // One decimal digit or more; their value (up to 999,999,999) when wanted.
  FormScan& digits(uint32_t* value = nullptr);
  // One character, whatever it is but a line feed.
  FormScan& anyCharacter();
  // A number as "%5.1f" writes it: blanks, then a sign, digits and a point.
  FormScan& number(double* value = nullptr);
  // Characters up to the end of the line, the line feed included; the line without it
  // when wanted.
  FormScan& line(std::string* text = nullptr);

  Fit result() const { return result_; }
  bool whole() const { return result_ == Fit::Whole; }
  size_t at() const { return at_; }

 private:
  bool running() const { return result_ == Fit::Whole; }

  const std::string& text_;
  size_t at_;
  Fit result_ = Fit::Whole;
};

// The better of two fits of one text: a record may have one form or another.
Fit eitherFit(Fit a, Fit b);
