// Builds Layer III frames bit by bit for the decoder's unit tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonarel::test {

class BitWriter {
public:
    // Appends the low `bits` bits of value, most significant first.
    void Put(uint32_t value, int bits);
    // Appends zero bits up to a whole number of bytes.
    void Align();
    void PadToBytes(size_t size);
    int BitCount() const { return bit_count_; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    int bit_count_ = 0;
};

struct HeaderFields {
    int version = 0; // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    int layer = 3;
    bool crc = false;
    int bitrate_index = 9; // 128 kbit/s in MPEG-1
    int sample_rate_index = 0;
    int padding = 0;
    int mode = 0;
    int mode_extension = 0;
};

uint32_t HeaderWord(const HeaderFields& fields);

// Bytes of the frame that the header describes (Layer III slots).
int FrameBytes(const HeaderFields& fields);

int SideInfoBytesFor(const HeaderFields& fields);

// A whole frame: header, CRC word when asked for (computed over the last 16 header bits
// and the side information), then side_info and main data, zero-padded to the frame size.
std::vector<uint8_t> BuildFrame(const HeaderFields& fields,
                                const std::vector<uint8_t>& side_info = {},
                                const std::vector<uint8_t>& main_data = {});

// The frame's CRC computed bit by bit, independently of the decoder's table.
uint16_t ReferenceCrc(const std::vector<uint8_t>& frame, int side_info_bytes);

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& from);

} // namespace sonarel::test
