// The language-file side of the macro model, apart so that the pure image
// code does not pull in the language lookup.
#include "app/localisation.h"
#include "model/macro.h"

namespace velkarn {

DecodedMacros DecodeMacros(std::span<const uint8_t> image) {
    return DecodeMacros(image, Text("MACRO_NEW_PREFIX"));
}

} // namespace velkarn
