// The echo of the exam, the last run of a completed-exam file, checked line by line
// against how the program writes it. The echo has no end mark: a file cut between two of
// its records stops as cleanly as a whole one. What tells them apart is what the echo
// says of itself: its QUESTIONS line counts the questions and their points, its question
// numbers run 1, 2, 3..., its sub-questions a, b, c..., every pool it opens it closes, and
// each part ends in as many empty lines as the program writes after it.
#pragma once

#include <cstddef>
#include <string>

struct EchoCheck {
  enum Result {
    Whole,    // every question the QUESTIONS line counts, each part ended
    Cut,      // as the program writes it as far as it goes, and stopping short
    Damaged,  // not as the program writes it, before its end
  };
  Result What = Damaged;
  size_t At = 0;        // for damage: where, in the deciphered echo
  std::string Problem;  // for damage: what
};

// echo: the deciphered run, from the line feeds before its QUESTIONS line.
EchoCheck checkEcho(const std::string& echo);
