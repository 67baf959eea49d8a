// Opening and configuring an ALSA playback PCM for the sound device.
#pragma once

#include "platform/sound_device.h"

#include <alsa/asoundlib.h>
#include <string>

namespace sonarel::alsa {

struct PcmSetup {
    snd_pcm_t* pcm = nullptr;
    bool can_pause = false;
    snd_pcm_uframes_t period_frames = 0;
};

// Opens the named PCM in non-blocking mode and sets it up for the format: interleaved
// access, the exact sample rate (resampled by ALSA when the hardware lacks it), a ring of
// about a quarter second and playback that starts with the first frame written. On
// failure returns false, leaves nothing open and puts the reason into error.
bool OpenPlaybackPcm(const std::string& name, const SoundFormat& format, PcmSetup& setup,
                     std::string& error);

// Keeps ALSA's own diagnostics off the console; the device reports failures itself.
void SilenceLibraryMessages();

} // namespace sonarel::alsa
