// Configuration files (.vcg): the in-memory record, its token vocabulary,
// the lookups that fetch values by name, the readers and the writer.
//
// A .vcg file is plain text: comment lines (";"), scalar lines NAME = value,
// one device section "[HARRIER_1]" that runs to the end of the file, and
// braced values NAME = { a, b } or braced lists NAME = { { a, b }, { c } }.
// Every value is fetched by name, so key order does not matter and unknown
// lines are ignored.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "tuning/mva_driver_view.h"

// ---------------------------------------------------------------------------
// Limits of the file format.

inline constexpr std::size_t kMvaLineLimit = 254;         // characters per line read
inline constexpr std::size_t kMvaValueLimit = 254;        // characters a lookup hands back
inline constexpr std::size_t kMvaAppNameLimit = 23;       // APPLICATION_NAME in the full record
inline constexpr std::size_t kMvaUserAppNameLimit = 255;  // APPLICATION_NAME in the user settings
inline constexpr std::size_t kMvaLabelLimit = 35;         // TX_LABEL ... RZ_LABEL
inline constexpr std::size_t kMvaMaskNameLimit = 23;      // mask names in the full record
inline constexpr std::size_t kMvaUserMaskNameLimit = 35;  // mask names in the user settings
inline constexpr int kMvaMaxMasks = 80;                   // masks kept in the full record
inline constexpr int kMvaMaxUserMasks = 100;              // mask names kept in the user settings
inline constexpr std::size_t kMvaMapLength = 6;           // letters of an axis map
inline constexpr int kMvaNoButton = 255;                  // user-settings button with no mask

// ---------------------------------------------------------------------------
// Axes, buttons and token tables.

inline constexpr int kMvaAxes = 6;        // TX TY TZ RX RY RZ
inline constexpr int kMvaCurves = 8;      // the six axes, then TV and RV
inline constexpr int kMvaButtons = 6;     // A .. F
inline constexpr int kMvaFunctions = 24;  // TX+ TX- TX+R TX-R TY+ ... RZ-R
inline constexpr int kMvaAppValues = 9;   // per axis: MINIMUM ZERO MAXIMUM, 3 positive, 3 negative
inline constexpr int kMvaSensFactors = 7;

enum MVA_Axis { MVA_TX, MVA_TY, MVA_TZ, MVA_RX, MVA_RY, MVA_RZ, MVA_TV, MVA_RV };

// The one device type: section "[HARRIER_1]", device index 0.
inline constexpr std::string_view kMvaDeviceSection = "HARRIER_1";

inline constexpr std::array<std::string_view, 8> kMvaAxisNames = {"TX", "TY", "TZ", "RX",
                                                                   "RY", "RZ", "TV", "RV"};
// Direction words of the application values, positive then negative.
inline constexpr std::array<std::array<std::string_view, 2>, 6> kMvaDirectionWords = {{
    {"RIGHT", "LEFT"}, {"UP", "DOWN"}, {"FORWARD", "BACKWARD"},
    {"UP", "DOWN"},    {"RIGHT", "LEFT"}, {"RIGHT", "LEFT"},
}};

inline constexpr std::array<std::string_view, 3> kMvaOwnerTokens = {"VELTRANI", "USER", "OEM"};
inline constexpr std::array<std::string_view, 2> kMvaTypeTokens = {"DOS", "WINDOWS"};
inline constexpr std::array<std::string_view, 3> kMvaLevelTokens = {"BEGINNER", "INTERMEDIATE",
                                                                    "EXPERT"};
inline constexpr std::array<std::string_view, 3> kMvaOrientationTokens = {"HORIZONTAL", "VERTICAL",
                                                                          "ADVANCED"};
enum MVA_Level { MVA_BEGINNER, MVA_INTERMEDIATE, MVA_EXPERT };
enum MVA_Orientation { MVA_HORIZONTAL, MVA_VERTICAL, MVA_ADVANCED };
enum MVA_GameType { MVA_DOS, MVA_WINDOWS };

// The five axis maps in record order.
inline constexpr std::array<std::string_view, 5> kMvaAxisMapKeys = {
    "AXIS_MAP_HRZ_DFLT", "AXIS_MAP_VRT_DFLT", "AXIS_MAP_HRZ_USER", "AXIS_MAP_VRT_USER",
    "AXIS_MAP_ADV_USER"};
enum MVA_AxisMapSlot { MVA_MAP_HRZ_DFLT, MVA_MAP_VRT_DFLT, MVA_MAP_HRZ_USER, MVA_MAP_VRT_USER,
                       MVA_MAP_ADV_USER };
inline constexpr std::array<std::string_view, 6> kMvaLabelKeys = {
    "TX_LABEL", "TY_LABEL", "TZ_LABEL", "RX_LABEL", "RY_LABEL", "RZ_LABEL"};
inline constexpr std::array<std::string_view, 3> kMvaHpfmKeys = {"HPFM_BEG", "HPFM_INT",
                                                                 "HPFM_EXP"};
// The six sensitivity rows in record order: defaults per level, then the user's.
inline constexpr std::array<std::string_view, 6> kMvaSensKeys = {
    "SENS_BEG_DFLT", "SENS_INT_DFLT", "SENS_EXP_DFLT",
    "SENS_BEG_USER", "SENS_INT_USER", "SENS_EXP_USER"};
inline constexpr std::array<std::string_view, 6> kMvaButtonDfltKeys = {
    "BUTTON_A_DFLT", "BUTTON_B_DFLT", "BUTTON_C_DFLT",
    "BUTTON_D_DFLT", "BUTTON_E_DFLT", "BUTTON_F_DFLT"};
inline constexpr std::array<std::string_view, 6> kMvaButtonUserKeys = {
    "BUTTON_A_USER", "BUTTON_B_USER", "BUTTON_C_USER",
    "BUTTON_D_USER", "BUTTON_E_USER", "BUTTON_F_USER"};
inline constexpr std::array<std::string_view, 24> kMvaFunctionKeys = {
    "TX+", "TX-", "TX+R", "TX-R", "TY+", "TY-", "TY+R", "TY-R", "TZ+", "TZ-", "TZ+R", "TZ-R",
    "RX+", "RX-", "RX+R", "RX-R", "RY+", "RY-", "RY+R", "RY-R", "RZ+", "RZ-", "RZ+R", "RZ-R"};
inline constexpr std::array<std::string_view, 9> kMvaTrKeys = {
    "RVTR", "TVTR", "RZTR", "RYTR", "RXTR", "TZTR", "TYTR", "TXTR", "AVIR"};
inline constexpr std::array<std::string_view, 8> kMvaCpKeys = {
    "RVCP", "TVCP", "RZCP", "RYCP", "RXCP", "TZCP", "TYCP", "TXCP"};

// Filter mask bits.
inline constexpr int32_t kMvaFilterAxis = 1;
inline constexpr int32_t kMvaFilterTranslation = 2;
inline constexpr int32_t kMvaFilterRotation = 4;

// Axis-map letters: X Y Z R U V are joystick axes 0..5; upper case drives
// the axis directly, lower case reversed.
inline constexpr std::string_view kMvaMapLetters = "XxYyZzRrUuVv";
inline constexpr std::string_view kMvaDefaultAxisMap = "XYZRUV";

// The key of application value i (0..8) of axis (0..5), e.g. "TX_SLOW_RIGHT".
const std::string& MVA_AppValueKey(int axis, int i);

// Index of an upper-case word in a token table, or -1 when it is not there.
template <std::size_t N>
int MVA_TokenIndex(const std::array<std::string_view, N>& table, std::string_view word) {
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i] == word) return static_cast<int>(i);
  }
  return -1;
}
// The token of an index, or the table's first token when out of range.
template <std::size_t N>
std::string_view MVA_TokenName(const std::array<std::string_view, N>& table, int index) {
  return (index >= 0 && static_cast<std::size_t>(index) < N) ? table[index] : table[0];
}

// ---------------------------------------------------------------------------
// The full record.

struct MVA_CurvePoint {
  float x = 0.0f;  // device value
  float y = 0.0f;  // application value
  friend bool operator==(const MVA_CurvePoint&, const MVA_CurvePoint&) = default;
};

struct MVA_AxisCurve {
  std::vector<MVA_CurvePoint> points;
  std::vector<MVA_CurveSegment> segments;  // always derived from points
  int32_t pointCount() const { return static_cast<int32_t>(points.size()); }
  int32_t segmentCount() const { return static_cast<int32_t>(segments.size()); }
  friend bool operator==(const MVA_AxisCurve&, const MVA_AxisCurve&) = default;
};

struct MVA_ButtonMask {
  std::string name;   // at most 23 characters; "_" stands for a blank
  uint32_t mask = 0;  // opaque to the library
  friend bool operator==(const MVA_ButtonMask&, const MVA_ButtonMask&) = default;
};

struct MVA_ButtonMap {
  std::vector<int32_t> indices;  // each selects an entry of buttonMasks
  int32_t count() const { return static_cast<int32_t>(indices.size()); }
  friend bool operator==(const MVA_ButtonMap&, const MVA_ButtonMap&) = default;
};

struct MVA_FunctionMask {
  int32_t present = 0;    // 0 or 1
  int32_t maskIndex = 0;  // entry of buttonMasks; meaningful only when present
  friend bool operator==(const MVA_FunctionMask&, const MVA_FunctionMask&) = default;
};

// Stored as read and written back; nothing computes with them.
struct MVA_TrEntry {
  std::array<float, 2> reals{};
  std::array<int32_t, 3> ints{};
  friend bool operator==(const MVA_TrEntry&, const MVA_TrEntry&) = default;
};

// Five columns of seven rows; row r of the file lists column 0..4 at row r.
struct MVA_CpBlock {
  std::array<std::array<float, 7>, 5> column{};
  friend bool operator==(const MVA_CpBlock&, const MVA_CpBlock&) = default;
};

struct MVA_CfgRecord {
  int32_t versionMajor = 0;
  int32_t versionMinor = 0;
  std::string applicationName;  // at most 23 characters, no quotes
  int32_t owner = 0;
  int32_t type = 0;
  int32_t level = 0;
  int32_t orientation = 0;
  std::array<std::string, 6> axisLabels;  // at most 35 characters each
  std::array<std::string, 5> axisMaps;    // kMvaAxisMapKeys order, six letters each
  std::array<std::array<float, kMvaAppValues>, kMvaAxes> appValues{};
  int32_t validMasks = 0;
  int32_t validNumbers = 0;
  int32_t validCharacters = 0;
  std::vector<MVA_ButtonMask> buttonMasks;  // at most 80, file order
  int32_t devicePresent = 0;
  std::array<MVA_AxisCurve, kMvaCurves> axes;
  std::array<MVA_ButtonMap, kMvaButtons> buttonMapsDflt;
  std::array<MVA_ButtonMap, kMvaButtons> buttonMapsUser;
  int32_t sf = 0;  // curve points allowed on each side of an axis
  std::array<MVA_TrEntry, 9> tr;
  std::array<MVA_CpBlock, 8> cp;
  std::array<int32_t, 3> hpfm{};
  std::array<std::array<float, kMvaSensFactors>, 6> sens{};
  std::array<MVA_FunctionMask, kMvaFunctions> functionMasks;

  int32_t buttonMaskCount() const { return static_cast<int32_t>(buttonMasks.size()); }
  friend bool operator==(const MVA_CfgRecord&, const MVA_CfgRecord&) = default;
};

// ---------------------------------------------------------------------------
// The customizer's view.

// One axis map turned around: for each joystick axis X Y Z R U V, the
// device axis (map position) that drives it and whether it is reversed.
struct MVA_UserAxisMap {
  std::array<uint8_t, 6> source{0, 1, 2, 3, 4, 5};
  std::array<uint8_t, 6> reversed{};
  friend bool operator==(const MVA_UserAxisMap&, const MVA_UserAxisMap&) = default;
};

struct MVA_UserSettings {
  uint8_t owner = 0;
  uint8_t type = 0;
  uint8_t level = 0;
  uint8_t orientation = 0;
  std::string applicationName;  // quotes kept, exactly as in the file
  std::array<std::string, 6> axisLabels;
  std::array<MVA_UserAxisMap, 5> axisMaps;
  std::array<int32_t, 3> hpfm{};
  // In hundredths (100 = neutral); element 0 is the master (seventh)
  // factor, elements 1..6 the axes TX..RZ.
  std::array<std::array<int32_t, kMvaSensFactors>, 6> sens{};
  std::array<int32_t, kMvaButtons> buttonDflt{};  // mask index, or kMvaNoButton
  std::array<int32_t, kMvaButtons> buttonUser{};
  std::vector<std::string> maskNames;  // at most 100, blanks for underscores
  int32_t maskCount() const { return static_cast<int32_t>(maskNames.size()); }
  friend bool operator==(const MVA_UserSettings&, const MVA_UserSettings&) = default;
};

// ---------------------------------------------------------------------------
// Conversions.

// True when the map has six characters, all of them map letters.
bool MVA_IsValidAxisMap(std::string_view map);
// Text form to the customizer's form; letters outside the set are skipped.
MVA_UserAxisMap MVA_AxisMapToUser(std::string_view map);
// The customizer's form back to text over a template map; positions that no
// joystick axis claims keep the template's letter ("-" where it has none).
std::string MVA_AxisMapFromUser(const MVA_UserAxisMap& user, std::string_view templateMap);

// Segments of a curve from its points; the identity over -512..512 when the
// curve has no points.
std::vector<MVA_CurveSegment> MVA_MakeSegments(const std::vector<MVA_CurvePoint>& points);
MVA_CurveSegment MVA_IdentitySegment();

// Releases every list hung off the record (masks, curves, button maps) and
// clears the function masks.
void MVA_FreeCfgRecord(MVA_CfgRecord& record);

// ---------------------------------------------------------------------------
// Lookups on an open file. sectionIndex -1 searches the whole file, 0 starts
// after the "[HARRIER_1]" line. The file's bytes are read as text.

// Scalar value of key. 0 found, 1 section missing, 2 key missing (buffer
// empty). MVA_GetCfgValueUpper upper-cases the value.
int MVA_GetCfgValue(std::string& buffer, std::string_view key, int sectionIndex,
                    platform::File& file);
int MVA_GetCfgValueUpper(std::string& buffer, std::string_view key, int sectionIndex,
                         platform::File& file);

// Lets sequential reads of items 1, 2, 3 ... of one list continue where the
// previous item ended. Start each list with a fresh cache.
struct MVA_CfgItemCache {
  std::string key;
  int64_t keyPos = -1;
  int lastItem = 0;
  int64_t nextPos = -1;
};

// Item n (from 1) of a braced list, blanks, tabs and line ends removed;
// with singleGroup the one group after "=". 0 found, 1 section missing,
// 2 key missing, 3 no "=", 6 no outer "{", 8 the list ended before item n.
int MVA_GetCfgItem(std::string& buffer, std::string_view key, int sectionIndex,
                   platform::File& file, int n, MVA_CfgItemCache* cache, bool singleGroup);

// ---------------------------------------------------------------------------
// Readers (device index 0).

// 0; -2 the file cannot be opened; -3 VERSION major below 4. Fields the file
// does not give keep their value, so read into a fresh record.
int MVA_ReadCfgFile(MVA_CfgRecord& record, int deviceIndex, std::string_view path);
// 0; -1 the file cannot be opened; -2 VERSION not major.minor or below 4.
int MVA_ReadUserSettings(MVA_UserSettings& settings, std::string_view path);

// ---------------------------------------------------------------------------
// Writer.

// 0; -2 versionMajor below 2; -3 the file cannot be written (the old file is
// left as it was); -5 the record has no device section (the part before it
// has been written).
int MVA_WriteCfgFile(const MVA_CfgRecord& record, std::string_view path);
// The DFLT (user false) or USER group of button maps. 0, or -1 for a device
// index other than 0 (reported on standard error, nothing written).
int MVA_WriteButtonMap(std::string& out, const MVA_CfgRecord& record, int deviceIndex, bool user);
// One curve (axis 0..7). 0, or -1 for an unknown axis (reported, nothing written).
int MVA_WriteAxis(std::string& out, const MVA_CfgRecord& record, int axis);
// The whole file's text as MVA_WriteCfgFile writes it, with the given date
// (24 characters) and "\n" line ends; -5 is reported through devicePresent.
std::string MVA_FormatCfgFile(const MVA_CfgRecord& record, std::string_view date);

// Lays the settings over the template and writes the result to outPath.
// 0; -1 the template cannot be read; -2 the write failed.
int MVA_SaveUserSettings(const MVA_UserSettings& settings, std::string_view templatePath,
                         std::string_view outPath);
