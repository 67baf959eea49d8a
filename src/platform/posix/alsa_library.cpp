// The ALSA functions the sound device calls, defined here and resolved from libasound on
// their first call instead of being linked: a conversion that plays nothing then never
// loads the library, which would add a quarter of a megabyte to every run's memory.
// Without the library each call fails the way a missing device does.
#ifdef SONAREL_HAVE_ALSA

#include <alsa/asoundlib.h>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>

namespace {

void* Library() {
    static void* const handle = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    return handle;
}

// The library's own definition of the function whose pointer type is F, or null.
template <typename F> F Resolve(const char* name) {
    F function = nullptr;
    if (void* library = Library()) {
        void* symbol = dlsym(library, name);
        static_assert(sizeof(symbol) == sizeof(function));
        std::memcpy(&function, &symbol, sizeof(function));
    }
    return function;
}

} // namespace

// Calls the library's function `name` with the arguments, or returns `failure`.
#define SONAREL_ALSA_CALL(failure, name, ...)                                                      \
    static const auto function = Resolve<decltype(&::name)>(#name);                                \
    return function == nullptr ? (failure) : function(__VA_ARGS__)

extern "C" {

int snd_lib_error_set_handler(snd_lib_error_handler_t handler) {
    SONAREL_ALSA_CALL(-ENODEV, snd_lib_error_set_handler, handler);
}

const char* snd_strerror(int errnum) {
    SONAREL_ALSA_CALL("sound library not available", snd_strerror, errnum);
}

int snd_pcm_open(snd_pcm_t** pcm, const char* name, snd_pcm_stream_t stream, int mode) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_open, pcm, name, stream, mode);
}

int snd_pcm_close(snd_pcm_t* pcm) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_close, pcm);
}

int snd_pcm_poll_descriptors_count(snd_pcm_t* pcm) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_poll_descriptors_count, pcm);
}

int snd_pcm_poll_descriptors(snd_pcm_t* pcm, struct pollfd* pfds, unsigned int space) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_poll_descriptors, pcm, pfds, space);
}

int snd_pcm_poll_descriptors_revents(snd_pcm_t* pcm, struct pollfd* pfds, unsigned int nfds,
                                     unsigned short* revents) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_poll_descriptors_revents, pcm, pfds, nfds, revents);
}

int snd_pcm_hw_params(snd_pcm_t* pcm, snd_pcm_hw_params_t* params) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params, pcm, params);
}

int snd_pcm_sw_params_current(snd_pcm_t* pcm, snd_pcm_sw_params_t* params) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_sw_params_current, pcm, params);
}

int snd_pcm_sw_params(snd_pcm_t* pcm, snd_pcm_sw_params_t* params) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_sw_params, pcm, params);
}

int snd_pcm_prepare(snd_pcm_t* pcm) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_prepare, pcm);
}

int snd_pcm_drop(snd_pcm_t* pcm) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_drop, pcm);
}

int snd_pcm_pause(snd_pcm_t* pcm, int enable) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_pause, pcm, enable);
}

snd_pcm_state_t snd_pcm_state(snd_pcm_t* pcm) {
    SONAREL_ALSA_CALL(SND_PCM_STATE_DISCONNECTED, snd_pcm_state, pcm);
}

int snd_pcm_delay(snd_pcm_t* pcm, snd_pcm_sframes_t* delayp) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_delay, pcm, delayp);
}

snd_pcm_sframes_t snd_pcm_writei(snd_pcm_t* pcm, const void* buffer, snd_pcm_uframes_t size) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_writei, pcm, buffer, size);
}

int snd_pcm_recover(snd_pcm_t* pcm, int err, int silent) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_recover, pcm, err, silent);
}

size_t snd_pcm_hw_params_sizeof(void) {
    SONAREL_ALSA_CALL(1, snd_pcm_hw_params_sizeof);
}

size_t snd_pcm_sw_params_sizeof(void) {
    SONAREL_ALSA_CALL(1, snd_pcm_sw_params_sizeof);
}

int snd_pcm_hw_params_any(snd_pcm_t* pcm, snd_pcm_hw_params_t* params) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_any, pcm, params);
}

int snd_pcm_hw_params_can_pause(const snd_pcm_hw_params_t* params) {
    SONAREL_ALSA_CALL(0, snd_pcm_hw_params_can_pause, params);
}

int snd_pcm_hw_params_set_access(snd_pcm_t* pcm, snd_pcm_hw_params_t* params,
                                 snd_pcm_access_t access) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_set_access, pcm, params, access);
}

int snd_pcm_hw_params_set_format(snd_pcm_t* pcm, snd_pcm_hw_params_t* params,
                                 snd_pcm_format_t val) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_set_format, pcm, params, val);
}

int snd_pcm_hw_params_set_channels(snd_pcm_t* pcm, snd_pcm_hw_params_t* params, unsigned int val) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_set_channels, pcm, params, val);
}

int snd_pcm_hw_params_set_rate(snd_pcm_t* pcm, snd_pcm_hw_params_t* params, unsigned int val,
                               int dir) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_set_rate, pcm, params, val, dir);
}

int snd_pcm_hw_params_set_rate_resample(snd_pcm_t* pcm, snd_pcm_hw_params_t* params,
                                        unsigned int val) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_set_rate_resample, pcm, params, val);
}

int snd_pcm_hw_params_set_period_time_near(snd_pcm_t* pcm, snd_pcm_hw_params_t* params,
                                           unsigned int* val, int* dir) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_set_period_time_near, pcm, params, val, dir);
}

int snd_pcm_hw_params_get_period_size(const snd_pcm_hw_params_t* params, snd_pcm_uframes_t* frames,
                                      int* dir) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_get_period_size, params, frames, dir);
}

int snd_pcm_hw_params_set_buffer_time_near(snd_pcm_t* pcm, snd_pcm_hw_params_t* params,
                                           unsigned int* val, int* dir) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_hw_params_set_buffer_time_near, pcm, params, val, dir);
}

int snd_pcm_sw_params_set_avail_min(snd_pcm_t* pcm, snd_pcm_sw_params_t* params,
                                    snd_pcm_uframes_t val) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_sw_params_set_avail_min, pcm, params, val);
}

int snd_pcm_sw_params_set_start_threshold(snd_pcm_t* pcm, snd_pcm_sw_params_t* params,
                                          snd_pcm_uframes_t val) {
    SONAREL_ALSA_CALL(-ENODEV, snd_pcm_sw_params_set_start_threshold, pcm, params, val);
}

} // extern "C"

#endif // SONAREL_HAVE_ALSA
