// The class roster: a CSV file the instructor keeps, with a column headed "identifier"
// (the abc123 each student types) and any others. Columns headed "last name" and "first
// name", or "name" ("Last, First"), give the names of students who handed nothing in.
#pragma once

#include <string>
#include <vector>

#include "grading/csv_table.h"

struct RosterStudent {
  std::string Identifier;  // lower case
  std::string LastName, FirstName;
  size_t Row = 0;          // the line of the file, from 1
};

struct Roster {
  std::vector<RosterStudent> Students;  // in the roster's order
};

// Reads the roster. False with *errors (each naming its row and column) when it has no
// identifier column, or an identifier veritor would never write (three letters, three
// digits), or the same identifier twice; empty rows are passed over.
bool readRoster(const CsvTable& table, Roster* roster, std::vector<std::string>* errors);

// Whether the text is an identifier as veritor takes it: three letters and three digits
// (letter case aside).
bool isStudentIdentifier(const std::string& text);

// "Last, First" split where the program joined it; a name without ", " is all last name.
void splitStudentName(const std::string& fullName, std::string* lastName, std::string* firstName);
