// Base of the file readers: a ByteSource with a path that also reports its
// payload size and how much of it has been delivered. GetSize and GetPosition
// may be called from another thread while a reader thread reads.
#pragma once

#include "io/byte_source.h"
#include "paths/path_name.h"

#include <cstdint>
#include <string_view>

namespace sonarel {

class FileSource : public PathName, public ByteSource {
public:
    // Stores path by the assignment rule of PathName.
    explicit FileSource(std::string_view path) : PathName(path) {}

    int QueryCapability() const override { return 0; }
    int IsSeekable() const override { return 1; }

    // Payload bytes the reader can deliver.
    virtual uint32_t GetSize() const = 0;
    // Payload bytes delivered by Read so far.
    virtual uint32_t GetPosition() const = 0;
};

} // namespace sonarel
