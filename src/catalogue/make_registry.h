// Everything the scanner knows of one make, in one entry: its list texts,
// its ECU types with their link parameters, the first data request, the
// dashboard visibility, the fault read and clear, and the decoder branches.
// Each make's entry is defined in its own file under catalogue/makes/; the
// catalogue, the first-request choice, the visibility, the decoder and the
// fault handling all read it from here. Pure data, no Qt.
//
// A make's entry cannot leave a part out: the ECU types carry their link
// parameters by construction, and the fault handling has no default (a make
// without a fault read says so with FaultHandling::None).
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/decoder_table.h"
#include "catalogue/first_request.h"
#include "protocol/components.h"

namespace kalvex {

// One ECU type: its item text in ComboBox4 and how it is reached.
struct EcuTypeEntry {
  EcuTypeEntry(const char* name, LinkParams link) : name(name), link(std::move(link)) {}
  const char* name;
  LinkParams link;
};

// K-line type: ELM327 protocol 5 with the "AT SH" format/target/tester header.
LinkParams KLineLink(uint8_t address, uint8_t format = 0x81);
// CAN type: ELM327 protocol 6, "AT SH7E0"/"AT SH7E7", the Kesta-mini
// identifier derived from the request identifier.
LinkParams CanLink(uint16_t requestId);

// A run of ECU types reached the same way, in item order; a make lists its
// types as EcuTypes({{KLineLink(0x11), {"A", "B"}}, {CanLink(0x7E0), {"C"}}}).
struct TypesOnLink {
  LinkParams link;
  std::vector<const char*> names;
};
std::vector<EcuTypeEntry> EcuTypes(std::initializer_list<TypesOnLink> runs);

// What the make files write with: the decoder table notation, the
// components by name, and kUnchanged as U, so a first-request row reads like
// a table row. A make file says `using namespace MakeNotation;`.
namespace MakeNotation {
using namespace table;
using enum Component;
inline constexpr uint8_t U = kUnchanged;
}  // namespace MakeNotation

// The first data request for a set of ECU types (empty set = every type); the
// first row whose set holds the type wins. Columns follow FirstRequestPoint.
struct FirstRequestRow {
  table::IndexSet ecus;
  std::array<uint8_t, 5> first;
};

// One component shown or hidden by an ECU-type rule.
struct ComponentSetting {
  Component component;
  bool shown;
};
inline ComponentSetting Show(Component c) { return {c, true}; }
inline ComponentSetting Hide(Component c) { return {c, false}; }

// The ECU types a visibility rule applies to and what it sets.
struct VisibilityRule {
  std::vector<int> types;
  std::vector<ComponentSetting> settings;
};

// The make default shows every component but these three, which differ
// between makes; the ECU-type rules then change what they name.
struct MakeVisibility {
  bool tans, mrv, map;
  std::vector<VisibilityRule> ecuRules;
};

// The three make defaults.
inline MakeVisibility MapShown(std::vector<VisibilityRule> rules = {}) {
  return {.tans = true, .mrv = false, .map = true, .ecuRules = std::move(rules)};
}
inline MakeVisibility MrvShown(std::vector<VisibilityRule> rules = {}) {
  return {.tans = true, .mrv = true, .map = false, .ecuRules = std::move(rules)};
}
inline MakeVisibility MrvShownNoTans(std::vector<VisibilityRule> rules = {}) {
  return {.tans = false, .mrv = true, .map = false, .ecuRules = std::move(rules)};
}

// Fault codes of a make. Deliberately not default-constructible, so a make
// entry that forgets its fault handling does not compile.
class FaultHandling {
 public:
  // The make reads its codes with `read`; a clear reply (ClearDiagnosticInformation's) goes back to
  // it, setting NextRequest to its text too when `clearSetsText`.
  static FaultHandling Read(uint8_t read, bool clearSetsText) {
    return FaultHandling(read, clearSetsText);
  }
  // No fault read request: a clear reply goes back to the type's first data
  // request, since keeping the clear request would resend it forever.
  static FaultHandling None(bool clearSetsText) { return FaultHandling({}, clearSetsText); }
  // How a click of the clear button reaches the request.
  enum class ClearTaken {
    // At the next send step of a running session: the make's decoders
    // choose NextCommand on every reply, which would overwrite a plain
    // assignment before it is ever sent.
    AtNextSend,
    // NextCommand is set at the click, running or not: no branch of the
    // make's decoder changes the request.
    AtClick,
  };
  // The clear button asks for the clear request for this make.
  FaultHandling WithClearButton(ClearTaken taken = ClearTaken::AtNextSend) const {
    FaultHandling f = *this;
    f.clearButton_ = true;
    f.clearTaken_ = taken;
    return f;
  }

  std::optional<uint8_t> read() const { return read_; }
  bool clearSetsText() const { return clearSetsText_; }
  bool clearButton() const { return clearButton_; }
  ClearTaken clearTaken() const { return clearTaken_; }

 private:
  FaultHandling(std::optional<uint8_t> read, bool clearSetsText)
      : read_(read), clearSetsText_(clearSetsText) {}
  std::optional<uint8_t> read_;
  bool clearSetsText_;
  bool clearButton_ = false;
  ClearTaken clearTaken_ = ClearTaken::AtNextSend;
};

struct MakeEntry {
  const char* text;  // item text of ComboBoxTM
  std::vector<EcuTypeEntry> ecuTypes;
  std::vector<FirstRequestRow> firstRequests;
  MakeVisibility visibility;
  FaultHandling faults;
  std::span<const table::Branch> branches;  // the decoder, in test order
};

// Every make's entry, declared from the make list; each is defined in its
// file under catalogue/makes/.
#define KALVEX_DECLARE_MAKE(Name) const MakeEntry& Name##Make();
KALVEX_MAKES(KALVEX_DECLARE_MAKE)
#undef KALVEX_DECLARE_MAKE

// The entry of a make index; nullptr for -1 and any index out of range.
const MakeEntry* FindMake(int make);

}  // namespace kalvex
