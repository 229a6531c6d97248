// Inside the tuning library: the indexed text of one .vcg file and the
// per-key rules the three readers share.
//
// A reader takes the file's bytes once and indexes them; every lookup then
// gives exactly what a fresh scan of the file from the top (or from the
// device section line) would give, without rescanning.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tuning/mva_config.h"

namespace mva_detail {

// ---------------------------------------------------------------------------
// Numbers, independent of the process locale (a Qt front end switches
// LC_NUMERIC to the user's, which would turn "0.5" into 0 for strtod).

// Leading blanks, an optional sign and decimal digits, like strtol; values
// beyond 32 bits saturate. False (out = 0) when there are no digits.
bool ParseInt(std::string_view s, int32_t& out, std::size_t* used = nullptr);
// A decimal real at the start of s, like atof; 0 when there is none. Huge
// values saturate to the largest float; "inf" and "nan" are not numbers.
float ParseRealPrefix(std::string_view s);
// True when all of s is one decimal real.
bool ParseRealExact(std::string_view s, float& out);
// Hexadecimal with an optional "0x"; saturates at 0xFFFFFFFF; 0 when none.
uint32_t ParseHex(std::string_view s);
// printf's "%.<decimals>f" in the "C" locale.
void AppendFixed(std::string& out, double v, int decimals);

// The fields of a group: the text between commas.
std::vector<std::string_view> SplitFields(std::string_view group);
std::string ToUpper(std::string_view s);
bool StartsWith(std::string_view s, std::string_view prefix);

// ---------------------------------------------------------------------------
// The text of one file as the line reader sees it: text-mode line ends,
// lines of at most kMvaLineLimit characters (the rest of a longer line is a
// further line).

class CfgText {
 public:
  explicit CfgText(std::string_view bytes);

  // Scalar lookup: the first line (from the top, or after the device
  // section line) that starts with key, compared without regard to case.
  // 0 found, 1 section missing, 2 key missing (out empty).
  int Value(std::string& out, std::string_view key, int sectionIndex, bool upper) const;

  // Braced lookup, first half: the first line that contains key (upper-cased)
  // with a blank or "=" at index key.size(). 0 (linePos = its start), 1, 2.
  int FindBracedKey(std::string_view key, int sectionIndex, std::size_t& linePos) const;
  // From a key line: past the first "=" (3 if none) and, for a list, past
  // the outer "{" (6 if none).
  int OpenBraced(std::size_t linePos, bool singleGroup, std::size_t& pos) const;
  // The next group from pos: 0 with its text (blanks, tabs and line ends
  // removed, at most kMvaValueLimit characters kept) and pos past its "}";
  // 8 when a "}" or the end of the file comes before the next "{".
  int NextGroup(std::size_t& pos, std::string& out) const;

 private:
  std::size_t LineCount() const { return lineStart_.size() - 1; }
  std::size_t LineBegin(std::size_t i) const { return lineStart_[i]; }
  std::size_t LineEnd(std::size_t i) const { return lineStart_[i + 1]; }
  // 0 and the first line to search, or 1 when the section is missing.
  int SearchStart(int sectionIndex, std::size_t& firstLine) const;

  std::string text_;   // after text-mode translation
  std::string upper_;  // the same, upper-cased
  std::vector<std::size_t> lineStart_;  // line i is [lineStart_[i], lineStart_[i+1])
  // Lines grouped by their upper-cased first character, in file order.
  std::vector<uint32_t> byFirst_;
  std::array<uint32_t, 257> firstOffset_{};
  std::size_t sectionLine_ = 0;  // the line after "[...HARRIER_1...]"
  bool hasSection_ = false;
};

// Items 1, 2, 3 ... of one braced list (or the one group of a single
// braced value), each read where the previous one ended.
class ItemList {
 public:
  ItemList(const CfgText& text, std::string_view key, int sectionIndex, bool singleGroup);
  // The lookup result of the first item until one has been read.
  int status() const { return status_; }
  // 0 and the next item's text, or the code that ends the list.
  int Next(std::string& out);

 private:
  const CfgText& text_;
  int status_ = 0;
  std::size_t pos_ = 0;
};

// ---------------------------------------------------------------------------
// Per-key rules shared by the readers.

// Section index for a device index; anything but a known device finds no section.
int SectionOf(int deviceIndex);

// The upper-cased token of key looked up in table; -1 when missing or unknown.
template <std::size_t N>
int ReadToken(const CfgText& text, std::string_view key, const std::array<std::string_view, N>& table) {
  std::string value;
  if (text.Value(value, key, -1, true) != 0) return -1;
  return MVA_TokenIndex(table, value);
}

// VERSION as major.minor; false when missing or not two numbers.
bool ReadVersion(const CfgText& text, int32_t& major, int32_t& minor);
// A curve of at most limit points (limit may be below 1); empty when it has
// none that can be read.
std::vector<MVA_CurvePoint> ReadCurvePoints(const CfgText& text, int axis, int sectionIndex,
                                            int64_t limit);
// The point limit of a curve for a given SF.
int64_t CurveLimit(int axis, int32_t sf);
// A filter mask group; 0 when missing.
int32_t ReadHpfm(const CfgText& text, std::string_view key, int sectionIndex);
// Seven factors; all 1.0 when missing or not exactly seven numbers;
// negative factors become 0.
std::array<float, kMvaSensFactors> ReadSens(const CfgText& text, std::string_view key,
                                            int sectionIndex);

// No exception may leave the library: an operation that runs out of memory
// (or meets any other exception) ends with its failure code instead.
template <class Body>
int NoThrow(int failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

}  // namespace mva_detail
