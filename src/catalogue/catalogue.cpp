// The vehicle list page, and the make and ECU lists as the window shows them
// (read from the make entries). Lines with Russian words are marked for
// translation; the window and kalvex-cli show them translated.
#include "catalogue/catalogue.h"

#include "catalogue/make_registry.h"
#include "protocol/translate.h"

namespace kalvex {
namespace {

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

const std::vector<Make>& Makes() {
  static const std::vector<Make> makes = [] {
    std::vector<Make> list;
    for (int m = 0; m < kMakeCount; ++m) {
      const MakeEntry& entry = *FindMake(m);
      Make make{entry.text, {}};
      for (const EcuTypeEntry& type : entry.ecuTypes) make.ecuTypes.emplace_back(type.name);
      list.push_back(std::move(make));
    }
    return list;
  }();
  return makes;
}

const std::vector<std::string>& EcuTypesOf(int make) {
  static const std::vector<std::string> kNone;
  if (make < 0 || make >= kMakeCount) return kNone;
  return Makes()[static_cast<size_t>(make)].ecuTypes;
}

bool ValidEcuType(int make, int ecu) {
  return ecu >= 0 && ecu < static_cast<int>(EcuTypesOf(make).size());
}

const std::vector<std::string>& VehicleList() { return kVehicleList; }

LinkParams LinkParamsOf(int make, int ecu) {
  if (!ValidEcuType(make, ecu)) return {};
  return FindMake(make)->ecuTypes[static_cast<size_t>(ecu)].link;
}

bool ElmUsesCan(int make, int ecu) { return LinkParamsOf(make, ecu).elmCan; }

}  // namespace kalvex
