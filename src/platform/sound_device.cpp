#include "platform/sound_device.h"

#include <cstdlib>

namespace sonarel {

std::string DefaultSoundDeviceName() {
    const char* chosen = std::getenv("SONAREL_AUDIO_DEVICE");
    return chosen != nullptr && chosen[0] != '\0' ? chosen : "default";
}

std::unique_ptr<SoundDevice> CreateDefaultSoundDevice() {
    return CreateSoundDevice(DefaultSoundDeviceName());
}

} // namespace sonarel
