#include "grading/csv_table.h"

#include <cctype>

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The separator of the file: ',' unless its first line holds more ';' than ',' outside
// quotes (a spreadsheet that writes decimal commas separates fields with ';').
char guessSeparator(std::string_view text) {
  size_t commas = 0, semicolons = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"')
      quoted = !quoted;
    else if (!quoted && (c == '\n' || c == '\r'))
      break;
    else if (!quoted && c == ',')
      ++commas;
    else if (!quoted && c == ';')
      ++semicolons;
  }
  return semicolons > commas ? ';' : ',';
}

}  // namespace

std::string_view trimmedText(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && isSpace(text[begin]))
    ++begin;
  while (end > begin && isSpace(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

bool readCsvTable(std::string_view text, CsvTable* table, std::string* error) {
  *table = CsvTable();
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);
  table->Separator = guessSeparator(text);
  const char separator = table->Separator;
  std::vector<std::string> row;
  std::string field;
  size_t line = 1, quoteLine = 0;
  bool quoted = false, rowStarted = false;
  for (size_t at = 0; at < text.size(); ++at) {
    char c = text[at];
    if (quoted) {
      if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
        field += '"';
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n')
          ++line;
        field += c;
      }
      continue;
    }
    if (c == '"' && trimmedText(field).empty()) {
      // A quote opens a quoted field only at its start (blanks before it dropped);
      // elsewhere it is part of the text, as spreadsheets read it.
      field.clear();
      quoted = true;
      quoteLine = line;
      rowStarted = true;
    } else if (c == separator) {
      row.push_back(std::move(field));
      field.clear();
      rowStarted = true;
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
        ++at;
      ++line;
      row.push_back(std::move(field));
      field.clear();
      table->Rows.push_back(std::move(row));
      row.clear();
      rowStarted = false;
    } else {
      field += c;
      rowStarted = true;
    }
  }
  if (quoted) {
    *error = "line " + std::to_string(quoteLine) + ": a quoted field is never closed";
    return false;
  }
  if (rowStarted || !field.empty()) {
    row.push_back(std::move(field));
    table->Rows.push_back(std::move(row));
  }
  return true;
}

const std::string& csvCell(const CsvTable& table, size_t row, size_t column) {
  static const std::string none;
  if (row >= table.Rows.size() || column >= table.Rows[row].size())
    return none;
  return table.Rows[row][column];
}

std::string columnLetters(size_t column) {
  std::string letters;
  for (size_t n = column + 1; n > 0; n = (n - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
  return letters;
}

long findCsvColumn(const CsvTable& table, std::string_view name) {
  if (table.Rows.empty())
    return -1;
  const std::vector<std::string>& head = table.Rows[0];
  for (size_t c = 0; c < head.size(); ++c) {
    std::string_view cell = trimmedText(head[c]);
    if (cell.size() != name.size())
      continue;
    bool same = true;
    for (size_t i = 0; i < cell.size() && same; ++i)
      same = tolower(static_cast<unsigned char>(cell[i])) ==
             tolower(static_cast<unsigned char>(name[i]));
    if (same)
      return static_cast<long>(c);
  }
  return -1;
}
