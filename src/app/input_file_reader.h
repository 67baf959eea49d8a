// The input of every probe and every decode: holds the reader that suits the file name's
// extension (.mp3 a RawFileReader, .wav a RiffWaveReader, anything else a RawFileReader once
// the user agrees) and forwards the byte-source operations to it. Standard input
// (kStandardInputPath) is read by a PipeReader, as raw MPEG audio, without a question.
#pragma once

#include "io/file_source.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace sonarel {

class InputFileReader : public FileSource {
public:
    // Result of Open when the user declined to read a file of an unknown extension.
    static constexpr int kDeclined = -5;
    // Result of Open when no reader could be created.
    static constexpr int kNoReader = -1;

    // Asked for an unknown extension with the question text; true for Yes. Without one the
    // answer is No.
    using Question = std::function<bool(const std::string& text)>;

    explicit InputFileReader(std::string_view path = {}) : FileSource(path) {}
    ~InputFileReader() override;

    InputFileReader(const InputFileReader&) = delete;
    InputFileReader& operator=(const InputFileReader&) = delete;

    void SetQuestion(Question question) { question_ = std::move(question); }

    // Takes each reader right after it was chosen by the extension and returns the reader to
    // hold instead, e.g. one that fails at a chosen byte, so that read errors can be tested
    // through the whole pipeline. Without one the chosen reader is held as it is.
    using ReaderWrapper = std::function<std::unique_ptr<FileSource>(std::unique_ptr<FileSource>)>;
    void SetReaderWrapper(ReaderWrapper wrapper) { wrapper_ = std::move(wrapper); }

    // Releases any held reader, then selects a new one by the extension and opens it. The
    // reader stays held (unopened) after a failure or a declined question.
    int Open() override;
    void Close() override;
    int IsOpen() const override;
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override;
    int IsSeekable() const override;
    int Seek(int32_t position) override;
    int IsPcm() const override;
    const WaveFormatHolder* GetFormat() const override;
    int GetBufferSize() const override { return 1024; }
    bool HasFailed() const override;

    // Safe to call from another thread while the pump reads through this source.
    uint32_t GetSize() const override;
    uint32_t GetPosition() const override;

    bool HoldsReader() const { return reader_ != nullptr; }

private:
    std::unique_ptr<FileSource> reader_;
    Question question_;
    ReaderWrapper wrapper_;
};

} // namespace sonarel
