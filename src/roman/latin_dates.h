// The Latin calendar date of every day of the year.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace roman {

// A keyed collection from "DDMM" to the day's Latin text, in insertion order.
class LatinDateTable {
 public:
  // Throws std::invalid_argument for a key already present or not of the
  // form DDMM.
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
