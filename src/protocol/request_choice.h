// The next request as the reply handling chooses it: the catalogue number
// that decides what is sent, and the ELM327 text some decoders store beside
// it (the send step overwrites the text from the number).
#pragma once

#include <cstdint>
#include <string>

namespace kalvex {

struct RequestChoice {
  uint8_t nextCommand = 0;  // NextCommand
  std::string nextRequest;  // NextRequest (ELM327 text of the same entry)
};

}  // namespace kalvex
