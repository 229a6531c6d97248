// tandrix curves [FILE.vcg] [--svg OUT]: the response of all eight axes as
// the driver applies it, drawn as an SVG a player can open. Without a file
// it draws the live tuning from the store, exactly as the driver reads it;
// with one, the tuning that file would make live (its level's sensitivities
// and filter, its orientation's axis map).
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "driver/store_tuning.h"
#include "driver/transform.h"
#include "tools/command.h"
#include "tuning/mva_config.h"
#include "tuning/mva_driver_view.h"

namespace tools {
namespace {

constexpr const char* kAxisNames[] = {"TX", "TY", "TZ", "RX", "RY", "RZ", "TV", "RV"};
constexpr const char* kLevels[] = {"BEGINNER", "INTERMEDIATE", "EXPERT"};
constexpr int kPanelW = 240, kPanelH = 200, kPlotW = 200, kPlotH = 140, kLeft = 30, kTop = 34;

// The tuning a file would make live, as the activation writes it.
vexord::Tuning FileTuning(const MVA_DriverCfg& cfg, const std::string& file) {
  vexord::Tuning t;
  for (int a = 0; a < kMvaCurves; ++a) t.tables[static_cast<std::size_t>(a)] = MVA_MakeAxisTable(cfg, a);
  t.sens = MVA_MakeSensitivity(cfg);
  t.filter = cfg.hpfm;
  const bool valid = cfg.axisMap.size() == kMvaMapLength &&
                     cfg.axisMap.find_first_not_of(kMvaMapLetters) == std::string::npos;
  t.axisMap = valid ? cfg.axisMap : std::string(kMvaDefaultAxisMap);
  t.configuration = file;
  return t;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

// One panel: a polyline of f over [x0, x1] onto -100..100 (or 0..100 for
// the vector axes), and a dashed reference.
template <typename F, typename G>
void Panel(std::ostringstream& svg, int index, const std::string& title, double x0, double x1, bool vector,
           F response, G reference) {
  const int px = (index % 4) * kPanelW, py = (index / 4) * kPanelH;
  const double yLo = vector ? 0.0 : -100.0;
  auto X = [&](double x) { return px + kLeft + (x - x0) / (x1 - x0) * kPlotW; };
  auto Y = [&](double y) {
    y = std::fmax(yLo, std::fmin(100.0, y));
    return py + kTop + (100.0 - y) / (100.0 - yLo) * kPlotH;
  };
  svg << "<g>\n<text x=\"" << px + kLeft << "\" y=\"" << py + 20 << "\" font-size=\"13\">" << Escape(title)
      << "</text>\n";
  svg << "<rect x=\"" << px + kLeft << "\" y=\"" << py + kTop << "\" width=\"" << kPlotW << "\" height=\""
      << kPlotH << "\" fill=\"none\" stroke=\"#999\"/>\n";
  svg << "<line x1=\"" << X(x0) << "\" y1=\"" << Y(0) << "\" x2=\"" << X(x1) << "\" y2=\"" << Y(0)
      << "\" stroke=\"#ccc\"/>\n";
  if (!vector) {
    svg << "<line x1=\"" << X(0) << "\" y1=\"" << Y(-100) << "\" x2=\"" << X(0) << "\" y2=\"" << Y(100)
        << "\" stroke=\"#ccc\"/>\n";
  }
  svg << "<text x=\"" << px + kLeft << "\" y=\"" << py + kTop + kPlotH + 14 << "\" font-size=\"10\">"
      << x0 << "</text><text x=\"" << px + kLeft + kPlotW - 18 << "\" y=\"" << py + kTop + kPlotH + 14
      << "\" font-size=\"10\">" << x1 << "</text>\n";
  auto line = [&](auto f, const char* style) {
    svg << "<polyline fill=\"none\" " << style << " points=\"";
    for (int i = 0; i <= kPlotW; ++i) {
      const double x = x0 + (x1 - x0) * i / kPlotW;
      svg << X(x) << "," << Y(f(x)) << (i < kPlotW ? " " : "");
    }
    svg << "\"/>\n";
  };
  line(reference, "stroke=\"#aaa\" stroke-dasharray=\"4 3\"");
  line(response, "stroke=\"#c03\" stroke-width=\"2\"");
  svg << "</g>\n";
}

std::string Svg(const vexord::Tuning& t, const std::string& level) {
  const vexord::Transform f(t);
  std::ostringstream svg;
  svg.precision(5);
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << 4 * kPanelW << "\" height=\""
      << 2 * kPanelH + 40 << "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg << "<text x=\"10\" y=\"" << 2 * kPanelH + 22 << "\" font-size=\"12\">" << Escape(t.configuration)
      << (level.empty() ? "" : "  level " + level) << "  filter " << t.filter << "  map " << Escape(t.axisMap)
      << " (red: as applied, sensitivity included; dashed: the curve alone)</text>\n";
  const double master = t.sens[6] / 65536.0;
  for (int a = 0; a < 6; ++a) {
    const std::size_t j = kMvaMapLetters.find(t.axisMap[static_cast<std::size_t>(a)]);
    const char joy = "XYZRUV"[j / 2];
    char title[96];
    std::snprintf(title, sizeof title, "%s \xe2\x86\x92 %s%c  \xc3\x97%.2f", kAxisNames[a], j % 2 ? "-" : "", joy,
                  t.sens[static_cast<std::size_t>(a)] / 65536.0 * master);
    std::string text = title;
    if (f.Alone(a, 512) == 0.0 && f.Alone(a, -512) == 0.0 && f.Curve(a, 512) != 0.0) text += " (filtered out)";
    Panel(svg, a, text, -vexord::kDomain, vexord::kDomain, false,
          [&](double x) { return f.Alone(a, x) * (j % 2 ? -1 : 1); }, [&](double x) { return f.Curve(a, x); });
  }
  for (int a = 6; a < 8; ++a) {
    Panel(svg, a, std::string(kAxisNames[a]) + " (vector length)", 0, vexord::kDomain, true,
          [&](double x) { return f.Vector(a, x); }, [&](double x) { return x / vexord::kDomain * 100.0; });
  }
  svg << "</svg>\n";
  return svg.str();
}

int Curves(const Args& a) {
  std::string file, out;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == "--svg") {
      if (i + 1 >= a.size()) return UsageError("curves: --svg needs a file name");
      out = a[++i];
    } else if (file.empty() && !a[i].starts_with("-")) {
      file = a[i];
    } else {
      return UsageError("curves: unknown argument " + a[i]);
    }
  }
  vexord::Tuning tuning;
  std::string level;
  if (!file.empty()) {
    MVA_DriverCfg cfg;
    if (MVA_ReadDriverCfg(cfg, 0, file) != 0) return Fail("cannot read " + file);
    tuning = FileTuning(cfg, file);
    level = kLevels[cfg.level >= 0 && cfg.level < 3 ? cfg.level : 0];
  } else {
    std::string why;
    auto live = vexord::ReadStoreTuning(why);
    if (!live) return Fail("no live tuning to draw: " + why);
    tuning = std::move(*live);
  }
  if (auto bad = vexord::Malformed(tuning)) return Fail("cannot draw: " + *bad);
  const std::string svg = Svg(tuning, level);
  if (out.empty()) {
    std::fputs(svg.c_str(), stdout);
    return 0;
  }
  std::ofstream os(out, std::ios::binary | std::ios::trunc);
  if (!(os << svg) || !os.flush()) return Fail("cannot write " + out);
  std::printf("%s: the eight axes of %s\n", out.c_str(), tuning.configuration.c_str());
  return 0;
}

const Command kCurves(
    "curves", "curves [FILE.vcg] [--svg OUT]", Curves,
    "Draws the response of all eight axes as the driver applies it: for TX..RZ\n"
    "the joystick value for each push of that axis alone, sensitivity (axis factor\n"
    "times master), filter and vector dead zone included, beside the curve alone;\n"
    "for TV and RV the vector curve over the vector's length. Without FILE it draws\n"
    "the live tuning of the registry store, as the driver reads it.\n"
    "\n"
    "  --svg OUT  write the picture to OUT instead of standard output\n");

}  // namespace
}  // namespace tools
