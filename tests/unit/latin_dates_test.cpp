#include "roman/latin_dates.h"

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "roman_fixture.h"

namespace {

using LatinDatesTest = RomanFixture;

// Every key of a leap year, in calendar order.
std::vector<std::string> CalendarKeys() {
  const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::vector<std::string> keys;
  char key[16];
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= days[month - 1]; ++day) {
      std::snprintf(key, sizeof key, "%02d%02d", day, month);
      keys.emplace_back(key);
    }
  }
  return keys;
}

std::map<std::string, std::string> Build(bool subtractive) {
  settings::Current.MedievalScript = subtractive;
  roman::LatinDates.Clear();
  roman::BuildLatinDates();
  std::map<std::string, std::string> texts;
  for (const std::string& key : CalendarKeys()) {
    const std::string* text = roman::LatinDates.Find(key);
    EXPECT_NE(text, nullptr) << key;
    texts[key] = text ? *text : "";
  }
  return texts;
}

TEST_F(LatinDatesTest, Samples) {
  const struct {
    const char* key;
    const char* additive;
    const char* subtractive;
  } cases[] = {
      {"0101", "Kalendis Ianuariis", "Kalendis Ianuariis"},
      {"0201", "a.d. IIII Nonas Ianuarias", "a.d. IV Nonas Ianuarias"},
      {"0401", "pridie Nonas Ianuarias", "pridie Nonas Ianuarias"},
      {"1301", "Idibus Ianuariis", "Idibus Ianuariis"},
      {"1401", "a.d. XVIIII Kalendas Februarias", "a.d. XIX Kalendas Februarias"},
      {"3101", "pridie Kalendas Februarias", "pridie Kalendas Februarias"},
      {"0102", "Kalendis Februaris", "Kalendis Februaris"},
      {"1402", "a.d. XVI Kalendas Martias", "a.d. XVI Kalendas Martias"},
      {"2602", "a.d. IIII Kalendas Martias", "a.d. IV Kalendas Martias"},
      {"2902", "a.d. I Kalendas Martias", "a.d. I Kalendas Martias"},
      {"0703", "Nonis Martiis", "Nonis Martiis"},
      {"1403", "pridie Idus Martias", "pridie Idus Martias"},
      {"1603", "a.d. XVII Kalendas Apriles", "a.d. XVII Kalendas Apriles"},
      {"0204", "a.d. IIII Nonas Apriles", "a.d. IV Nonas Apriles"},
      {"1412", "a.d. XVIIII Kalendas Ianuarias", "a.d. XIX Kalendas Ianuarias"},
      {"3112", "pridie Kalendas Ianuarias", "pridie Kalendas Ianuarias"},
  };
  const auto additive = Build(false);
  const auto subtractive = Build(true);
  for (const auto& c : cases) {
    EXPECT_EQ(additive.at(c.key), c.additive) << c.key;
    EXPECT_EQ(subtractive.at(c.key), c.subtractive) << c.key;
  }
}

TEST_F(LatinDatesTest, CountsByKindAndStyle) {
  const auto additive = Build(false);
  const auto subtractive = Build(true);
  ASSERT_EQ(additive.size(), 366u);
  std::map<std::string, int> kinds;
  int styleDependent = 0;
  int numeralI = 0;
  for (const auto& [key, text] : subtractive) {
    kinds[text.substr(0, text.find(' '))]++;
    styleDependent += text != additive.at(key) ? 1 : 0;
    numeralI += text.rfind("a.d. I ", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(kinds,
            (std::map<std::string, int>{
                {"Kalendis", 12}, {"Nonis", 12}, {"Idibus", 12}, {"pridie", 36}, {"a.d.", 294}}));
  EXPECT_EQ(styleDependent, 63);
  EXPECT_EQ(numeralI, 1);
}

TEST_F(LatinDatesTest, RebuildNeedsAClear) {
  roman::BuildLatinDates();
  EXPECT_THROW(roman::BuildLatinDates(), roman::LatinDateError);
  EXPECT_EQ(roman::LatinDates.Count(), 366u);
  roman::LatinDates.Clear();
  EXPECT_EQ(roman::LatinDates.Find("0101"), nullptr);
  roman::BuildLatinDates();
  EXPECT_EQ(roman::LatinDates.Count(), 366u);
}

TEST_F(LatinDatesTest, AbsentMalformedAndDuplicateKeys) {
  roman::BuildLatinDates();
  for (const char* key : {"3102", "3002", "3104", "0001", "0100", "0113", "3201", "101", "01-01",
                          "01/01", "", "01011", " 101", "+101", "x101"}) {
    EXPECT_EQ(roman::LatinDates.Find(key), nullptr) << '"' << key << '"';
  }
  EXPECT_THROW(roman::LatinDates.Add("3102", "x"), roman::LatinDateError);
  EXPECT_THROW(roman::LatinDates.Add("0101", "x"), roman::LatinDateError);
  EXPECT_EQ(roman::LatinDates.Count(), 366u);
  EXPECT_EQ(*roman::LatinDates.Find("0101"), "Kalendis Ianuariis");
}

// The build adds in calendar order, so position 60 is 29 February; later
// entries must still be found after they move up.
TEST_F(LatinDatesTest, RemoveByPosition) {
  roman::BuildLatinDates();
  roman::LatinDates.Remove(60);
  EXPECT_EQ(roman::LatinDates.Find("2902"), nullptr);
  EXPECT_EQ(roman::LatinDates.Count(), 365u);
  ASSERT_NE(roman::LatinDates.Find("0103"), nullptr);
  EXPECT_EQ(*roman::LatinDates.Find("0103"), "Kalendis Martiis");
  roman::LatinDates.Remove(roman::LatinDates.Count());
  EXPECT_EQ(roman::LatinDates.Find("3112"), nullptr);
  EXPECT_THROW(roman::LatinDates.Remove(0), roman::LatinDateError);
  EXPECT_THROW(roman::LatinDates.Remove(365), roman::LatinDateError);
}

}  // namespace
