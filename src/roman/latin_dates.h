// The Latin calendar date of every day of the year.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace roman {

// A misuse of the table: a key added twice or malformed, a position out of
// range. (Not std::logic_error: its string machinery would double the exe.)
class LatinDateError : public std::exception {
 public:
  explicit LatinDateError(const char* what) : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};

// A keyed collection from "DDMM" to the day's Latin text, in insertion order.
class LatinDateTable {
 public:
  // Throws LatinDateError for a key already present or not of the form DDMM.
  void Add(std::string_view key, std::string text);
  // The text for key, or nullptr when the key is absent.
  const std::string* Find(std::string_view key) const;
  // Removes the entry at position 1..Count().
  void Remove(std::size_t position);
  // Removes every entry, from the last position down to the first.
  void Clear();
  std::size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    std::string key;
    std::string text;
  };
  std::vector<Entry> entries_;
  // Position + 1 of each DDMM key, 0 when absent; rows are days, columns months.
  unsigned short slots_[32][13] = {};
};

extern LatinDateTable LatinDates;

// Adds the 366 days, "0101" to "3112" with "2902", in the current numeral
// style. LatinDates must be empty: a second build fails on "0101".
void BuildLatinDates();

}  // namespace roman
