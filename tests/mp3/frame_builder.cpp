#include "frame_builder.h"

namespace sonarel::test {

namespace {

const int kSampleRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
const int kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};

uint16_t CrcBits(uint16_t crc, const std::vector<uint8_t>& bytes, int first_bit, int bit_count) {
    for (int i = first_bit; i < first_bit + bit_count; ++i) {
        const int bit = (bytes[i / 8] >> (7 - i % 8)) & 1;
        const int top = (crc >> 15) & 1;
        crc = static_cast<uint16_t>(crc << 1);
        if (bit != top) {
            crc ^= 0x8005;
        }
    }
    return crc;
}

} // namespace

void BitWriter::Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        if (bit_count_ % 8 == 0) {
            bytes_.push_back(0);
        }
        if ((value >> i) & 1) {
            bytes_.back() |= static_cast<uint8_t>(0x80 >> (bit_count_ % 8));
        }
        ++bit_count_;
    }
}

void BitWriter::Align() {
    bit_count_ = static_cast<int>(bytes_.size()) * 8;
}

void BitWriter::PadToBytes(size_t size) {
    Align();
    while (bytes_.size() < size) {
        bytes_.push_back(0);
        bit_count_ += 8;
    }
}

uint32_t HeaderWord(const HeaderFields& f) {
    const uint32_t id_ext = f.version == 2 ? 0 : 1;
    const uint32_t id = f.version == 0 ? 1 : 0;
    uint32_t w = 0x7FFu << 21;
    w |= id_ext << 20 | id << 19 | uint32_t(4 - f.layer) << 17 | uint32_t(f.crc ? 0 : 1) << 16;
    w |= uint32_t(f.bitrate_index) << 12 | uint32_t(f.sample_rate_index) << 10;
    w |= uint32_t(f.padding) << 9 | uint32_t(f.mode) << 6 | uint32_t(f.mode_extension) << 4;
    return w;
}

int FrameBytes(const HeaderFields& f) {
    const int samples = f.version == 0 ? 1152 : 576;
    const int bitrate = kBitrates[f.version == 0 ? 0 : 1][f.bitrate_index] * 1000;
    return (bitrate / 8) * samples / kSampleRates[f.version][f.sample_rate_index] + f.padding;
}

int SideInfoBytesFor(const HeaderFields& f) {
    if (f.mode == 3) {
        return f.version == 0 ? 17 : 9;
    }
    return f.version == 0 ? 32 : 17;
}

std::vector<uint8_t> BuildFrame(const HeaderFields& fields, const std::vector<uint8_t>& side_info,
                                const std::vector<uint8_t>& main_data) {
    BitWriter writer;
    writer.Put(HeaderWord(fields), 32);
    if (fields.crc) {
        writer.Put(0, 16);
    }
    const int side_bytes = SideInfoBytesFor(fields);
    for (int i = 0; i < side_bytes; ++i) {
        writer.Put(i < static_cast<int>(side_info.size()) ? side_info[i] : 0, 8);
    }
    for (uint8_t byte : main_data) {
        writer.Put(byte, 8);
    }
    writer.PadToBytes(static_cast<size_t>(FrameBytes(fields)));
    std::vector<uint8_t> frame = writer.Bytes();
    frame.resize(static_cast<size_t>(FrameBytes(fields)));
    if (fields.crc) {
        const uint16_t crc = ReferenceCrc(frame, side_bytes);
        frame[4] = static_cast<uint8_t>(crc >> 8);
        frame[5] = static_cast<uint8_t>(crc);
    }
    return frame;
}

uint16_t ReferenceCrc(const std::vector<uint8_t>& frame, int side_info_bytes) {
    uint16_t crc = CrcBits(0xFFFF, frame, 16, 16);
    return CrcBits(crc, frame, 48, 8 * side_info_bytes);
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

} // namespace sonarel::test
