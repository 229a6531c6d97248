#include "tuning/mva_scan.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace mva_detail {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::size_t SkipSpace(std::string_view s, std::size_t i) {
  while (i < s.size() && IsSpace(s[i])) ++i;
  return i;
}

// Decides, for a decimal number too large or too small for a double,
// which of the two it is: the power of ten of its leading digit.
bool IsHugeMagnitude(std::string_view digits) {
  std::size_t i = 0;
  long long power = 0;
  bool seenNonZero = false;
  while (i < digits.size() && IsDigit(digits[i])) {
    if (seenNonZero || digits[i] != '0') {
      seenNonZero = true;
      ++power;
    }
    ++i;
  }
  if (i < digits.size() && digits[i] == '.') {
    ++i;
    while (i < digits.size() && IsDigit(digits[i])) {
      if (!seenNonZero) {
        if (digits[i] != '0') seenNonZero = true;
        else --power;
      }
      ++i;
    }
  }
  if (i < digits.size() && (digits[i] == 'e' || digits[i] == 'E')) {
    int32_t exp = 0;
    ParseInt(digits.substr(i + 1), exp);
    power += exp;
  }
  return power > 0;
}

// Parses a decimal real at s[i]; false when there is none.
bool ParseRealAt(std::string_view s, std::size_t i, double& out, std::size_t& end) {
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  // Only decimal notation: from_chars would also take "inf" and "nan".
  if (i >= s.size()) return false;
  if (!IsDigit(s[i]) && !(s[i] == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))) return false;
  double v = 0.0;
  const char* first = s.data() + i;
  auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), v, std::chars_format::general);
  if (ec == std::errc::invalid_argument) return false;
  if (ec == std::errc::result_out_of_range) {
    v = IsHugeMagnitude(std::string_view(first, static_cast<std::size_t>(ptr - first)))
            ? std::numeric_limits<double>::max()
            : 0.0;
  }
  out = negative ? -v : v;
  end = static_cast<std::size_t>(ptr - s.data());
  return true;
}

float ToFloat(double v) {
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(v);
}

}  // namespace

bool ParseInt(std::string_view s, int32_t& out, std::size_t* used) {
  std::size_t i = SkipSpace(s, 0);
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  if (i >= s.size() || !IsDigit(s[i])) {
    out = 0;
    if (used) *used = 0;
    return false;
  }
  long long v = 0;
  const long long limit = negative ? -static_cast<long long>(INT32_MIN) : INT32_MAX;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > limit) v = limit;
  }
  out = static_cast<int32_t>(negative ? -v : v);
  if (used) *used = i;
  return true;
}

float ParseRealPrefix(std::string_view s) {
  double v = 0.0;
  std::size_t end = 0;
  if (!ParseRealAt(s, SkipSpace(s, 0), v, end)) return 0.0f;
  return ToFloat(v);
}

bool ParseRealExact(std::string_view s, float& out) {
  double v = 0.0;
  std::size_t end = 0;
  if (!ParseRealAt(s, 0, v, end) || end != s.size()) return false;
  out = ToFloat(v);
  return true;
}

uint32_t ParseHex(std::string_view s) {
  std::size_t i = SkipSpace(s, 0);
  if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) i += 2;
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    v = std::min<uint64_t>(v * 16 + static_cast<uint64_t>(d), 0xFFFFFFFFull);
  }
  return static_cast<uint32_t>(v);
}

void AppendFixed(std::string& out, double v, int decimals) {
  char buf[400];  // the largest float printed in full is 39 digits before the point
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) {
    out += "0";
    return;
  }
  out.append(buf, ptr);
}

std::vector<std::string_view> SplitFields(std::string_view group) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = group.find(',', start);
    if (comma == std::string_view::npos) {
      fields.push_back(group.substr(start));
      return fields;
    }
    fields.push_back(group.substr(start, comma - start));
    start = comma + 1;
  }
}

std::string ToUpper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = Upper(c);
  return u;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// ---------------------------------------------------------------------------

CfgText::CfgText(std::string_view bytes) {
  // Text mode: CR LF reads as LF. Copied a run at a time between CRs.
  text_.resize(bytes.size());
  char* out = text_.data();
  std::size_t i = 0;
  while (i < bytes.size()) {
    const void* cr = std::memchr(bytes.data() + i, '\r', bytes.size() - i);
    std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data())
                         : bytes.size();
    std::memcpy(out, bytes.data() + i, end - i);
    out += end - i;
    i = end;
    if (i < bytes.size()) {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
        ++i;  // the LF follows on the next run
      } else {
        *out++ = '\r';
        ++i;
      }
    }
  }
  text_.resize(static_cast<std::size_t>(out - text_.data()));
  upper_.resize(text_.size());
  const char* src = text_.data();
  char* up = upper_.data();
  for (std::size_t k = 0, n = text_.size(); k < n; ++k) {
    unsigned char c = static_cast<unsigned char>(src[k]);
    up[k] = static_cast<char>(static_cast<unsigned>(c - 'a') < 26u ? c - ('a' - 'A') : c);
  }

  // Lines as a reader with a limit of kMvaLineLimit characters gets them.
  lineStart_.reserve(text_.size() / 24 + 2);
  std::size_t pos = 0;
  while (pos < text_.size()) {
    lineStart_.push_back(pos);
    std::size_t limit = std::min(text_.size(), pos + kMvaLineLimit);
    const void* nl = std::memchr(text_.data() + pos, '\n', limit - pos);
    pos = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - text_.data()) + 1 : limit;
  }
  lineStart_.push_back(text_.size());

  // Group the lines by first character (counting sort keeps file order).
  const std::size_t lines = LineCount();
  for (std::size_t i = 0; i < lines; ++i) {
    ++firstOffset_[static_cast<unsigned char>(upper_[LineBegin(i)]) + 1];
  }
  for (std::size_t c = 1; c < firstOffset_.size(); ++c) firstOffset_[c] += firstOffset_[c - 1];
  byFirst_.resize(lines);
  std::array<uint32_t, 256> fill;
  std::copy(firstOffset_.begin(), firstOffset_.end() - 1, fill.begin());
  for (std::size_t i = 0; i < lines; ++i) {
    byFirst_[fill[static_cast<unsigned char>(upper_[LineBegin(i)])]++] = static_cast<uint32_t>(i);
  }

  // The device section starts after the first "[" line naming the device.
  std::string_view upperView(upper_);
  for (uint32_t k = firstOffset_['[']; k < firstOffset_['[' + 1]; ++k) {
    std::size_t i = byFirst_[k];
    std::string_view line = upperView.substr(LineBegin(i), LineEnd(i) - LineBegin(i));
    if (line.find(kMvaDeviceSection) != std::string_view::npos) {
      sectionLine_ = i + 1;
      hasSection_ = true;
      break;
    }
  }
}

int CfgText::SearchStart(int sectionIndex, std::size_t& firstLine) const {
  if (sectionIndex < 0) {
    firstLine = 0;
    return 0;
  }
  if (sectionIndex != 0 || !hasSection_) return 1;
  firstLine = sectionLine_;
  return 0;
}

int CfgText::Value(std::string& out, std::string_view key, int sectionIndex, bool upper) const {
  out.clear();
  std::size_t first = 0;
  if (SearchStart(sectionIndex, first) != 0) return 1;
  std::string upperKey = ToUpper(key);

  std::size_t found = LineCount();
  if (upperKey.empty()) {
    if (first < LineCount()) found = first;
  } else {
    auto bucketBegin = byFirst_.begin() + firstOffset_[static_cast<unsigned char>(upperKey[0])];
    auto bucketEnd = byFirst_.begin() + firstOffset_[static_cast<unsigned char>(upperKey[0]) + 1];
    for (auto it = std::lower_bound(bucketBegin, bucketEnd, static_cast<uint32_t>(first));
         it != bucketEnd; ++it) {
      std::size_t b = LineBegin(*it);
      if (LineEnd(*it) - b >= upperKey.size() &&
          upper_.compare(b, upperKey.size(), upperKey) == 0) {
        found = *it;
        break;
      }
    }
  }
  if (found == LineCount()) return 2;

  std::string_view line(text_.data() + LineBegin(found), LineEnd(found) - LineBegin(found));
  std::size_t eq = line.find('=');
  std::size_t b = eq == std::string_view::npos ? line.size() : eq + 1;
  b = SkipSpace(line, b);
  std::size_t e = line.size();
  while (e > b && IsSpace(line[e - 1])) --e;
  out.assign(line.substr(b, e - b));
  if (upper) {
    for (char& c : out) c = Upper(c);
  }
  return 0;
}

int CfgText::FindBracedKey(std::string_view key, int sectionIndex, std::size_t& linePos) const {
  std::size_t first = 0;
  if (SearchStart(sectionIndex, first) != 0) return 1;
  std::string upperKey = ToUpper(key);
  std::string_view upperView(upper_);
  for (std::size_t i = first; i < LineCount(); ++i) {
    std::size_t b = LineBegin(i);
    std::size_t len = LineEnd(i) - b;
    if (len <= upperKey.size()) continue;
    char after = upper_[b + upperKey.size()];
    if (after != ' ' && after != '=') continue;
    if (upperView.substr(b, len).find(upperKey) == std::string_view::npos) continue;
    linePos = b;
    return 0;
  }
  return 2;
}

int CfgText::OpenBraced(std::size_t linePos, bool singleGroup, std::size_t& pos) const {
  std::size_t eq = text_.find('=', linePos);
  if (eq == std::string::npos) return 3;
  pos = eq + 1;
  if (!singleGroup) {
    std::size_t open = text_.find('{', pos);
    if (open == std::string::npos) return 6;
    pos = open + 1;
  }
  return 0;
}

int CfgText::NextGroup(std::size_t& pos, std::string& out) const {
  out.clear();
  const std::size_t n = text_.size();
  const char* t = text_.data();
  std::size_t i = pos;
  while (i < n && t[i] != '{' && t[i] != '}') ++i;
  if (i >= n || t[i] == '}') return 8;
  for (++i; i < n && t[i] != '}'; ++i) {
    char c = t[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (out.size() < kMvaValueLimit) out += c;
  }
  // An unterminated last group ends with the file.
  pos = i < n ? i + 1 : i;
  return 0;
}

ItemList::ItemList(const CfgText& text, std::string_view key, int sectionIndex, bool singleGroup)
    : text_(text) {
  std::size_t line = 0;
  status_ = text.FindBracedKey(key, sectionIndex, line);
  if (status_ == 0) status_ = text.OpenBraced(line, singleGroup, pos_);
}

int ItemList::Next(std::string& out) {
  out.clear();
  if (status_ != 0) return status_;
  int rc = text_.NextGroup(pos_, out);
  if (rc != 0) status_ = rc;
  return rc;
}

// ---------------------------------------------------------------------------

int SectionOf(int deviceIndex) { return deviceIndex >= 0 ? deviceIndex : INT_MAX; }

bool ReadVersion(const CfgText& text, int32_t& major, int32_t& minor) {
  major = 0;
  minor = 0;
  std::string value;
  if (text.Value(value, "VERSION", -1, true) != 0) return false;
  std::size_t used = 0;
  int32_t a = 0;
  int32_t b = 0;
  if (!ParseInt(value, a, &used)) return false;
  if (used >= value.size() || value[used] != '.') return false;
  if (!ParseInt(std::string_view(value).substr(used + 1), b)) return false;
  major = a;
  minor = b;
  return true;
}

int64_t CurveLimit(int axis, int32_t sf) {
  int64_t s = sf;
  return axis < kMvaAxes ? 2 * s + 1 : s + 1;
}

std::vector<MVA_CurvePoint> ReadCurvePoints(const CfgText& text, int axis, int sectionIndex,
                                            int64_t limit) {
  std::vector<MVA_CurvePoint> points;
  ItemList list(text, kMvaAxisNames[axis], sectionIndex, false);
  std::string item;
  for (int64_t n = 0; n < limit; ++n) {
    if (list.Next(item) != 0 || item.empty()) break;
    auto fields = SplitFields(item);
    MVA_CurvePoint p;
    p.x = ParseRealPrefix(fields[0]);
    p.y = fields.size() > 1 ? ParseRealPrefix(fields[1]) : 0.0f;
    points.push_back(p);
  }
  return points;
}

int32_t ReadHpfm(const CfgText& text, std::string_view key, int sectionIndex) {
  ItemList list(text, key, sectionIndex, true);
  std::string group;
  if (list.Next(group) != 0) return 0;
  auto fields = SplitFields(group);
  int32_t mask = 0;
  for (std::size_t i = 0; i < 3 && i < fields.size(); ++i) {
    if (StartsWith(ToUpper(fields[i]), "ON")) mask |= 1 << i;
  }
  if (mask & kMvaFilterAxis) mask = kMvaFilterAxis;
  return mask;
}

std::array<float, kMvaSensFactors> ReadSens(const CfgText& text, std::string_view key,
                                            int sectionIndex) {
  std::array<float, kMvaSensFactors> neutral;
  neutral.fill(1.0f);
  ItemList list(text, key, sectionIndex, true);
  std::string group;
  if (list.Next(group) != 0) return neutral;
  auto fields = SplitFields(group);
  if (fields.size() != kMvaSensFactors) return neutral;
  std::array<float, kMvaSensFactors> sens;
  for (int i = 0; i < kMvaSensFactors; ++i) {
    if (!ParseRealExact(fields[i], sens[i])) return neutral;
    if (sens[i] < 0.0f) sens[i] = 0.0f;
  }
  return sens;
}

}  // namespace mva_detail
