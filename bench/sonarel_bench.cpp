// sonarel-bench: measures the decoder's speed on whole files held in memory.
//
//   sonarel-bench [--repeat N] [--pcm OUT.raw] FILE...
//
// Each file is read once, through the reader that a conversion uses (RIFF/WAVE for a
// .wav name, else the raw reader, which leaves out tags), then decoded N times through Mp3Decoder
// exactly as the decoding stage feeds it (bench/decode_loop.h): 2048-byte chunks, the rest of a
// chunk offered again until it is taken, one DecodeFrame per round into a 4608-byte buffer. The
// fastest run counts, by the wall clock and by this thread's processor time (which a busy machine
// disturbs less); the real-time factor is seconds of audio per second of decoding.
#include "bench/decode_loop.h"
#include "io/raw_file_reader.h"
#include "io/riff_wave_reader.h"
#include "mp3/mp3_decoder.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

namespace {

using sonarel::mp3::Mp3Decoder;

constexpr int kChunkBytes = 2048;

struct RunResult {
    long frames = 0;
    long samples_per_channel = 0;
    double audio_seconds = 0;
    double decode_seconds = 0;
    double cpu_seconds = 0;     // this thread's processor time: fairer on a busy machine
    long concealed[2] = {0, 0}; // frames MP3_I_CRC_CONCEALED, MP3_I_RESERVOIR_CONCEALED
};

struct Options {
    int repeat = 1;
    const char* pcm_path = nullptr;
    std::vector<const char*> files;
};

std::unique_ptr<sonarel::FileSource> ReaderFor(const char* path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (extension == ".wav") {
        return std::make_unique<sonarel::RiffWaveReader>(path);
    }
    return std::make_unique<sonarel::RawFileReader>(path);
}

// The MPEG audio bytes of the file, as the conversion's reader delivers them.
bool ReadFile(const char* path, std::vector<uint8_t>& bytes) {
    std::unique_ptr<sonarel::FileSource> reader = ReaderFor(path);
    if (reader->Open() != 0) {
        return false;
    }
    uint8_t chunk[65536];
    int got;
    while ((got = reader->Read(chunk, sizeof chunk, nullptr)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return !reader->HasFailed(); // the end is 0 or -1, by the reader
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// One pass over the file; the PCM goes to `pcm` when given.
RunResult DecodeOnce(Mp3Decoder& decoder, const std::vector<uint8_t>& file, FILE* pcm) {
    RunResult result;
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = ThreadCpuSeconds();
    sonarel::bench::DecodeInPieces(
        decoder, file.data(), file.size(), [] { return size_t{kChunkBytes}; },
        [&](sonarel::mp3::Mp3Status status, const uint8_t* out, int produced) {
            if (status == sonarel::mp3::MP3_I_CRC_CONCEALED ||
                status == sonarel::mp3::MP3_I_RESERVOIR_CONCEALED) {
                ++result.concealed[status == sonarel::mp3::MP3_I_CRC_CONCEALED ? 0 : 1];
            }
            if (produced > 0) {
                const auto& header = decoder.CurrentHeader();
                const long samples = produced / (2 * header.channels);
                ++result.frames;
                result.samples_per_channel += samples;
                result.audio_seconds += double(samples) / header.sample_rate;
                if (pcm != nullptr) {
                    std::fwrite(out, 1, static_cast<size_t>(produced), pcm);
                }
            }
        });
    const auto end = std::chrono::steady_clock::now();
    result.decode_seconds = std::chrono::duration<double>(end - start).count();
    result.cpu_seconds = ThreadCpuSeconds() - cpu_start;
    return result;
}

// Damage the decoder hid, on standard error so that the table stays as scripts read it.
void ReportConcealed(const char* path, const RunResult& result) {
    const sonarel::mp3::Mp3Status codes[2] = {sonarel::mp3::MP3_I_CRC_CONCEALED,
                                              sonarel::mp3::MP3_I_RESERVOIR_CONCEALED};
    for (int i = 0; i < 2; ++i) {
        if (result.concealed[i] > 0) {
            std::fprintf(stderr, "%s: %s in %ld frames\n", path,
                         sonarel::mp3::Mp3StatusName(codes[i]), result.concealed[i]);
        }
    }
}

double Ratio(double audio, double decode) {
    return decode > 0 ? audio / decode : 0;
}

bool ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            options.repeat = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--pcm") == 0 && i + 1 < argc) {
            options.pcm_path = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return false;
        } else {
            options.files.push_back(argv[i]);
        }
    }
    return options.repeat > 0 && !options.files.empty();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: sonarel-bench [--repeat N] [--pcm OUT.raw] FILE...\n");
        return 2;
    }
    FILE* pcm = nullptr;
    if (options.pcm_path != nullptr && (pcm = std::fopen(options.pcm_path, "wb")) == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", options.pcm_path);
        return 1;
    }
    static Mp3Decoder decoder; // large: keep it off the stack
    int status = 0;
    std::printf("%-32s %7s %11s %9s %9s %9s %9s %9s\n", "file", "frames", "samples/ch", "audio s",
                "decode s", "realtime", "cpu s", "cpu rt");
    for (const char* path : options.files) {
        std::vector<uint8_t> file;
        if (!ReadFile(path, file)) {
            std::fprintf(stderr, "cannot read %s\n", path);
            status = 1;
            continue;
        }
        RunResult best;
        for (int run = 0; run < options.repeat; ++run) {
            decoder.Reset();
            const RunResult result = DecodeOnce(decoder, file, run == 0 ? pcm : nullptr);
            if (run == 0) {
                best = result;
            }
            best.decode_seconds = std::min(best.decode_seconds, result.decode_seconds);
            best.cpu_seconds = std::min(best.cpu_seconds, result.cpu_seconds);
        }
        std::printf("%-32s %7ld %11ld %9.2f %9.4f %8.0fx %9.4f %8.0fx\n", path, best.frames,
                    best.samples_per_channel, best.audio_seconds, best.decode_seconds,
                    Ratio(best.audio_seconds, best.decode_seconds), best.cpu_seconds,
                    Ratio(best.audio_seconds, best.cpu_seconds));
        ReportConcealed(path, best);
    }
    if (pcm != nullptr) {
        std::fclose(pcm);
    }
    return status;
}
