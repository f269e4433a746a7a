// The adapters the scanner drives, in the order of the window's adapter
// list (the index is the list's item index and kalvex-cli's --adapter
// choice): each a name, the list's caption and the driver it makes. A new
// adapter is one driver file and one row here.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "adapter/adapter_driver.h"

namespace kalvex {

struct AdapterEntry {
  const char* name;     // kalvex-cli's --adapter value
  const char* caption;  // the window's list item, marked for translation
  std::unique_ptr<AdapterDriver> (*makeDriver)(DriverServices& services);
};

std::span<const AdapterEntry> Adapters();
// The entry of a list index; nullptr for -1 and any index out of range.
const AdapterEntry* FindAdapter(int index);
// The index of the adapter called `name`; -1 for none.
int AdapterIndexByName(std::string_view name);

}  // namespace kalvex
