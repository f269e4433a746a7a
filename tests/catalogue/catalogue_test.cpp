#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

namespace kalvex {
namespace {

struct ExpectedMake {
  const char* text;
  std::vector<std::string> ecuTypes;
};

// The window's list texts, letter for letter (Cyrillic Em in LADA item 6,
// Latin P in item 0, "ZAZ(ЗАЗ)" without a space).
const std::vector<ExpectedMake> kExpected = {
    {"LADA (ВАЗ)",
     {"Январь 5.1 P-83", "Январь 5.1 Euro 2", "Январь 7.2", "M73 / Bosch M7.9.7", "Bosch MP7.0",
      "M74 / Bosch ME17.9.7", "М74 CAN / Bosch ME17.9.7 CAN / M75 / M86"}},
    {"HYUNDAI",
     {"ECU_v.1 (1.3L/1.5L/1.6L)", "ECU_v.2 (1.3L/1.5L/1.6L)", "ECU_v.3 (1.1L/1.3L/1.5L/1.6L)",
      "ECU_v.4 (1.6L)", "ECU_v.5 (1.8L/2.0L)", "ECU_v.6 (1.8L/2.0L CVVT)", "ECU_v.7 (2.7L)",
      "ECU_v.8 (1.4L/1.6L) CAN", "ECU_v.9 (1.4L/1.6L) CAN", "ECU_v.10 (2.0L) CAN",
      "ECU_v.11 (2.7L) CAN", "ECU_v.12 (1.6L) CAN", "ECU_v.13 (2.0L) CAN",
      "ECU_v.14 (1.8L/2.4L) CAN"}},
    {"GREATWALL",
     {"DEEP DELPHI ECUS", "DEEP SPACEFLIGHT", "UECUS2G", "GW413EF UEOBD", "Delphi MT20", "ME7.9.7",
      "MIT"}},
    {"GAZ (ГАЗ)",
     {"Bosch ME17.9.7 Euro-3", "Микас 10.3/11.3", "Микас 11 Euro-2", "Bosch ME17.9.7 Euro-4",
      "Bosch ME 17.9.71 Euro-5"}},
    {"UAZ (УАЗ)",
     {"Bosch ME17.9.7 Euro-3", "Микас 10.3/11.3", "Микас 11 Euro-2", "Bosch ME17.9.7 Euro-4"}},
    {"BYD", {"F3 Delphi MT20U"}},
    {"Geely", {"M797", "Delphi MT20/MT80"}},
    {"Chery",
     {"Tiggo Delphi system 2.0L-2.4L (4G63-4G64)", "A15", "Chery QQ3/QQ6", "Chery A3/A5",
      "Siemens 372 System", "Chery FORA 1.6/2.0", "UAES"}},
    {"ZAZ(ЗАЗ)", {"Микас 7.6/10.3/11.3/10.3+/11.3+"}},
    {"IZH(ИЖ)", {"Микас 7.6"}},
    {"NISSAN", {"Общий K-Line (10H)", "Общий CAN"}},
    {"KIA", {"ECU_v.1 (1.4L/1.6L MAF) CAN", "ECU_v.2 (1.4L/1.6L MAP) CAN"}},
    {"DAEWOO", {"SIRIUS D3/D4/D42"}},
    {"CHEVROLET", {"SIRIUS D3/D4/D42"}},
    {"CITROEN", {"Sagem S 2000 PM1", "1.6L 16V NFU", "2.0L 16V RFJ/RFN"}},
    {"PEUGEOT", {"MM6LP/MM4.8P(M)"}},
    {"SUZUKI", {"GRAND VITARA v.1", "GRAND VITARA v.2"}},
};

TEST(Catalogue, MakeAndEcuTypeTextsExactly) {
  ASSERT_EQ(Makes().size(), kExpected.size());
  size_t total = 0;
  for (size_t m = 0; m < kExpected.size(); ++m) {
    SCOPED_TRACE(kExpected[m].text);
    EXPECT_EQ(Makes()[m].text, kExpected[m].text);
    EXPECT_EQ(EcuTypesOf(static_cast<int>(m)), kExpected[m].ecuTypes);
    total += Makes()[m].ecuTypes.size();
  }
  EXPECT_EQ(Makes().size(), static_cast<size_t>(kMakeCount));
  EXPECT_EQ(total, static_cast<size_t>(kEcuTypeCount));
  // The one place that pins the described catalogue's size.
  EXPECT_EQ(kMakeCount, 17);
  EXPECT_EQ(kEcuTypeCount, 61);
}

TEST(Catalogue, EcuTypeCountsPerMake) {
  EXPECT_TRUE(EcuTypesOf(-1).empty());
  EXPECT_TRUE(EcuTypesOf(kMakeCount).empty());
  EXPECT_EQ(EcuTypesOf(kHyundai).back(), "ECU_v.14 (1.8L/2.4L) CAN");
  // UAZ repeats the first four GAZ texts.
  for (int e = 0; e < 4; ++e) EXPECT_EQ(EcuTypesOf(kUaz)[e], EcuTypesOf(kGaz)[e]);
  // Item 6 of LADA starts with the Cyrillic capital Em (UTF-8 D0 9C).
  EXPECT_EQ(EcuTypesOf(kLada)[6].substr(0, 2), "\xD0\x9C");
  EXPECT_EQ(EcuTypesOf(kLada)[3].substr(0, 1), "M");
}

TEST(Catalogue, VehicleListLines) {
  const auto& l = VehicleList();
  ASSERT_EQ(l.size(), 93u);
  EXPECT_EQ(l[0], "Марка авто. - Модель автомобиля(Контроллер) - Тип контроллера в ПО");
  // Irregular spacing and quote marks are part of the text.
  EXPECT_EQ(l[9], "LADA(ВАЗ) - Bosch ME17.9.7 Euro-3 -  'M74 / Bosch ME17.9.7'");
  EXPECT_EQ(l[31], "IZH(ИЖ)  - Микас 7.6 - 'Микас 7.6/10.3/11.3/10.3+/11.3+'");
  EXPECT_EQ(l[42], "GreatWall - ME7.9.7' -'ME7.9.7''");
  EXPECT_EQ(l[51],
            "HYUNDAI - ACCENT (LC) (2000-2003) 1.3L/1.5L/1.6L - 'ECU_v.1 (1.3L/1.5L/1.6L) '");
  EXPECT_EQ(l[77], "DAEWOO - NEXIA  1.5L 16V E3 - 'SIRIUS D3/D4/D42'");
  EXPECT_EQ(l[92], "SUZUKI - GRAND VITARA - 'GRAND VITARA v.2'");
  // Line 2 spells Р-83 with a Cyrillic Er, unlike the ECU type item.
  EXPECT_NE(l[1].find("\xD0\xA0-83"), std::string::npos);
  for (const std::string& line : l) EXPECT_EQ(line.find('\n'), std::string::npos);
}

struct LinkRow {
  int make, ecu;
  bool canSession;
  int address;  // -1 = none
  const char* protocol;
  const char* kHeader;
  const char* canHeader;
  int canId;  // -1 = none
};

// Every ECU type's link parameters.
TEST(Catalogue, LinkParametersOfEveryEcuType) {
  std::vector<LinkRow> rows;
  auto k = [&](int m, int e, int addr, const char* hdr) {
    rows.push_back({m, e, false, addr, "AT SP5", hdr, "", -1});
  };
  auto c = [&](int m, int e, const char* hdr, int id) {
    rows.push_back({m, e, true, -1, "AT SP6", "", hdr, id});
  };
  for (int e : {0, 1, 2, 3, 5}) k(0, e, 0x10, "AT SH8110F1");
  k(0, 4, 0x11, "AT SH8111F1");
  c(0, 6, "AT SH7E0", 0xFC00);
  for (int e : {0, 1, 2, 4, 5, 6}) k(1, e, 0x11, "AT SH8111F1");
  k(1, 3, 0x0F, "AT SH810FF1");
  c(1, 7, "AT SH7E7", 0xFCE0);
  for (int e = 8; e <= 13; ++e) c(1, e, "AT SH7E0", 0xFC00);
  for (int e = 0; e < 7; ++e) k(2, e, 0x11, "AT SH8111F1");
  for (int e = 0; e < 4; ++e) k(3, e, 0x10, "AT SH8110F1");
  rows.push_back({3, 4, false, 0x10, "AT SP6", "", "AT SH7E0", -1});
  for (int e = 0; e < 4; ++e) k(4, e, 0x10, "AT SH8110F1");
  k(5, 0, 0x11, "AT SH8111F1");
  for (int e = 0; e < 2; ++e) k(6, e, 0x11, "AT SH8111F1");
  for (int e : {0, 3, 4, 5, 6}) k(7, e, 0x11, "AT SH8111F1");
  k(7, 1, 0x10, "AT SH8110F1");
  k(7, 2, 0x17, "AT SH8117F1");
  k(8, 0, 0x11, "AT SH8111F1");
  k(9, 0, 0x10, "AT SH8110F1");
  k(10, 0, 0x10, "AT SH8110F1");
  rows.push_back({10, 1, true, 0x10, "AT SP5", "AT SH8110F1", "AT SH7E0", 0xFC00});
  for (int e = 0; e < 2; ++e) c(11, e, "AT SH7E7", 0xFCE0);
  k(12, 0, 0x10, "AT SH8110F1");
  k(13, 0, 0x10, "AT SH8110F1");
  for (int e = 0; e < 3; ++e) k(14, e, 0x10, "AT SH8110F1");
  k(15, 0, 0x10, "AT SH8110F1");
  k(16, 0, 0x01, "AT SH8001F1");
  k(16, 1, 0x11, "AT SH8011F1");
  ASSERT_EQ(rows.size(), size_t(kEcuTypeCount));

  for (const LinkRow& r : rows) {
    SCOPED_TRACE(testing::Message() << "make " << r.make << " ecu " << r.ecu);
    const LinkParams p = LinkParamsOf(r.make, r.ecu);
    EXPECT_TRUE(p.found);
    EXPECT_EQ(p.canSession, r.canSession);
    EXPECT_EQ(p.hasAddress, r.address >= 0);
    if (r.address >= 0) {
      EXPECT_EQ(p.ecuAddress, r.address);
    }
    EXPECT_EQ(p.elmProtocol, r.protocol);
    EXPECT_EQ(p.elmKLineHeader, r.kHeader);
    EXPECT_EQ(p.elmCanHeader, r.canHeader);
    EXPECT_EQ(p.hasCanId, r.canId >= 0);
    if (r.canId >= 0) {
      EXPECT_EQ(p.canId, r.canId);
    }
    EXPECT_EQ(ElmUsesCan(r.make, r.ecu), std::string(r.protocol) == "AT SP6");
  }
}

TEST(Catalogue, NoRowForNothingSelectedOrOutOfRange) {
  for (auto [m, e] : std::vector<std::pair<int, int>>{
           {-1, 0}, {-1, -1}, {0, -1}, {0, 7}, {kMakeCount, 0}, {1, 14}, {5, 1}, {1000000, 3}}) {
    const LinkParams p = LinkParamsOf(m, e);
    EXPECT_FALSE(p.found);
    EXPECT_FALSE(p.canSession);
    EXPECT_FALSE(p.hasAddress);
    EXPECT_TRUE(p.elmKLineHeader.empty());
    EXPECT_TRUE(p.elmCanHeader.empty());
    EXPECT_FALSE(ValidEcuType(m, e));
  }
}

}  // namespace
}  // namespace kalvex
