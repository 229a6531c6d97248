// Runs the tandrix tool as a user would and captures what it prints.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// inChild, when given, runs in the tool's process just before it starts
// (to set a resource limit, for instance).
ToolResult RunTool(const std::vector<std::string>& args, const std::string& cwd = ".",
                   const std::function<void()>& inChild = nullptr);

}  // namespace testsupport
