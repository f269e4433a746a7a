#include "catalogue/first_request.h"

#include "catalogue/make_registry.h"

namespace kalvex {

uint8_t FirstRequest(int make, int ecu, FirstRequestPoint at) {
  const MakeEntry* entry = FindMake(make);
  if (!entry) return kUnchanged;
  for (const FirstRequestRow& row : entry->firstRequests)
    if (row.ecus.contains(ecu)) return row.first[static_cast<size_t>(at)];
  return kUnchanged;
}

}  // namespace kalvex
