// Feeds arbitrary bytes to the BMP decoder: it must refuse or decode, never
// crash, read outside the input or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/pictures/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    // The last byte picks the load flags: output format and colour steps.
    const uint32_t flags = size ? (uint32_t(data[size - 1]) << 13) & 0x3F0E00u : 0;
    auto bitmap = decode_bmp({data, size}, flags, error);
    if (bitmap && bitmap->pixels.size() != size_t(bitmap->width) * size_t(bitmap->height))
        __builtin_trap();
    return 0;
}
