// Reading a CSV file that a person or a spreadsheet wrote: the roster an instructor keeps
// and the answers sheet graders fill in. Spreadsheets save CSV in their own ways, so the
// reader takes them all: a byte order mark, CR LF or LF line ends, fields quoted or not,
// and a ';' between fields where the spreadsheet's language writes decimal commas.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CsvTable {
  char Separator = ',';
  std::vector<std::vector<std::string>> Rows;  // Rows[0] is the first line of the file
};

// Reads the whole text. False, with *error naming the line, when a quoted field never
// ends: the rest of the file would be one field.
bool readCsvTable(std::string_view text, CsvTable* table, std::string* error);

// The field of a row, or an empty one where the row is shorter.
const std::string& csvCell(const CsvTable& table, size_t row, size_t column);

// The column as a spreadsheet letters it: 0 is "A", 25 "Z", 26 "AA".
std::string columnLetters(size_t column);

// The column whose heading is name, compared without regard to letter case and blanks
// around it; -1 when none is.
long findCsvColumn(const CsvTable& table, std::string_view name);

// Text without the blanks around it.
std::string_view trimmedText(std::string_view text);
