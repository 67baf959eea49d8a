#include "io/filter_stream.h"

namespace sonarel {

FilterStream::~FilterStream() {
    if (inner_ != nullptr && owned_) {
        inner_->Close();
    }
}

void FilterStream::Attach(ByteSource* inner, bool owned) {
    inner_ = inner;
    owned_ = owned;
}

int FilterStream::Open() {
    if (inner_ == nullptr) {
        return -1;
    }
    if (inner_->IsOpen() != 0) {
        open_ = true;
        return 0;
    }
    int result = inner_->Open();
    if (result != 0) {
        return result;
    }
    opened_inner_ = true;
    open_ = true;
    return 0;
}

void FilterStream::Close() {
    if (opened_inner_ && inner_ != nullptr) {
        inner_->Close();
    }
    opened_inner_ = false;
    open_ = false;
}

int FilterStream::QueryCapability() const {
    return inner_ != nullptr ? inner_->QueryCapability() : 0;
}

const WaveFormatHolder* FilterStream::GetFormat() const {
    return inner_ != nullptr ? inner_->GetFormat() : nullptr;
}

int FilterStream::GetBufferSize() const {
    return inner_ != nullptr ? inner_->GetBufferSize() : 1024;
}

bool FilterStream::HasFailed() const {
    return inner_ != nullptr && inner_->HasFailed();
}

} // namespace sonarel
