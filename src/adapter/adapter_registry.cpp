#include "adapter/adapter_registry.h"

#include "adapter/elm327_driver.h"
#include "adapter/kesta_driver.h"
#include "protocol/translate.h"

namespace kalvex {
namespace {

template <typename Driver>
std::unique_ptr<AdapterDriver> Make(DriverServices& services) {
  return std::make_unique<Driver>(services);
}

constexpr AdapterEntry kAdapters[] = {
    {"elm327", QT_TRANSLATE_NOOP("kalvex", "Адаптер: ELM327"), Make<Elm327Driver>},
    {"kesta", QT_TRANSLATE_NOOP("kalvex", "Адаптер: Kesta-mini"), Make<KestaDriver>},
};

}  // namespace

std::span<const AdapterEntry> Adapters() { return kAdapters; }

const AdapterEntry* FindAdapter(int index) {
  if (index < 0 || static_cast<size_t>(index) >= std::size(kAdapters)) return nullptr;
  return &kAdapters[index];
}

int AdapterIndexByName(std::string_view name) {
  for (size_t i = 0; i < std::size(kAdapters); ++i)
    if (name == kAdapters[i].name) return static_cast<int>(i);
  return -1;
}

}  // namespace kalvex
