// Makes, ECU types, their link parameters and the vehicle list page.
// Pure data, no Qt. Makes and ECU types are identified only by their item
// index in the two window lists (make -1 = nothing chosen).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kalvex {

struct Make {
  std::string text;                   // item text of ComboBoxTM
  std::vector<std::string> ecuTypes;  // items ComboBox4 gets for this make
};

// The makes in the order of ComboBoxTM: the position in this list is the
// make index. Each name has one file under catalogue/makes/ defining
// `<Name>Make()` (everything the scanner knows of the make) and a
// `<Name>Layout()` in sim/ (the simulated car). A new make is one more X here.
#define KALVEX_MAKES(X) \
  X(Lada)               \
  X(Hyundai)            \
  X(GreatWall)          \
  X(Gaz)                \
  X(Uaz)                \
  X(Byd)                \
  X(Geely)              \
  X(Chery)              \
  X(Zaz)                \
  X(Izh)                \
  X(Nissan)             \
  X(Kia)                \
  X(Daewoo)             \
  X(Chevrolet)          \
  X(Citroen)            \
  X(Peugeot)            \
  X(Suzuki)

// Make indices, for the places where the code compares with literal numbers.
enum MakeIndex : int {
#define KALVEX_MAKE_INDEX(Name) k##Name,
  KALVEX_MAKES(KALVEX_MAKE_INDEX)
#undef KALVEX_MAKE_INDEX
};

#define KALVEX_MAKE_ONE(Name) +1
constexpr int kMakeCount = 0 KALVEX_MAKES(KALVEX_MAKE_ONE);
#undef KALVEX_MAKE_ONE
constexpr int kEcuTypeCount = 61;

const std::vector<Make>& Makes();
// ECU type texts of a make; empty for an index out of range.
const std::vector<std::string>& EcuTypesOf(int make);
// True when (make, ecu) names a row of the catalogue.
bool ValidEcuType(int make, int ecu);

// The 93 lines of the "Список автомобилей" page.
const std::vector<std::string>& VehicleList();

// Link parameters of one ECU type. A query for make -1 or any index out of
// range answers the "no row" value (default-constructed): K-line, no header,
// no address, CanSession false. The session asks on every click of Button1,
// so this must never fail.
struct LinkParams {
  bool found = false;
  bool canSession = false;  // LADA 6, HYUNDAI 7-13, KIA 0-1, NISSAN 1
  bool hasAddress = false;
  uint8_t ecuAddress = 0;      // K-line target, tester is always 0xF1
  bool elmCan = false;         // the ELM327 reaches the type over CAN (protocol 6)
  std::string elmProtocol;     // "AT SP5" / "AT SP6"; empty = no row
  std::string elmKLineHeader;  // "AT SH8110F1"; empty when the type has none
  std::string elmCanHeader;    // "AT SH7E0"/"AT SH7E7"; empty when none
  bool hasCanId = false;
  uint16_t canId = 0;  // Kesta-mini CAN set-up identifier (FC00/FCE0)
};

LinkParams LinkParamsOf(int make, int ecu);

// True when the ELM327 reaches this type over CAN (protocol 6), which is the
// case for every CanSession type but NISSAN 1 and additionally for GAZ 4.
bool ElmUsesCan(int make, int ecu);

}  // namespace kalvex
