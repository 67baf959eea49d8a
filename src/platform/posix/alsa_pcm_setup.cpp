#ifdef SONAREL_HAVE_ALSA

#include "platform/posix/alsa_pcm_setup.h"

#include <cstdarg>
#include <mutex>

namespace sonarel::alsa {
namespace {

// The ring holds several of the player's buffers; the player paces itself, so a larger
// ring adds no latency, only room.
constexpr unsigned kRingMicroseconds = 250000;
constexpr unsigned kPeriodsPerRing = 4;

extern "C" void IgnoreLibraryMessage(const char* /*file*/, int /*line*/, const char* /*function*/,
                                     int /*err*/, const char* /*fmt*/, ...) {
}

bool SampleFormatFor(const SoundFormat& format, snd_pcm_format_t& out) {
    if (format.bits_per_sample == 8) {
        out = SND_PCM_FORMAT_U8;
    } else if (format.bits_per_sample == 16) {
        out = SND_PCM_FORMAT_S16_LE;
    } else {
        return false;
    }
    return true;
}

// Each step fails with a description of what the device refused.
bool Check(int result, const char* what, std::string& error) {
    if (result >= 0) {
        return true;
    }
    error = std::string(what) + ": " + snd_strerror(result);
    return false;
}

bool SetHardware(snd_pcm_t* pcm, const SoundFormat& format, snd_pcm_format_t sample_format,
                 PcmSetup& setup, std::string& error) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned ring_us = kRingMicroseconds;
    unsigned period_us = kRingMicroseconds / kPeriodsPerRing;
    int dir = 0;
    bool ok = Check(snd_pcm_hw_params_any(pcm, hw), "no configurations", error) &&
              Check(snd_pcm_hw_params_set_rate_resample(pcm, hw, 1), "resampling", error) &&
              Check(snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED),
                    "interleaved access not supported", error) &&
              Check(snd_pcm_hw_params_set_format(pcm, hw, sample_format),
                    "sample format not supported", error) &&
              Check(snd_pcm_hw_params_set_channels(pcm, hw, format.channels),
                    "channel count not supported", error) &&
              Check(snd_pcm_hw_params_set_rate(pcm, hw, format.samples_per_second, 0),
                    "sample rate not supported", error) &&
              Check(snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &ring_us, &dir),
                    "buffer size not supported", error) &&
              Check(snd_pcm_hw_params_set_period_time_near(pcm, hw, &period_us, &dir),
                    "period size not supported", error) &&
              Check(snd_pcm_hw_params(pcm, hw), "cannot set the hardware parameters", error);
    if (!ok) {
        return false;
    }
    setup.can_pause = snd_pcm_hw_params_can_pause(hw) != 0;
    snd_pcm_hw_params_get_period_size(hw, &setup.period_frames, &dir);
    return true;
}

// Start with the first frame written: the player sends its pre-roll in one go and then
// keeps the ring fed, so waiting for a full ring would only delay (or, for a short
// file, prevent) the start.
bool SetSoftware(snd_pcm_t* pcm, snd_pcm_uframes_t period_frames, std::string& error) {
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    return Check(snd_pcm_sw_params_current(pcm, sw), "no software parameters", error) &&
           Check(snd_pcm_sw_params_set_start_threshold(pcm, sw, 1), "start threshold", error) &&
           Check(snd_pcm_sw_params_set_avail_min(pcm, sw, period_frames), "wake-up size", error) &&
           Check(snd_pcm_sw_params(pcm, sw), "cannot set the software parameters", error);
}

} // namespace

void SilenceLibraryMessages() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(IgnoreLibraryMessage); });
}

bool OpenPlaybackPcm(const std::string& name, const SoundFormat& format, PcmSetup& setup,
                     std::string& error) {
    snd_pcm_format_t sample_format = SND_PCM_FORMAT_UNKNOWN;
    if (!SampleFormatFor(format, sample_format) || format.channels == 0 ||
        format.samples_per_second == 0) {
        error = "unsupported PCM format";
        return false;
    }
    snd_pcm_t* pcm = nullptr;
    if (!Check(snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK),
               "cannot open", error)) {
        return false;
    }
    if (!SetHardware(pcm, format, sample_format, setup, error) ||
        !SetSoftware(pcm, setup.period_frames, error) ||
        !Check(snd_pcm_prepare(pcm), "cannot prepare", error)) {
        snd_pcm_close(pcm);
        return false;
    }
    setup.pcm = pcm;
    return true;
}

} // namespace sonarel::alsa

#endif // SONAREL_HAVE_ALSA
