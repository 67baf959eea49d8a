// A ByteSource that wraps an inner ByteSource and forwards what it does not
// handle itself; base of the framer and the decoding stage.
#pragma once

#include "io/byte_source.h"

namespace sonarel {

class FilterStream : public ByteSource {
public:
    FilterStream() = default;
    // Closes an owned inner source (it does not delete it).
    ~FilterStream() override;

    FilterStream(const FilterStream&) = delete;
    FilterStream& operator=(const FilterStream&) = delete;

    // Only stores both values.
    virtual void Attach(ByteSource* inner, bool owned);

    // -1 without an inner source. An inner source that is already open is
    // used as it is (and not closed by this filter); otherwise it is opened
    // and its non-zero result returned unchanged.
    int Open() override;
    // Closes the inner source only if this filter opened it.
    void Close() override;
    int IsOpen() const override { return open_ ? 1 : 0; }

    // Forwarded to the inner source; without one: 0, null and 1024.
    int QueryCapability() const override;
    const WaveFormatHolder* GetFormat() const override;
    int GetBufferSize() const override;
    // A failure of the inner source is the filter's failure.
    bool HasFailed() const override;

    ByteSource* Inner() const { return inner_; }
    bool OwnsInner() const { return owned_; }
    bool OpenedInner() const { return opened_inner_; }

private:
    ByteSource* inner_ = nullptr;
    bool owned_ = false;
    bool opened_inner_ = false;
    bool open_ = false;
};

} // namespace sonarel
