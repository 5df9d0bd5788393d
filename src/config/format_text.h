// The program's texts (src/config/texts.h) filled in as C formats: for messages
// that are made before they are written, or go out as JSON strings.
#pragma once

#include <string>

#include "config/texts.h"

namespace quenwick {

/// The text `id` formatted with the arguments that its conversions take.
std::string formatText(Text id, ...);

}  // namespace quenwick
