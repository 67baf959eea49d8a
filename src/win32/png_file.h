// Writes 24-bit RGB pictures as PNG files without a compression library: the image data goes
// into stored (uncompressed) deflate blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonarel {

// rgb holds height rows of width pixels, three bytes each, top row first. False when the file
// cannot be written.
bool WritePng(const std::string& name, int width, int height, const std::vector<uint8_t>& rgb);

} // namespace sonarel
