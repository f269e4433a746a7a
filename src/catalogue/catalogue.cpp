// Generated once from the window layout texts; edit by hand from now on.
// Texts with Russian words are marked for translation (see
// protocol/translate.h); the window and kalvex-cli show them translated.
#include "catalogue/catalogue.h"

#include "protocol/translate.h"

namespace kalvex {
namespace {

const std::vector<Make> kMakes = {
    {QT_TRANSLATE_NOOP("kalvex", "LADA (ВАЗ)"),
     {QT_TRANSLATE_NOOP("kalvex", "Январь 5.1 P-83"),
      QT_TRANSLATE_NOOP("kalvex", "Январь 5.1 Euro 2"), QT_TRANSLATE_NOOP("kalvex", "Январь 7.2"),
      "M73 / Bosch M7.9.7", "Bosch MP7.0", "M74 / Bosch ME17.9.7",
      QT_TRANSLATE_NOOP("kalvex", "М74 CAN / Bosch ME17.9.7 CAN / M75 / M86")}},
    {"HYUNDAI",
     {"ECU_v.1 (1.3L/1.5L/1.6L)", "ECU_v.2 (1.3L/1.5L/1.6L)", "ECU_v.3 (1.1L/1.3L/1.5L/1.6L)",
      "ECU_v.4 (1.6L)", "ECU_v.5 (1.8L/2.0L)", "ECU_v.6 (1.8L/2.0L CVVT)", "ECU_v.7 (2.7L)",
      "ECU_v.8 (1.4L/1.6L) CAN", "ECU_v.9 (1.4L/1.6L) CAN", "ECU_v.10 (2.0L) CAN",
      "ECU_v.11 (2.7L) CAN", "ECU_v.12 (1.6L) CAN", "ECU_v.13 (2.0L) CAN",
      "ECU_v.14 (1.8L/2.4L) CAN"}},
    {"GREATWALL",
     {"DEEP DELPHI ECUS", "DEEP SPACEFLIGHT", "UECUS2G", "GW413EF UEOBD", "Delphi MT20", "ME7.9.7",
      "MIT"}},
    {QT_TRANSLATE_NOOP("kalvex", "GAZ (ГАЗ)"),
     {"Bosch ME17.9.7 Euro-3", QT_TRANSLATE_NOOP("kalvex", "Микас 10.3/11.3"),
      QT_TRANSLATE_NOOP("kalvex", "Микас 11 Euro-2"), "Bosch ME17.9.7 Euro-4",
      "Bosch ME 17.9.71 Euro-5"}},
    {QT_TRANSLATE_NOOP("kalvex", "UAZ (УАЗ)"),
     {"Bosch ME17.9.7 Euro-3", QT_TRANSLATE_NOOP("kalvex", "Микас 10.3/11.3"),
      QT_TRANSLATE_NOOP("kalvex", "Микас 11 Euro-2"), "Bosch ME17.9.7 Euro-4"}},
    {"BYD", {"F3 Delphi MT20U"}},
    {"Geely", {"M797", "Delphi MT20/MT80"}},
    {"Chery",
     {"Tiggo Delphi system 2.0L-2.4L (4G63-4G64)", "A15", "Chery QQ3/QQ6", "Chery A3/A5",
      "Siemens 372 System", "Chery FORA 1.6/2.0", "UAES"}},
    {QT_TRANSLATE_NOOP("kalvex", "ZAZ(ЗАЗ)"),
     {QT_TRANSLATE_NOOP("kalvex", "Микас 7.6/10.3/11.3/10.3+/11.3+")}},
    {QT_TRANSLATE_NOOP("kalvex", "IZH(ИЖ)"), {QT_TRANSLATE_NOOP("kalvex", "Микас 7.6")}},
    {"NISSAN",
     {QT_TRANSLATE_NOOP("kalvex", "Общий K-Line (10H)"), QT_TRANSLATE_NOOP("kalvex", "Общий CAN")}},
    {"KIA", {"ECU_v.1 (1.4L/1.6L MAF) CAN", "ECU_v.2 (1.4L/1.6L MAP) CAN"}},
    {"DAEWOO", {"SIRIUS D3/D4/D42"}},
    {"CHEVROLET", {"SIRIUS D3/D4/D42"}},
    {"CITROEN", {"Sagem S 2000 PM1", "1.6L 16V NFU", "2.0L 16V RFJ/RFN"}},
    {"PEUGEOT", {"MM6LP/MM4.8P(M)"}},
    {"SUZUKI", {"GRAND VITARA v.1", "GRAND VITARA v.2"}},
};

const std::vector<std::string> kVehicleList = {
    QT_TRANSLATE_NOOP("kalvex",
                      "Марка авто. - Модель автомобиля(Контроллер) - Тип контроллера в ПО"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Январь 5.1 Р-83 - 'Январь 5.1 Р-83'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Январь 5.1 Euro-2 - 'Январь 5.1 Euro-2'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Январь 7.2 - 'Январь 7.2'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Bosch MP7.0 Euro-2 - 'Bosch MP7.0'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Bosch MP7.0 Euro-3 - 'Bosch MP7.0'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Итэлма М73 - 'М73 / Bosch M7.9.7'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Bosch M7.9.7 Euro-2 - 'М73 / Bosch M7.9.7'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Bosch M7.9.7 Euro-3 - 'М73 / Bosch M7.9.7'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Bosch ME17.9.7 Euro-3 -  'M74 / Bosch ME17.9.7'"),
    QT_TRANSLATE_NOOP("kalvex", "LADA(ВАЗ) - Итэлма М74 - 'M74 / Bosch ME17.9.7'"),
    QT_TRANSLATE_NOOP("kalvex",
                      "LADA(ВАЗ) - Итэлма М74 CAN - 'М74 CAN / Bosch ME17.9.7 CAN / M75 / M86'"),
    QT_TRANSLATE_NOOP(
        "kalvex", "LADA(ВАЗ) - Bosch ME17.9.7 CAN - 'М74 CAN / Bosch ME17.9.7 CAN / M75 / M86'"),
    QT_TRANSLATE_NOOP("kalvex",
                      "LADA(ВАЗ) - Итэлма М75 - 'М74 CAN / Bosch ME17.9.7 CAN / M75 / M86'"),
    QT_TRANSLATE_NOOP("kalvex",
                      "LADA(ВАЗ) - Итэлма М86 - 'М74 CAN / Bosch ME17.9.7 CAN / M75 / M86'"),
    "CHEVROLET-NIVA - Bosch MP7.0 Euro-2 - 'Bosch MP7.0'",
    "CHEVROLET-NIVA - Bosch MP7.0 Euro-3 - 'Bosch MP7.0'",
    QT_TRANSLATE_NOOP("kalvex", "CHEVROLET-NIVA - Bosch M7.9.7 Euro-2 - 'М73 / Bosch M7.9.7'"),
    QT_TRANSLATE_NOOP("kalvex", "CHEVROLET-NIVA - Bosch M7.9.7 Euro-3 - 'М73 / Bosch M7.9.7'"),
    QT_TRANSLATE_NOOP("kalvex", "GAZ(ГАЗ) - Bosch ME17.9.7 Euro-3 - 'Bosch ME17.9.7 Euro-3'"),
    QT_TRANSLATE_NOOP("kalvex", "GAZ(ГАЗ) - Микас 10.3/11.3 - 'Микас 10.3/11.3'"),
    QT_TRANSLATE_NOOP("kalvex", "GAZ(ГАЗ) - Микас 11 Euro-2 - 'Микас 11 Euro-2'"),
    QT_TRANSLATE_NOOP("kalvex", "GAZ(ГАЗ) - Bosch ME17.9.7 Euro-4 - 'Bosch ME17.9.7 Euro-4'"),
    QT_TRANSLATE_NOOP("kalvex", "GAZ(ГАЗ) - Bosch ME17.9.71 Euro-5 - 'Bosch ME17.9.71 Euro-5'"),
    QT_TRANSLATE_NOOP("kalvex", "UAZ(УАЗ) - Bosch ME17.9.7 Euro-3 - 'Bosch ME17.9.7 Euro-3'"),
    QT_TRANSLATE_NOOP("kalvex", "UAZ(УАЗ) - Микас 10.3/11.3 - 'Микас 10.3/11.3'"),
    QT_TRANSLATE_NOOP("kalvex", "UAZ(УАЗ) - Микас 11 Euro-2 - 'Микас 11 Euro-2'"),
    QT_TRANSLATE_NOOP("kalvex", "UAZ(УАЗ) - Bosch ME17.9.7 Euro-4 - 'Bosch ME17.9.7 Euro-4'"),
    QT_TRANSLATE_NOOP("kalvex", "ZAZ(ЗАЗ) - Микас 7.6 - 'Микас 7.6/10.3/11.3/10.3+/11.3+'"),
    QT_TRANSLATE_NOOP("kalvex", "ZAZ(ЗАЗ) - Микас 10.3/11.3 - 'Микас 7.6/10.3/11.3/10.3+/11.3+'"),
    QT_TRANSLATE_NOOP("kalvex", "ZAZ(ЗАЗ) - Микас 10.3+/11.3+ - 'Микас 7.6/10.3/11.3/10.3+/11.3+'"),
    QT_TRANSLATE_NOOP("kalvex", "IZH(ИЖ)  - Микас 7.6 - 'Микас 7.6/10.3/11.3/10.3+/11.3+'"),
    "BYD F3 - Delphi MT20U - 'F3 Delphi MT20U'",
    "Geely - M797 - 'M797'",
    "Geely - Delphi MT20U2 -'Delphi MT20/MT80'",
    "Geely - Delphi MT20 -'Delphi MT20/MT80'",
    "Geely - Delphi MT80 -'Delphi MT20/MT80'",
    "GreatWall - Delphi MT20 - 'Delphi MT20'",
    "GreatWall - GW413EF UEOBD - 'GW413EF UEOBD'",
    "GreatWall - UECUS2G - 'UECUS2G'",
    "GreatWall - DEEP SPACEFLIGHT - 'DEEP SPACEFLIGHT'",
    "GreatWall - DEEP DELPHI ECUS -'DEEP DELPHI ECUS'",
    "GreatWall - ME7.9.7' -'ME7.9.7''",
    "GreatWall - MIT -'MIT'",
    "Chery - Tiggo Delphi system 2.0L-2.4L (4G63-4G64) - 'Tiggo Delphi system 2.0L-2.4L "
    "(4G63-4G64)'",
    "Chery - A15 - 'A15'",
    "Chery - QQ3/QQ6 - 'Chery QQ3/QQ6'",
    "Chery - A3/A5 - 'Chery A3/A5'",
    "Chery - QQ3 ECU: Siemens 372 System - 'Siemens 372 System'",
    "Chery - QQ6 ECU: UAES - 'UAES'",
    "Chery - FORA 1.6/2.0 - 'Chery FORA 1.6/2.0'",
    "HYUNDAI - ACCENT (LC) (2000-2003) 1.3L/1.5L/1.6L - 'ECU_v.1 (1.3L/1.5L/1.6L) '",
    "HYUNDAI - ACCENT (LC) (2004-2007) 1.3L/1.5L/1.6L - 'ECU_v.2 (1.3L/1.5L/1.6L)'",
    "HYUNDAI - ACCENT (MC) (2006) 1.4L - 'ECU_v.8 (1.4L/1.6L) CAN'",
    "HYUNDAI - ACCENT (RB) (2011-2015) 1.4L/1.6L - 'ECU_v.9 (1.4L/1.6L) CAN'",
    "HYUNDAI - GETZ (2003-2005) 1.1L/1.3L/1.5L/1.6L - 'ECU_v.1 (1.3L/1.5L/1.6L) '",
    "HYUNDAI - GETZ (2006-2009) 1.1L/1.3L/1.5L/1.6L - 'ECU_v.3 (1.1L/1.3L/1.5L/1.6L)'",
    "HYUNDAI - ELANTRA (XD) (2000-2003) 1.6L - 'ECU_v.1 (1.3L/1.5L/1.6L) '",
    "HYUNDAI - ELANTRA (XD) (2000-2003) 1.8L/2.0L - 'ECU_v.5 (1.8L/2.0L)'",
    "HYUNDAI - ELANTRA (XD) (2004-2006) 1.6L - 'ECU_v.2 (1.3L/1.5L/1.6L)/ECU_v.4 (1.6L)'",
    "HYUNDAI - ELANTRA (XD) (2004-2006) 1.8L/2.0L - 'ECU_v.5 (1.8L/2.0L)/ECU_v.6 (1.8L/2.0L CVVT)'",
    "HYUNDAI - ELANTRA (HD) (2007-2011) 1.6L - 'ECU_v.12 (1.6L) CAN'",
    "HYUNDAI - ELANTRA (HD) (2007-2011) 2.0L - 'ECU_v.13 (2.0L) CAN'",
    "HYUNDAI - ELANTRA (MD) (2012-2015) 1.6L - 'ECU_v.9 (1.4L/1.6L) CAN'",
    "HYUNDAI - ELANTRA (MD) (2012-2015) 1.8L - 'ECU_v.14 (1.8L) CAN'",
    "HYUNDAI - TUCSON (JM) (2005-2006) 2.0L - 'ECU_v.6 (1.8L/2.0L CVVT)'",
    "HYUNDAI - TUCSON (JM) (2005-2006) 2.7L - 'ECU_v.7 (2.7L)'",
    "HYUNDAI - SOLARIS (2011-2015) 1.4L/1.6L - 'ECU_v.9 (1.4L/1.6L) CAN'",
    "HYUNDAI - SANTA FE (SM) (2003) 2.7L - 'ECU_v.7 (2.7L)'",
    "HYUNDAI - SANTA FE (CM) (2007-2009) 2.7L MPI - 'ECU_v.11 (2.7L) CAN'",
    "HYUNDAI - SANTA FE (CM) (2010-2013) 2.4L MPI - 'ECU_v.10 (2.0L) CAN'",
    "HYUNDAI - SANTA FE (DM) (2013-2015) 2.4L MPI/2.4L GDI - 'ECU_v.14 (1.8L/2.4L) CAN'",
    "HYUNDAI - IX35 G 2.0L MPI - 'ECU_v.10 (2.0L) CAN'",
    QT_TRANSLATE_NOOP("kalvex", "NISSAN - ECU: Общий K-line (10H) - 'Общий K-line (10H)'"),
    QT_TRANSLATE_NOOP("kalvex", "NISSAN - ECU: Общий CAN - 'Общий CAN'"),
    "KIA - RIO (JB) (2005-2011) 1.4L/1.6L - 'ECU_v.2 (1.4L/1.6L MAP) CAN'",
    "KIA - RIO (JB) (2005-2011) 1.6L - 'ECU_v.1 (1.4L/1.6L MAF) CAN'",
    "DAEWOO - NEXIA  1.5L 16V E3 - 'SIRIUS D3/D4/D42'",
    "CHEVROLET - LACETTI (2006-2007) 1.8L/2L - 'SIRIUS D3/D4/D42'",
    "CHEVROLET - LACETTI ECU: Sirius D42 - 'SIRIUS D3/D4/D42'",
    "CHEVROLET - LACETTI 1.5L/1.6L - 'SIRIUS D3/D4/D42'",
    "CHEVROLET - LACETTI 1.5L 16V - 'SIRIUS D3/D4/D42'",
    "CHEVROLET - LACETTI 1.6L 16V - 'SIRIUS D3/D4/D42'",
    "CITROEN - C3 ECU: Sagem S 2000 PM1 - 'Sagem S 2000 PM1'",
    "CITROEN - C4 1.6L 16V NFU - '1.6L 16V NFU'",
    "CITROEN - C4 2.0L 16V RFJ/RFN - '2.0L 16V RFJ/RFN'",
    "PEUGEOT - 206 ECU: MM6LP/MM4.8P(M) - 'MM6LP/MM4.8P(M)'",
    "PEUGEOT - 307 ECU: MM6LP/MM4.8P(M) - 'MM6LP/MM4.8P(M)'",
    "PEUGEOT - 406 ECU: MM6LP/MM4.8P(M) - 'MM6LP/MM4.8P(M)'",
    "PEUGEOT - 607 ECU: MM6LP/MM4.8P(M) - 'MM6LP/MM4.8P(M)'",
    "PEUGEOT - 806 ECU: MM6LP/MM4.8P(M) - 'MM6LP/MM4.8P(M)'",
    "SUZUKI - GRAND VITARA - 'GRAND VITARA v.1'",
    "SUZUKI - GRAND VITARA - 'GRAND VITARA v.2'",
};
}  // namespace

const std::vector<Make>& Makes() { return kMakes; }

const std::vector<std::string>& EcuTypesOf(int make) {
  static const std::vector<std::string> kNone;
  if (make < 0 || make >= static_cast<int>(kMakes.size())) return kNone;
  return kMakes[static_cast<size_t>(make)].ecuTypes;
}

bool ValidEcuType(int make, int ecu) {
  return ecu >= 0 && ecu < static_cast<int>(EcuTypesOf(make).size());
}

const std::vector<std::string>& VehicleList() { return kVehicleList; }

namespace {

std::string Hex2(unsigned v) {
  static const char* d = "0123456789ABCDEF";
  return std::string{d[(v >> 4) & 0xF], d[v & 0xF]};
}

LinkParams KLine(uint8_t address, uint8_t format = 0x81) {
  LinkParams p;
  p.found = true;
  p.hasAddress = true;
  p.ecuAddress = address;
  p.elmProtocol = "AT SP5";
  p.elmKLineHeader = "AT SH" + Hex2(format) + Hex2(address) + "F1";
  return p;
}

LinkParams Can(uint16_t requestId) {
  LinkParams p;
  p.found = true;
  p.canSession = true;
  p.elmProtocol = "AT SP6";
  p.elmCanHeader = requestId == 0x7E0 ? "AT SH7E0" : "AT SH7E7";
  p.hasCanId = true;
  p.canId = static_cast<uint16_t>(requestId << 5);
  return p;
}

}  // namespace

LinkParams LinkParamsOf(int make, int ecu) {
  if (!ValidEcuType(make, ecu)) return {};
  switch (make) {
    case kLada:
      if (ecu == 4) return KLine(0x11);
      if (ecu == 6) return Can(0x7E0);
      return KLine(0x10);
    case kHyundai:
      if (ecu == 3) return KLine(0x0F);
      if (ecu == 7) return Can(0x7E7);
      if (ecu >= 8) return Can(0x7E0);
      return KLine(0x11);
    case kGreatWall:
      return KLine(0x11);
    case kGaz:
      if (ecu == 4) {
        // Reached over CAN through the ELM327 but served as a K-line type:
        // no K-line header step, CanSession stays false, Kesta-mini uses
        // the K-line set-up line with address 0x10.
        LinkParams p = KLine(0x10);
        p.elmProtocol = "AT SP6";
        p.elmKLineHeader.clear();
        p.elmCanHeader = "AT SH7E0";
        return p;
      }
      return KLine(0x10);
    case kUaz:
      return KLine(0x10);
    case kByd:
      return KLine(0x11);
    case kGeely:
      return KLine(0x11);
    case kChery:
      if (ecu == 1) return KLine(0x10);
      if (ecu == 2) return KLine(0x17);
      return KLine(0x11);
    case kZaz:
      return KLine(0x11);
    case kIzh:
      return KLine(0x10);
    case kNissan:
      if (ecu == 1) {
        // CAN session, but the ELM327 keeps protocol 5 and gets both headers.
        LinkParams p = KLine(0x10);
        p.canSession = true;
        p.elmCanHeader = "AT SH7E0";
        p.hasCanId = true;
        p.canId = 0xFC00;
        return p;
      }
      return KLine(0x10);
    case kKia:
      return Can(0x7E7);
    case kDaewoo:
    case kChevrolet:
    case kCitroen:
    case kPeugeot:
      return KLine(0x10);
    case kSuzuki:
      return KLine(ecu == 0 ? 0x01 : 0x11, 0x80);
    default:
      return {};
  }
}

bool ElmUsesCan(int make, int ecu) { return LinkParamsOf(make, ecu).elmProtocol == "AT SP6"; }

}  // namespace kalvex
