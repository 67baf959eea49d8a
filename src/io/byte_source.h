// The interface of every stage that delivers bytes: file readers, the framer
// and the decoding stage. Errors are results, never exceptions.
#pragma once

#include "io/wave_format.h"

#include <cstdint>

namespace sonarel {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual void Close() = 0;
    // 0 on success, otherwise a failure code of the implementation.
    virtual int Open() = 0;
    // Non-zero while open.
    virtual int IsOpen() const = 0;
    // Places up to length bytes in buffer. Returns the count (> 0), 0 when
    // nothing is available now, or a negative value at the end or on failure
    // (see each implementation). An implementation that detects a change of the
    // stream's format sets *format_changed to 1; format_changed may be null.
    virtual int Read(uint8_t* buffer, int32_t length, int* format_changed) = 0;

    virtual int QueryCapability() const { return 1; }
    virtual int IsSeekable() const { return 0; }
    // 1 on success, 0 on failure; the unit of position is the implementation's.
    virtual int Seek(int32_t /*position*/) { return 0; }
    // Non-zero when the delivered bytes are already PCM.
    virtual int IsPcm() const { return 0; }
    // The format of the delivered bytes, or null.
    virtual const WaveFormatHolder* GetFormat() const { return nullptr; }
    // Preferred number of bytes per Read.
    virtual int GetBufferSize() const { return 1024; }
    // True after a Read failed (an I/O error), as opposed to reaching the end:
    // lets a consumer tell a damaged input from a complete one.
    virtual bool HasFailed() const { return false; }
};

} // namespace sonarel
