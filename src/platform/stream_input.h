// Reading a stream that cannot seek (standard input, a pipe), one implementation per host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace sonarel {

inline constexpr int kStandardInputDescriptor = 0;

// Reads up to length bytes from the stream behind descriptor, waiting in short steps so that
// cancelled (when set) is asked while nothing arrives. The count read; 0 at the end of the
// stream or after a cancel; -1 after a read error.
int64_t ReadStream(int descriptor, uint8_t* buffer, size_t length,
                   const std::function<bool()>& cancelled);

} // namespace sonarel
