// Runs the tandrix tool as a user would and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

ToolResult RunTool(const std::vector<std::string>& args, const std::string& cwd = ".");

}  // namespace testsupport
