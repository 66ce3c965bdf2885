#include "grading/roster.h"

#include <cctype>
#include <unordered_map>

#include "format/ascii_case.h"

namespace {

bool emptyRow(const std::vector<std::string>& row) {
  for (const std::string& cell : row)
    if (!trimmedText(cell).empty())
      return false;
  return true;
}

std::string where(size_t row, long column) {
  return "row " + std::to_string(row + 1) + ", column " +
         columnLetters(static_cast<size_t>(column));
}

}  // namespace

bool isStudentIdentifier(const std::string& text) {
  if (text.size() != 6)
    return false;
  for (size_t i = 0; i < 6; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (i < 3 ? !isalpha(c) : !isdigit(c))
      return false;
  }
  return true;
}

void splitStudentName(const std::string& fullName, std::string* lastName, std::string* firstName) {
  size_t comma = fullName.find(", ");
  *lastName = fullName.substr(0, comma);
  *firstName = comma == std::string::npos ? "" : fullName.substr(comma + 2);
}

bool readRoster(const CsvTable& table, Roster* roster, std::vector<std::string>* errors) {
  *roster = Roster();
  long id = findCsvColumn(table, "identifier");
  if (id < 0) {
    errors->push_back("row 1: no column is headed \"identifier\"");
    return false;
  }
  long last = findCsvColumn(table, "last name"), first = findCsvColumn(table, "first name");
  long name = findCsvColumn(table, "name");
  std::unordered_map<std::string, size_t> seen;
  for (size_t r = 1; r < table.Rows.size(); ++r) {
    if (emptyRow(table.Rows[r]))
      continue;
    std::string identifier = lowered(trimmedText(csvCell(table, r, static_cast<size_t>(id))));
    if (!isStudentIdentifier(identifier)) {
      errors->push_back(where(r, id) + ": \"" + std::string(csvCell(table, r, static_cast<size_t>(id))) +
                        "\" is not an identifier as students type it (three letters, three digits)");
      continue;
    }
    auto [at, added] = seen.emplace(identifier, r);
    if (!added) {
      errors->push_back(where(r, id) + ": " + identifier + " is on row " +
                        std::to_string(at->second + 1) + " already");
      continue;
    }
    RosterStudent student;
    student.Identifier = identifier;
    student.Row = r + 1;
    if (last >= 0 || first >= 0) {
      if (last >= 0)
        student.LastName = trimmedText(csvCell(table, r, static_cast<size_t>(last)));
      if (first >= 0)
        student.FirstName = trimmedText(csvCell(table, r, static_cast<size_t>(first)));
    } else if (name >= 0) {
      splitStudentName(std::string(trimmedText(csvCell(table, r, static_cast<size_t>(name)))),
                       &student.LastName, &student.FirstName);
    }
    roster->Students.push_back(std::move(student));
  }
  return errors->empty();
}
