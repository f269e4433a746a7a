// Fault code replies (0x58/0x57), the description table, the clear button
// and the clear reply (0x54).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "protocol/request_catalogue.h"
#include "protocol/request_choice.h"
#include "protocol/response.h"
#include "protocol/translate.h"

namespace kalvex {

struct FaultRow {
  const char* code;  // "0102"
  const char* line;  // "0102 - ..."
};

// The 74 rows, in lookup order.
const std::vector<FaultRow>& FaultDescriptionTable();

// Handles a 0x58/0x57 reply. Rebuilds `memo1` from the entries actually
// received (never reads past rb.length) and sets rememberedFaultCount: the
// described lines in reply order, then one line naming the codes the table
// does not describe; kNoFaultsLine alone for a reply with no entries.
// Returns true when `memo1` was replaced.
bool HandleFaultReply(const ResponseBytes& rb, int& rememberedFaultCount,
                      std::vector<std::string>& memo1);

inline constexpr const char* kNoFaultsLine = QT_TRANSLATE_NOOP("kalvex", "Ошибок нет");
// "Ещё 2 кода без описания: 0104, 010A" in the chosen language (it is
// made here from its parts); empty for no codes.
std::string UndescribedCodesLine(const std::vector<std::string>& codes);

// Handles a 0x54 reply: chooses the make's fault read request.
void HandleClearReply(int make, int ecu, RequestChoice& next);

// A reply to a fault read or clear request, positive or negative.
bool IsFaultExchange(const ResponseBytes& rb);

// Whether the clear button acts for this make (LADA, HYUNDAI, GREATWALL,
// GAZ, UAZ). The request it asks for is kClearRequest.
bool ClearButtonActs(int make);
// Whether the clear button sets NextCommand at the click (LADA, whose
// decoder never changes the request) rather than at the next send step.
bool ClearTakenAtClick(int make);

// The make's fault read request, the one its clear reply names: 12
// ("18 00 00 00"), 2 ("18 00 FF 00") or 14 ("17 FF 00"). None for GREATWALL
// and for no make.
std::optional<uint8_t> FaultReadRequest(int make);

}  // namespace kalvex
