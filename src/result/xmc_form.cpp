#include "result/xmc_form.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool isDecimal(char c) {
  return c >= '0' && c <= '9';
}

bool isUpperHex(char c) {
  return isDecimal(c) || (c >= 'A' && c <= 'F');
}

}  // namespace

FormScan& FormScan::literal(const char* piece) {
  for (; running() && *piece; ++piece, ++at_) {
    if (at_ >= text_.size())
      result_ = Fit::Part;
    else if (text_[at_] != *piece)
      result_ = Fit::No;
  }
  return *this;
}

FormScan& FormScan::pattern(const char* form) {
  for (; running() && *form; ++form, ++at_) {
    if (at_ >= text_.size()) {
      result_ = Fit::Part;
      break;
    }
    char c = text_[at_];
    bool fits = *form == '%' ? isUpperHex(c) : *form == '#' ? isDecimal(c) : c == *form;
    if (!fits)
      result_ = Fit::No;
  }
  return *this;
}

FormScan& FormScan::digits(uint32_t* value) {
  if (!running())
    return *this;
  uint32_t v = 0;
  size_t start = at_;
  while (at_ < text_.size() && isDecimal(text_[at_])) {
    if (v < 100000000)
      v = v * 10 + static_cast<uint32_t>(text_[at_] - '0');
    ++at_;
  }
  // Digits up to the end of the text may go on past it.
  if (at_ == text_.size())
    result_ = Fit::Part;
  else if (at_ == start)
    result_ = Fit::No;
  if (value)
    *value = v;
  return *this;
}

FormScan& FormScan::anyCharacter() {
  if (!running())
    return *this;
  if (at_ >= text_.size())
    result_ = Fit::Part;
  else if (text_[at_] == '\n')
    result_ = Fit::No;
  else
    ++at_;
  return *this;
}

FormScan& FormScan::number(double* value) {
  if (!running())
    return *this;
  size_t start = at_;
  while (at_ < text_.size() && text_[at_] == ' ')
    ++at_;
  if (at_ < text_.size() && text_[at_] == '-')
    ++at_;
  size_t digitsAt = at_;
  while (at_ < text_.size() && (isDecimal(text_[at_]) || text_[at_] == '.'))
    ++at_;
  if (at_ == text_.size())
    result_ = Fit::Part;
  else if (at_ == digitsAt)
    result_ = Fit::No;
  if (result_ != Fit::Whole)
    return *this;
  // Written as the program writes it, and no other way: " 07.0" or "7.00" is damage.
  std::string written = text_.substr(start, at_ - start);
  double v = strtod(written.c_str(), nullptr);
  char again[64];
  snprintf(again, sizeof again, "%5.1f", v);
  if (written != again)
    result_ = Fit::No;
  else if (value)
    *value = v;
  return *this;
}

FormScan& FormScan::line(std::string* text) {
  if (!running())
    return *this;
  size_t end = text_.find('\n', at_);
  if (end == std::string::npos) {
    at_ = text_.size();
    result_ = Fit::Part;
    return *this;
  }
  if (text)
    *text = text_.substr(at_, end - at_);
  at_ = end + 1;
  return *this;
}

Fit eitherFit(Fit a, Fit b) {
  if (a == Fit::Whole || b == Fit::Whole)
    return Fit::Whole;
  if (a == Fit::Part || b == Fit::Part)
    return Fit::Part;
  return Fit::No;
}
