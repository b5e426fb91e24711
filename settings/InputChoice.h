#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The input the user chose, remembered by its product name, with the device
// number it had as a hint for telling apart inputs of the same name. An
// empty name means none was chosen: device 0.
struct RememberedInput {
  std::string Name;
  int32_t NumberHint = 0;
};

struct InputResolution {
  int32_t Device = 0;
  // An input was remembered but none of that name is there now; Device is 0.
  bool RememberedGone = false;
};

// The device to open for the remembered input among the devices present now
// (their product names, indexed by device number): the device at the hinted
// number if it has that name, else the first one of that name, else device 0
// with RememberedGone set.
InputResolution ResolveInput(const RememberedInput& remembered,
                             const std::vector<std::string>& deviceNames);
