#include "customizer_fixture.h"

#include <fstream>
#include <sstream>

namespace custtest {
namespace {

std::string Replace(std::string text, const std::string& key, const std::string& value) {
  const std::string start = "\n" + key + " = ";
  std::size_t at = text.find(start);
  if (at == std::string::npos) return text;
  at += start.size();
  return text.replace(at, text.find('\r', at) - at, value);
}

}  // namespace

std::string ReadProductFile(const std::string& relative) {
  std::ifstream in(std::string(TANDRIX_PRODUCT_DIR) + "/" + relative, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Vcg(const std::string& name, const std::string& level, const std::string& orientation) {
  static const std::string generic = ReadProductFile("defaults/Generic.vcg");
  std::string text = Replace(generic, "APPLICATION_NAME", name);
  text = Replace(text, "LEVEL", level);
  return Replace(text, "ORIENTATION", orientation);
}

}  // namespace custtest
