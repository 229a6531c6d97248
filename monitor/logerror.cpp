#include "monitor/logerror.h"

#include <string>

#include "monitor/host.h"
#include "monitor/strings.h"
#include "platform/dospath.h"
#include "platform/errorlog.h"

namespace {

// Longest string a message may start with, as the string buffer holds it.
constexpr std::size_t kMessageChars = 254;

std::string ErrorLogPath() { return platform::CurrentDirectory() + "\\error.log"; }

}  // namespace

void LogError(int stringId, std::string_view detail, bool showBox, MonitorHost* host) {
  std::string message(MonitorString(stringId).substr(0, kMessageChars));
  message += detail;
  platform::AppendErrorLog(ErrorLogPath(), message);
  if (showBox && host != nullptr) {
    host->ShowMessage(stringId, message, MonitorString(kIdsErrorCaption), kMbIconStop);
  }
}

void LogMessageText(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += c;
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  platform::AppendErrorLog(ErrorLogPath(), line);
}
