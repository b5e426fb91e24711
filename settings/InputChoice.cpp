#include "settings/InputChoice.h"

InputResolution ResolveInput(const RememberedInput& remembered,
                             const std::vector<std::string>& deviceNames) {
  if (remembered.Name.empty()) return {};
  const auto count = static_cast<int32_t>(deviceNames.size());
  const int32_t hint = remembered.NumberHint;
  if (hint >= 0 && hint < count && deviceNames[hint] == remembered.Name) return {hint, false};
  for (int32_t device = 0; device < count; ++device)
    if (deviceNames[device] == remembered.Name) return {device, false};
  return {0, true};
}
