// Feeds DecodeMacros arbitrary macro images, as a keyboard (or a damaged
// keyboard memory) could send them, and checks that what comes out keeps
// the record limits and re-encodes to a stable image.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/macro.h"

using namespace velkarn;

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

std::vector<uint8_t> EncodeWithoutNames(const std::vector<MacroRecord>& macros, bool& ok) {
    std::vector<uint8_t> image(MacroSizes(macros).withoutNames);
    ok = EncodeMacros(macros, image, false);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DecodedMacros first = DecodeMacros(std::span<const uint8_t>(data, size), "Macro ");
    Check(first.macros.size() <= kMaxMacros);
    for (size_t i = 0; i < first.macros.size(); ++i) {
        const MacroRecord& m = first.macros[i];
        Check(m.Id() == i + 1);
        Check(!m.IsNew());
        Check(m.ActionCount() <= kMaxMacroActions);
        Check(m.Name().size() <= kMaxMacroNameLength);
    }
    if (first.status == MacroImageStatus::Absent)
        Check(first.macros.empty());

    // Two macros may share one block, so the re-encoded image can outgrow
    // the 16-bit fields; the encoder must then refuse rather than wrap.
    bool ok = false;
    const std::vector<uint8_t> image = EncodeWithoutNames(first.macros, ok);
    if (!ok) {
        Check(image.size() > kMaxMacroImageSize);
        return 0;
    }
    const DecodedMacros second = DecodeMacros(image, "Macro ");
    Check(second.status == MacroImageStatus::Ok);
    Check(second.macros.size() == first.macros.size());
    const std::vector<uint8_t> again = EncodeWithoutNames(second.macros, ok);
    Check(ok && again == image);
    return 0;
}
