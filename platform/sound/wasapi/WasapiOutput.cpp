// The audio output on Windows: WASAPI in shared mode, event driven, at the
// smallest period the audio engine offers. Everything WASAPI is done on the
// audio thread, which owns its COM apartment; the GUI thread only waits for
// it to report whether the stream started. Without a device (a PC with no
// sound card, or Wine with its audio drivers off) there is no output and the
// devices play silently.
#include <audioclient.h>
#include <avrt.h>
#include <mmdeviceapi.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "platform/sound/AudioOutput.h"

namespace platform {

namespace {

// KSDATAFORMAT_SUBTYPE_IEEE_FLOAT, the sub-format of a float mix format.
constexpr GUID kSubtypeFloat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kSubtypePcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <typename T>
void Release(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

// How the engine wants its samples: interleaved channels of float or of
// 16-bit integers. Anything else the output does not open for.
struct SampleFormat {
    int channels = 0;
    bool isFloat = false;
    bool valid = false;
};

SampleFormat ReadFormat(const WAVEFORMATEX* format) {
    SampleFormat f;
    f.channels = format->nChannels;
    GUID subtype = format->wFormatTag == WAVE_FORMAT_IEEE_FLOAT ? kSubtypeFloat : kSubtypePcm;
    if (format->wFormatTag == WAVE_FORMAT_EXTENSIBLE)
        subtype = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(format)->SubFormat;
    else if (format->wFormatTag != WAVE_FORMAT_PCM && format->wFormatTag != WAVE_FORMAT_IEEE_FLOAT) return f;
    f.isFloat = IsEqualGUID(subtype, kSubtypeFloat) && format->wBitsPerSample == 32;
    const bool pcm16 = IsEqualGUID(subtype, kSubtypePcm) && format->wBitsPerSample == 16;
    f.valid = f.channels > 0 && (f.isFloat || pcm16);
    return f;
}

class WasapiOutput : public AudioOutput {
public:
    explicit WasapiOutput(Mixer& mixer) : mixer_(mixer) {}

    ~WasapiOutput() override {
        if (thread_.joinable()) {
            SetEvent(stop_);
            thread_.join();
        }
        if (stop_ != nullptr) CloseHandle(stop_);
    }

    bool Open() {
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (stop_ == nullptr) return false;
        std::promise<bool> started;
        std::future<bool> result = started.get_future();
        thread_ = std::thread([this, &started] { Run(started); });
        return result.get();
    }

    AudioOutputInfo Info() const override { return info_; }

private:
    // The audio thread: opens the stream, reports, then renders until stopped.
    void Run(std::promise<bool>& started) {
        const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        const bool open = comReady && ready != nullptr && OpenStream(ready);
        started.set_value(open);  // `started` is gone after this line
        if (open) Render(ready);
        if (client_ != nullptr) client_->Stop();
        Release(render_);
        Release(client_);
        if (ready != nullptr) CloseHandle(ready);
        if (comReady) CoUninitialize();
    }

    bool OpenStream(HANDLE ready) {
        IMMDeviceEnumerator* devices = nullptr;
        IMMDevice* device = nullptr;
        WAVEFORMATEX* format = nullptr;
        bool ok = SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                             __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&devices))) &&
                  SUCCEEDED(devices->GetDefaultAudioEndpoint(eRender, eConsole, &device)) &&
                  SUCCEEDED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                             reinterpret_cast<void**>(&client_))) &&
                  SUCCEEDED(client_->GetMixFormat(&format));
        if (ok) {
            sample_ = ReadFormat(format);
            ok = sample_.valid && Initialize(device, format) && SUCCEEDED(client_->SetEventHandle(ready)) &&
                 SUCCEEDED(client_->GetBufferSize(&bufferFrames_)) &&
                 SUCCEEDED(client_->GetService(__uuidof(IAudioRenderClient), reinterpret_cast<void**>(&render_)));
        }
        if (ok) {
            info_ = {true, "wasapi", static_cast<int>(format->nSamplesPerSec), periodFrames_};
            scratch_.assign(bufferFrames_, 0.0f);  // the render loop allocates nothing
            ok = SUCCEEDED(client_->Start());
        }
        if (format != nullptr) CoTaskMemFree(format);
        Release(device);
        Release(devices);
        if (!ok) info_ = {};
        return ok;
    }

    // The smallest period: the engine's own minimum where the system offers
    // one (IAudioClient3, Windows 10), else the device's minimum period.
    bool Initialize(IMMDevice* device, WAVEFORMATEX* format) {
        IAudioClient3* client3 = nullptr;
        if (SUCCEEDED(
                device->Activate(__uuidof(IAudioClient3), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client3)))) {
            UINT32 standard = 0, fundamental = 0, smallest = 0, largest = 0;
            const bool low =
                SUCCEEDED(client3->GetSharedModeEnginePeriod(format, &standard, &fundamental, &smallest, &largest)) &&
                SUCCEEDED(
                    client3->InitializeSharedAudioStream(AUDCLNT_STREAMFLAGS_EVENTCALLBACK, smallest, format, nullptr));
            if (low) {
                Release(client_);
                client_ = client3;
                periodFrames_ = static_cast<int>(smallest);
                return true;
            }
            Release(client3);
        }
        REFERENCE_TIME standardPeriod = 0, minimumPeriod = 0;
        if (FAILED(client_->GetDevicePeriod(&standardPeriod, &minimumPeriod))) return false;
        if (FAILED(client_->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_EVENTCALLBACK, minimumPeriod, 0,
                                       format, nullptr)))
            return false;
        // Shared mode wakes once per engine period, whatever the buffer.
        periodFrames_ = static_cast<int>(standardPeriod * format->nSamplesPerSec / 10'000'000);
        return true;
    }

    void Render(HANDLE ready) {
        DWORD task = 0;
        HANDLE priority = AvSetMmThreadCharacteristicsW(L"Pro Audio", &task);
        const HANDLE events[] = {stop_, ready};
        while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            UINT32 padding = 0;
            if (FAILED(client_->GetCurrentPadding(&padding))) break;
            const UINT32 frames = bufferFrames_ - padding;
            BYTE* data = nullptr;
            if (frames == 0 || FAILED(render_->GetBuffer(frames, &data))) continue;
            mixer_.Mix(scratch_.data(), static_cast<int>(frames));
            Write(data, frames);
            render_->ReleaseBuffer(frames, 0);
        }
        if (priority != nullptr) AvRevertMmThreadCharacteristics(priority);
    }

    // The mono mix into every channel of the engine's buffer.
    void Write(BYTE* data, UINT32 frames) const {
        const int channels = sample_.channels;
        if (sample_.isFloat) {
            auto* out = reinterpret_cast<float*>(data);
            for (UINT32 f = 0; f < frames; ++f)
                for (int c = 0; c < channels; ++c) *out++ = scratch_[f];
        } else {
            auto* out = reinterpret_cast<std::int16_t*>(data);
            for (UINT32 f = 0; f < frames; ++f) {
                const auto value = static_cast<std::int16_t>(scratch_[f] * 32767.0f);
                for (int c = 0; c < channels; ++c) *out++ = value;
            }
        }
    }

    Mixer& mixer_;
    HANDLE stop_ = nullptr;
    std::thread thread_;
    IAudioClient* client_ = nullptr;
    IAudioRenderClient* render_ = nullptr;
    UINT32 bufferFrames_ = 0;
    int periodFrames_ = 0;
    SampleFormat sample_;
    std::vector<float> scratch_;
    AudioOutputInfo info_;
};

}  // namespace

std::unique_ptr<AudioOutput> OpenAudioOutput(Mixer& mixer) {
    auto output = std::make_unique<WasapiOutput>(mixer);
    if (!output->Open()) return nullptr;
    return output;
}

}  // namespace platform
