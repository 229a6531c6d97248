#include "customizer/store_failure.h"

std::string StoreFailureText(std::string_view lead, platform::RegStatus status) {
  std::string cause = platform::RegStatusText(status);
  if (status == platform::kRegBadDb || status == platform::kRegAccessDenied) {
    if (std::string why = platform::SystemRegistryError(); !why.empty()) cause = "the registry store: " + why;
  }
  return std::string(lead) + ": " + cause + ".";
}
