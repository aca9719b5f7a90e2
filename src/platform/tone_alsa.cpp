#include <alsa/asoundlib.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <numbers>
#include <thread>
#include <vector>

#include "platform/tone.h"

namespace vr {
namespace {

constexpr unsigned kSampleRate = 48000;
constexpr unsigned kLatencyMicros = 50'000;
constexpr double kAmplitude = 0.3 * 32767;
// Short ramps at both ends keep the tone from clicking.
constexpr double kRampSeconds = 0.004;

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {
}

std::vector<std::int16_t> sineTone(int frequencyHz, int durationMs) {
    const auto count = static_cast<std::size_t>(std::uint64_t{kSampleRate} *
                                                static_cast<std::uint64_t>(durationMs) / 1000);
    std::vector<std::int16_t> samples(count);
    const double ramp = kRampSeconds * kSampleRate;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double edge = std::min(static_cast<double>(i), static_cast<double>(count - 1 - i));
        const double gain = std::min(1.0, edge / ramp);
        samples[i] = static_cast<std::int16_t>(kAmplitude * gain *
                                               std::sin(2 * std::numbers::pi * frequencyHz * t));
    }
    return samples;
}

void play(const std::vector<std::int16_t> &samples) {
    snd_pcm_t *pcm = nullptr;
    // A blocking open of a sound device that another program holds (a card without a mixer in
    // front of it) waits until that program lets go, with the window locked all the while. The
    // open does not wait: a busy device means the tone's time passes in silence.
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) != 0)
        return;
    // Once open, writing and draining wait again, so that a tone that plays, plays whole.
    if (snd_pcm_nonblock(pcm, 0) == 0 &&
        snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kSampleRate,
                           1, kLatencyMicros) == 0) {
        std::size_t done = 0;
        while (done < samples.size()) {
            const snd_pcm_sframes_t written =
                snd_pcm_writei(pcm, samples.data() + done, samples.size() - done);
            if (written >= 0) {
                done += static_cast<std::size_t>(written);
            } else if (snd_pcm_recover(pcm, static_cast<int>(written), 1) != 0) {
                break;
            }
        }
        snd_pcm_drain(pcm);
    }
    snd_pcm_close(pcm);
}

} // namespace

void PlayTone(int frequencyHz, int durationMs) {
    if (durationMs <= 0)
        return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(durationMs);
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(&ignoreAlsaError); });
    if (frequencyHz > 0)
        play(sineTone(frequencyHz, durationMs));
    // With no sound device, or one that stopped early, the tone's length passes in silence.
    std::this_thread::sleep_until(end);
}

} // namespace vr
