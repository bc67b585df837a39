// The BMP reader: uncompressed Windows bitmaps of 1, 4, 8, 16, 24 and 32 bits
// per pixel, bottom-up or top-down, with information headers of 40, 52, 56,
// 108 or 124 bytes. 16- and 32-bit files may also carry explicit channel
// masks, as long as they describe the layouts below (5-5-5 or 5-6-5, and
// 8-8-8 with an optional alpha byte). Every pixel passes convert_color with
// the load flags; 32-bit pictures also get an alpha plane from their fourth
// byte. Anything else (run-length compression, 12-byte headers, sizes that do
// not fit the file) is refused with a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/pictures/bitmap.h"

class FileSystem;

// Decodes a whole BMP file held in memory. On failure returns null and puts
// the reason into `error`.
std::unique_ptr<Bitmap> decode_bmp(std::span<const uint8_t> file, uint32_t flags,
                                   std::string& error);

// As decode_bmp, for a file known by name: on failure the reason, with the
// name, goes to the error log (stderr) and the result is null; the caller
// decides whether that is fatal.
std::unique_ptr<Bitmap> load_bitmap_file(std::string_view name, std::span<const uint8_t> file,
                                         uint32_t flags);

// Reads the file by name through the file system (loose files, then the
// archive) and decodes it as above. A missing file is reported like a bad one.
std::unique_ptr<Bitmap> load_bitmap_file(FileSystem& files, std::u16string_view name,
                                         uint32_t flags);
