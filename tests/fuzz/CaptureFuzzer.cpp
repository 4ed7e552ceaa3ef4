// The capture reader: a capture file opened, and every record read and
// checked (lengths, counts, operations, object numbers and kinds) as a
// replay reads them, without a plug-in to call. An input whose first byte
// is odd is the records of one chunk, which the target puts into a whole
// capture with a valid checksum, so that the search reaches the records
// rather than stopping at checksums.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzHost.h"
#include "capture/CaptureFormat.h"
#include "capture/Player.h"

namespace {

void Word32(std::string* out, uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) out->push_back(static_cast<char>(value >> (8 * byte)));
}

// The header, then the records as one chunk that ends the session.
std::string WholeCapture(const uint8_t* records, size_t size) {
    std::string file(orvcapture::kMagic, sizeof orvcapture::kMagic);
    Word32(&file, orvcapture::kFormatVersion);
    Word32(&file, orvcapture::kLayoutVersion);
    uLongf stored = compressBound(static_cast<uLong>(size));
    std::string compressed(stored, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&compressed[0]), &stored, records, static_cast<uLong>(size), 1) != Z_OK)
        orvfuzz::Fail("records compress");
    compressed.resize(stored);
    Word32(&file, orvcapture::kChunkMagic);
    Word32(&file, orvcapture::kChunkSessionEnd);
    Word32(&file, static_cast<uint32_t>(stored));
    Word32(&file, static_cast<uint32_t>(size));
    Word32(&file, static_cast<uint32_t>(
                      crc32(0, reinterpret_cast<const Bytef*>(compressed.data()), static_cast<uInt>(stored))));
    return file + compressed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string whole;
    const uint8_t* capture = data + 1;
    size_t length = size - 1;
    if (data[0] & 1) {
        whole = WholeCapture(data + 1, size - 1);
        capture = reinterpret_cast<const uint8_t*>(whole.data());
        length = whole.size();
    }
    orvcapture::Player player;
    if (!player.OpenMemory(capture, length)) {
        if (player.Error().empty()) orvfuzz::Fail("a refused capture says why");
        return 0;
    }
    const orvcapture::ReplayOutcome outcome = player.Check();
    if (outcome.message.empty()) orvfuzz::Fail("a replay says where it stopped");
    return 0;
}
