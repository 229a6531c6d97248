#include "platform/errorlog.h"

#include <string>

#include "platform/clock.h"
#include "platform/file.h"

namespace platform {

bool AppendErrorLog(std::string_view path, std::string_view message) {
  File log;
  if (!log.Open(path, OpenMode::AppendText)) return false;
  std::string line = "Win95: ";
  line.append(message);
  line += ": ";
  line += LocalTime24();
  line += '\n';
  bool ok = log.Write(line);
  return log.Close() && ok;
}

}  // namespace platform
