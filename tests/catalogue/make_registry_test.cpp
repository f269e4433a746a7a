// Properties every make entry must have, whatever its rows say: a forgotten
// link, first request, fault read or decoder shows up here as the make and
// ECU type it is missing for.
#include "catalogue/make_registry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "faults/faults.h"
#include "protocol/request_catalogue.h"

namespace kalvex {
namespace {

int TypeCount(const MakeEntry& m) { return static_cast<int>(m.ecuTypes.size()); }

// True when the set names only indices below `count` (an empty set is "any").
bool WithinTypes(table::IndexSet s, int count) { return count >= 64 || (s.bits >> count) == 0; }

TEST(MakeRegistry, EveryListIndexHasAnEntryAndNothingElse) {
  EXPECT_EQ(FindMake(-1), nullptr);
  EXPECT_EQ(FindMake(kMakeCount), nullptr);
  for (int make = 0; make < kMakeCount; ++make) {
    const MakeEntry* m = FindMake(make);
    ASSERT_NE(m, nullptr) << make;
    EXPECT_EQ(Makes()[static_cast<size_t>(make)].text, m->text) << make;
    EXPECT_FALSE(m->ecuTypes.empty()) << m->text;
  }
}

TEST(MakeRegistry, EveryEcuTypeHasLinkParametersBothAdaptersCanUse) {
  for (int make = 0; make < kMakeCount; ++make) {
    for (int ecu = 0; ecu < TypeCount(*FindMake(make)); ++ecu) {
      SCOPED_TRACE(std::string(FindMake(make)->text) + " type " + std::to_string(ecu));
      const LinkParams p = LinkParamsOf(make, ecu);
      EXPECT_TRUE(p.found);
      EXPECT_TRUE(p.elmProtocol == "AT SP5" || p.elmProtocol == "AT SP6") << p.elmProtocol;
      // The ELM327 needs a header to address the ECU, the Kesta-mini either
      // a K-line address or a CAN set-up identifier.
      EXPECT_FALSE(p.elmKLineHeader.empty() && p.elmCanHeader.empty());
      EXPECT_TRUE(p.hasAddress || p.hasCanId);
      if (p.canSession) {
        EXPECT_TRUE(p.hasCanId);
      }
    }
  }
}

TEST(MakeRegistry, EveryEcuTypeStartsPollingAKnownRequest) {
  for (int make = 0; make < kMakeCount; ++make) {
    const MakeEntry& m = *FindMake(make);
    for (const FirstRequestRow& row : m.firstRequests)
      EXPECT_TRUE(WithinTypes(row.ecus, TypeCount(m))) << m.text << ": a row names no type";
    for (int ecu = 0; ecu < TypeCount(m); ++ecu) {
      const uint8_t first = FirstRequest(make, ecu, FirstRequestPoint::ElmSetUpDone);
      EXPECT_NE(first, kUnchanged) << m.text << " type " << ecu;
      for (size_t at = 0; at < 5; ++at) {
        const uint8_t n = FirstRequest(make, ecu, static_cast<FirstRequestPoint>(at));
        if (n != kUnchanged) {
          EXPECT_TRUE(IsRequestKey(n)) << m.text << " type " << ecu;
        }
      }
    }
  }
}

TEST(MakeRegistry, EveryMakeReadsFaultsOrSaysItHasNoFaultRead) {
  for (int make = 0; make < kMakeCount; ++make) {
    const MakeEntry& m = *FindMake(make);
    if (auto read = m.faults.read()) {
      // A fault read is a 0x18 or 0x17 request.
      const std::string& text = ElmRequestText(*read);
      EXPECT_TRUE(text.rfind("18", 0) == 0 || text.rfind("17", 0) == 0) << m.text << ": " << text;
      continue;
    }
    // Without one, a clear reply must lead back to live data for every type.
    for (int ecu = 0; ecu < TypeCount(m); ++ecu) {
      RequestChoice next;
      HandleClearReply(make, ecu, next);
      EXPECT_TRUE(IsRequestKey(next.nextCommand)) << m.text << " type " << ecu;
    }
  }
}

TEST(MakeRegistry, VisibilityRulesNameEachTypeAtMostOnce) {
  for (int make = 0; make < kMakeCount; ++make) {
    const MakeEntry& m = *FindMake(make);
    std::set<int> seen;
    for (const VisibilityRule& rule : m.visibility.ecuRules) {
      EXPECT_FALSE(rule.settings.empty()) << m.text;
      for (int t : rule.types) {
        EXPECT_TRUE(t >= 0 && t < TypeCount(m)) << m.text << " names type " << t;
        EXPECT_TRUE(seen.insert(t).second) << m.text << " type " << t << " in two rules";
      }
    }
  }
}

// True when the branch answers some ECU type of a make that holds its table
// (tables that several makes share hold branches for one make's types only).
bool Answers(const table::Branch& b, int make, int ecu) {
  return b.guard.makes.contains(make) && b.guard.ecus.contains(ecu);
}

TEST(MakeRegistry, EveryEcuTypeHasADecoderBranchAndNoBranchIsDead) {
  for (int make = 0; make < kMakeCount; ++make) {
    const MakeEntry& m = *FindMake(make);
    for (int ecu = 0; ecu < TypeCount(m); ++ecu) {
      bool answered = false;
      for (const table::Branch& b : m.branches) answered = answered || Answers(b, make, ecu);
      EXPECT_TRUE(answered) << m.text << " type " << ecu;
    }
    for (const table::Branch& b : m.branches) {
      EXPECT_FALSE(b.rows.empty()) << m.text;
      bool alive = false;
      for (int other = 0; other < kMakeCount; ++other) {
        if (FindMake(other)->branches.data() != m.branches.data()) continue;
        for (int ecu = 0; ecu < TypeCount(*FindMake(other)); ++ecu)
          alive = alive || Answers(b, other, ecu);
      }
      EXPECT_TRUE(alive) << m.text << ": branch " << (&b - m.branches.data()) << " answers no type";
    }
  }
}

}  // namespace
}  // namespace kalvex
