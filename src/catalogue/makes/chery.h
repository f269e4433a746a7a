// The rows of Chery "Tiggo Delphi system 2.0L-2.4L (4G63-4G64)". BYD's
// "F3 Delphi MT20U" answers with the same reply, so its branch reads this
// one array rather than a copy of it.
#pragma once

#include "catalogue/decoder_table.h"

namespace kalvex::table {

extern const Row kCheryTiggoDelphi[9];

}  // namespace kalvex::table
