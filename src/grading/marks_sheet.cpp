#include "grading/marks_sheet.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "format/ascii_case.h"

namespace {

const char PointsSuffix[] = " points";

// What a question number of some exam looks like: "12", "4.a".
bool looksLikeItemNumber(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && isdigit(static_cast<unsigned char>(text[at])))
    ++at;
  if (at == 0)
    return false;
  if (at == text.size())
    return true;
  return at + 2 == text.size() && text[at] == '.' && islower(static_cast<unsigned char>(text[at + 1]));
}

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A grader's mark: a number of 0 or more, with a decimal comma where the sheet separates
// its fields with ';'.
bool readMark(std::string_view text, char separator, double* value) {
  std::string number(text);
  if (separator == ';')
    for (char& c : number)
      if (c == ',')
        c = '.';
  if (number.empty())
    return false;
  size_t at = number[0] == '+' || number[0] == '-' ? 1 : 0, digits = 0;
  bool point = false;
  for (; at < number.size(); ++at) {
    if (isdigit(static_cast<unsigned char>(number[at])))
      ++digits;
    else if (number[at] == '.' && !point)
      point = true;
    else
      return false;
  }
  if (digits == 0)
    return false;
  *value = strtod(number.c_str(), nullptr);
  return true;
}

struct Pending {
  size_t Attempt, Item;
  float Points;
};

}  // namespace

std::string pointsHeading(const std::string& itemNumber) {
  return itemNumber + PointsSuffix;
}

bool takeMarksSheet(const CsvTable& sheet, const ExamKey& key, const std::vector<SheetFile>& files,
                    ClassScores* scores, SheetReading* reading, std::vector<std::string>* errors) {
  *reading = SheetReading();
  const size_t errorsBefore = errors->size();
  long idColumn = findCsvColumn(sheet, "identifier"), fileColumn = findCsvColumn(sheet, "file");
  if (idColumn < 0 || fileColumn < 0) {
    errors->push_back(std::string("row 1: no column is headed \"") +
                      (idColumn < 0 ? "identifier" : "file") +
                      "\": the marks are read from the answers sheet report --answers writes");
    return false;
  }

  // The sheet's questions must be the exam's: every question number its headings carry,
  // and a points column for each item.
  std::unordered_map<std::string, size_t> itemAt;
  for (size_t i = 0; i < key.Items.size(); ++i)
    itemAt.emplace(key.Items[i].Number, i);
  std::vector<long> pointsColumn(key.Items.size(), -1);
  std::string foreign;
  const std::vector<std::string>& head = sheet.Rows[0];
  for (size_t c = 0; c < head.size(); ++c) {
    std::string heading(trimmedText(head[c]));
    std::string number = heading;
    bool points = heading.size() > strlen(PointsSuffix) &&
                  lowered(heading).ends_with(PointsSuffix);
    if (points)
      number = std::string(trimmedText(heading.substr(0, heading.size() - strlen(PointsSuffix))));
    if (!looksLikeItemNumber(number))
      continue;
    auto item = itemAt.find(number);
    if (item == itemAt.end()) {
      foreign += (foreign.empty() ? "" : ", ") + heading;
      continue;
    }
    if (points)
      pointsColumn[item->second] = static_cast<long>(c);
  }
  std::string missing;
  for (size_t i = 0; i < key.Items.size(); ++i)
    if (pointsColumn[i] < 0)
      missing += (missing.empty() ? "" : ", ") + pointsHeading(key.Items[i].Number);
  if (!foreign.empty() || !missing.empty()) {
    std::string why = "the sheet is not of this exam's questions:";
    if (!foreign.empty())
      why += " it has columns for questions the exam text has not (" + foreign + ")";
    if (!missing.empty())
      why += std::string(foreign.empty() ? "" : ";") + " it has no column " + missing;
    errors->push_back(why + "; nothing was taken from it");
    return false;
  }

  // Files by path, and by identifier for the file name.
  std::unordered_map<std::string, size_t> byPath;
  std::unordered_map<std::string, std::vector<size_t>> byIdentifier;
  for (size_t f = 0; f < files.size(); ++f) {
    byPath.emplace(files[f].Path, f);
    if (!files[f].Identifier.empty())
      byIdentifier[files[f].Identifier].push_back(f);
  }

  std::vector<Pending> pending;
  std::unordered_map<size_t, size_t> rowOfFile;
  const size_t idAt = static_cast<size_t>(idColumn), fileAt = static_cast<size_t>(fileColumn);
  for (size_t r = 1; r < sheet.Rows.size(); ++r) {
    std::string identifier = lowered(trimmedText(csvCell(sheet, r, idAt)));
    if (identifier.empty())
      continue;  // the points row under the headings, an empty row
    const std::string rowText = "row " + std::to_string(r + 1);
    std::string path(trimmedText(csvCell(sheet, r, fileAt)));
    auto known = byIdentifier.find(identifier);
    if (known == byIdentifier.end()) {
      errors->push_back(rowText + ", column " + columnLetters(idAt) + " (identifier): no file read is of " +
                        identifier);
      continue;
    }
    long file = -1;
    auto exact = byPath.find(path);
    if (exact != byPath.end() && files[exact->second].Identifier == identifier) {
      file = static_cast<long>(exact->second);
    } else {
      // The sheet may come back from another folder: the file name and identifier do.
      for (size_t f : known->second)
        if (baseName(files[f].Path) == baseName(path))
          file = file < 0 ? static_cast<long>(f) : -2;
    }
    if (file < 0) {
      errors->push_back(rowText + ", column " + columnLetters(fileAt) + " (file): " +
                        (file == -2 ? "more than one file of " + identifier + " has the name "
                                    : "no file of " + identifier + " read is ") +
                        baseName(path));
      continue;
    }
    auto [earlier, first] = rowOfFile.emplace(static_cast<size_t>(file), r);
    if (!first) {
      errors->push_back(rowText + ": its file is on row " + std::to_string(earlier->second + 1) +
                        " already");
      continue;
    }
    const SheetFile& sheetFile = files[static_cast<size_t>(file)];
    for (size_t i = 0; i < key.Items.size(); ++i) {
      const size_t column = static_cast<size_t>(pointsColumn[i]);
      std::string_view cell = trimmedText(csvCell(sheet, r, column));
      if (cell.empty())
        continue;
      const std::string at = rowText + ", column " + columnLetters(column) + " (" +
                             pointsHeading(key.Items[i].Number) + "): ";
      double value = 0;
      if (!readMark(cell, sheet.Separator, &value)) {
        errors->push_back(at + "\"" + std::string(cell) + "\" is not a number of points");
        continue;
      }
      if (value < 0) {
        errors->push_back(at + std::string(cell) + " is below 0");
        continue;
      }
      if (value > key.Items[i].Points + 1e-9) {
        errors->push_back(at + std::string(cell) + " is more than the question's " +
                          formatPointsWithUnit(key.Items[i].Points));
        continue;
      }
      if (sheetFile.Attempt < 0) {
        reading->Notes.push_back(at + "not taken: " + sheetFile.NotScored);
        continue;
      }
      const size_t attempt = static_cast<size_t>(sheetFile.Attempt);
      const Mark& mark = scores->marksOf(attempt)[i];
      if (mark.State == MarkState::NotAsked) {
        errors->push_back(at + "a mark for a question " + identifier + " was not asked");
        continue;
      }
      if (mark.State == MarkState::NoAnswer) {
        if (value != 0)
          reading->Notes.push_back(at + std::string(cell) + " not taken: " + identifier +
                                   " gave no answer, which scores 0");
        continue;
      }
      if (mark.State == MarkState::Key) {
        if (std::fabs(value - mark.Points) > 0.005)
          reading->Notes.push_back(at + std::string(cell) + " is not the " +
                                   formatPoints(mark.Points) +
                                   " the key gave: the key's mark stands (change the key to change it)");
        continue;
      }
      pending.push_back({attempt, i, static_cast<float>(value)});
    }
  }
  if (errors->size() > errorsBefore)
    return false;
  for (const Pending& p : pending) {
    Mark& mark = scores->marksOf(p.Attempt)[p.Item];
    mark.State = MarkState::Grader;
    mark.Points = p.Points;
  }
  reading->Taken = static_cast<int>(pending.size());
  return true;
}
