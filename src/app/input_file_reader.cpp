#include "app/input_file_reader.h"

#include "app/dialog_texts.h"
#include "io/pipe_reader.h"
#include "io/raw_file_reader.h"
#include "io/riff_wave_reader.h"

#include <cctype>

namespace sonarel {
namespace {

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

} // namespace

InputFileReader::~InputFileReader() {
    Close();
}

int InputFileReader::Open() {
    Close();
    if (Str() == kStandardInputPath) {
        reader_ = std::make_unique<PipeReader>(StandardInputPipe(), Str());
        return reader_->Open();
    }
    std::string extension = GetExtension();
    bool isWave = EqualsIgnoringCase(extension, ".WAV");
    bool known = isWave || EqualsIgnoringCase(extension, ".MP3");
    if (isWave) {
        reader_ = std::make_unique<RiffWaveReader>(Str());
    } else {
        reader_ = std::make_unique<RawFileReader>(Str());
    }
    if (wrapper_) {
        reader_ = wrapper_(std::move(reader_));
        if (!reader_) {
            return kNoReader;
        }
    }
    if (!known && (!question_ || !question_(text::kAskUnknownExtension))) {
        return kDeclined;
    }
    return reader_->Open();
}

void InputFileReader::Close() {
    if (reader_) {
        reader_->Close();
        reader_.reset();
    }
}

int InputFileReader::IsOpen() const {
    return reader_ ? reader_->IsOpen() : 0;
}

int InputFileReader::Read(uint8_t* buffer, int32_t length, int* format_changed) {
    return reader_ ? reader_->Read(buffer, length, format_changed) : -1;
}

int InputFileReader::IsSeekable() const {
    return reader_ ? reader_->IsSeekable() : 0;
}

int InputFileReader::Seek(int32_t position) {
    return reader_ ? reader_->Seek(position) : 0;
}

int InputFileReader::IsPcm() const {
    return reader_ ? reader_->IsPcm() : 0;
}

const WaveFormatHolder* InputFileReader::GetFormat() const {
    return reader_ ? reader_->GetFormat() : nullptr;
}

bool InputFileReader::HasFailed() const {
    return reader_ && reader_->HasFailed();
}

uint32_t InputFileReader::GetSize() const {
    return reader_ ? reader_->GetSize() : 0;
}

uint32_t InputFileReader::GetPosition() const {
    return reader_ ? reader_->GetPosition() : 0;
}

} // namespace sonarel
