// The profile file's byte image, independent of where it is read from or
// written to: the 32832-byte block, then the macro records, then the text
// pool. The file functions (profile_file.h), the download copy and the fuzz
// target all go through these, so a file and a buffer are judged alike.
//
// Thread safety: the functions keep no state; the caller guards the block and
// the text table it passes (the store lock or the download lock).
#pragma once

#include "model/macro.h"
#include "store/profile_block.h"
#include "store/text_table.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace velkarn {

// What a profile file holds once read: the block, the macro records and the
// texts.
struct ProfileContents {
    std::unique_ptr<ProfileBlock> block;
    std::vector<MacroRecord> macros;
    TextTable texts;
};

enum class HeaderCheck : int {
    kValid = 1,
    kTooSmall = 0,  // below 32832 bytes or 4 GiB and more: refused without a format message
    kRejected = -1, // the header fails a test: refused with the format message
};

// The import test of a file of fileSize bytes whose first bytes are
// `head` (at least the 32-byte header when fileSize allows it). The header
// fields are tested in the order of the file format, and a file shorter than
// the size its header announces is rejected as well, since loading it would
// come up short.
HeaderCheck CheckProfileHeader(std::span<const uint8_t> head, uint64_t fileSize);

// Bytes a reader needs from the start of the file: block, macro records and
// text pool as the header counts them. `head` holds at least 32 bytes.
uint64_t ProfileImageExtent(std::span<const uint8_t> head);

// Reads an image into `out`. False when the image is shorter than its block,
// macro records and pool, or counts more than 100 macros; `out` is then
// unspecified. A text whose offset lies outside the pool or that has no
// terminator inside it is left empty; the rest of the file still loads.
bool ParseProfileImage(std::span<const uint8_t> image, ProfileContents& out);

// Packs the occupied slots whose entries carry a text into a pool of
// texts.Total() bytes, in slot order, and sets each such entry's value field
// in `block` to its text's offset. A slot that would overrun the pool is
// left out and its entry keeps its value. Bytes no text covers stay zero.
std::vector<uint8_t> PackTextPool(ProfileBlock& block, const TextTable& texts);

// The whole file image of a store: refreshes the block's header for the
// store's counts (flag byte 0), packs the pool into it, and returns block,
// macros and pool back to back. The device descriptor is left as it is.
std::vector<uint8_t> BuildProfileImage(ProfileBlock& block, std::span<const MacroRecord> macros,
                                       const TextTable& texts);

} // namespace velkarn
