#include "platform/errorlog.h"

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/file.h"

namespace platform {

bool AppendErrorLog(std::string_view path, std::string_view message) {
  File log;
  if (!log.Open(path, OpenMode::AppendText)) return false;
  const std::string when = LocalTime24();
  std::string line;
  line.reserve(message.size() + when.size() + 10);
  for (std::string_view part : {std::string_view("Win95: "), message, std::string_view(": "),
                                std::string_view(when), std::string_view("\n")}) {
    line.append(part);
  }
  bool ok = log.Write(line);
  return log.Close() && ok;
}

}  // namespace platform
