#include "sound/pulseoutput.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <dlfcn.h>
#include <thread>
#include <vector>

namespace sound
{

// The library's calls that the game makes, found when it is loaded.
struct PulseLibrary {
    decltype(&::pa_threaded_mainloop_new) mainloopNew;
    decltype(&::pa_threaded_mainloop_free) mainloopFree;
    decltype(&::pa_threaded_mainloop_start) mainloopStart;
    decltype(&::pa_threaded_mainloop_stop) mainloopStop;
    decltype(&::pa_threaded_mainloop_lock) lock;
    decltype(&::pa_threaded_mainloop_unlock) unlock;
    decltype(&::pa_threaded_mainloop_get_api) api;
    decltype(&::pa_context_new) contextNew;
    decltype(&::pa_context_unref) contextUnref;
    decltype(&::pa_context_connect) connect;
    decltype(&::pa_context_disconnect) disconnect;
    decltype(&::pa_context_get_state) contextState;
    decltype(&::pa_context_set_state_callback) onContext;
    decltype(&::pa_stream_new) streamNew;
    decltype(&::pa_stream_unref) streamUnref;
    decltype(&::pa_stream_connect_playback) connectPlayback;
    decltype(&::pa_stream_disconnect) streamDisconnect;
    decltype(&::pa_stream_get_state) streamState;
    decltype(&::pa_stream_set_state_callback) onStream;
    decltype(&::pa_stream_set_write_callback) onWritable;
    decltype(&::pa_stream_write) streamWrite;
};

namespace
{

// The library's own name, as its Debian package installs it.
constexpr char libraryName[] = "libpulse.so.0";
// The stream holds 40 ms ahead of what is heard, and is topped up each 10 ms; a tone that starts
// after silence replaces what is held, so it is heard at once all the same.
constexpr std::size_t bytesPerSample = sizeof(std::int16_t);
constexpr std::size_t heldBytes = sampleRate / 25 * bytesPerSample;
constexpr std::size_t topUpBytes = sampleRate / 100 * bytesPerSample;
// A colour's tone starts with 100 ms in hand, so that a busy machine does not break it up; it
// lasts far longer than that, and what is in hand is heard long before its black square.
constexpr std::size_t toneStartBytes = sampleRate / 10 * bytesPerSample;
// A local server answers within milliseconds; one that does not is not waited for long.
constexpr std::chrono::milliseconds openWait{1500};
// The longest sound that may still be playing when a round ends, with room to spare.
constexpr int tailMs = wrongSamples * 1000 / sampleRate + 100;

template <typename Function> bool resolve(void* handle, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    return function != nullptr;
}

// Loaded once and kept: unloading a library that started threads is not safe.
const PulseLibrary* loadLibrary()
{
    static const PulseLibrary* const loaded = []() -> const PulseLibrary* {
        void* handle = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return nullptr;
        static PulseLibrary l{};
        const bool all = resolve(handle, "pa_threaded_mainloop_new", l.mainloopNew) &&
                         resolve(handle, "pa_threaded_mainloop_free", l.mainloopFree) &&
                         resolve(handle, "pa_threaded_mainloop_start", l.mainloopStart) &&
                         resolve(handle, "pa_threaded_mainloop_stop", l.mainloopStop) &&
                         resolve(handle, "pa_threaded_mainloop_lock", l.lock) &&
                         resolve(handle, "pa_threaded_mainloop_unlock", l.unlock) &&
                         resolve(handle, "pa_threaded_mainloop_get_api", l.api) &&
                         resolve(handle, "pa_context_new", l.contextNew) &&
                         resolve(handle, "pa_context_unref", l.contextUnref) &&
                         resolve(handle, "pa_context_connect", l.connect) &&
                         resolve(handle, "pa_context_disconnect", l.disconnect) &&
                         resolve(handle, "pa_context_get_state", l.contextState) &&
                         resolve(handle, "pa_context_set_state_callback", l.onContext) &&
                         resolve(handle, "pa_stream_new", l.streamNew) &&
                         resolve(handle, "pa_stream_unref", l.streamUnref) &&
                         resolve(handle, "pa_stream_connect_playback", l.connectPlayback) &&
                         resolve(handle, "pa_stream_disconnect", l.streamDisconnect) &&
                         resolve(handle, "pa_stream_get_state", l.streamState) &&
                         resolve(handle, "pa_stream_set_state_callback", l.onStream) &&
                         resolve(handle, "pa_stream_set_write_callback", l.onWritable) &&
                         resolve(handle, "pa_stream_write", l.streamWrite);
        return all ? &l : nullptr;
    }();
    return loaded;
}

} // namespace

PulseOutput::PulseOutput()
{
    closing.setSingleShot(true);
    closing.setInterval(tailMs);
    connect(&closing, &QTimer::timeout, this, &PulseOutput::teardown);
}

PulseOutput::~PulseOutput()
{
    teardown();
}

void PulseOutput::contextChanged(pa_context* context, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    const pa_context_state_t state = output->library->contextState(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
        output->broken = true;
}

void PulseOutput::streamChanged(pa_stream* stream, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    const pa_stream_state_t state = output->library->streamState(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        output->broken = true;
}

void PulseOutput::writable(pa_stream*, std::size_t bytes, void* self)
{
    static_cast<PulseOutput*>(self)->write(bytes, PA_SEEK_RELATIVE);
}

// Called with the loop locked.
void PulseOutput::write(std::size_t bytes, int seek)
{
    std::vector<std::int16_t> samples(bytes / bytesPerSample);
    synth.render(samples.data(), samples.size());
    library->streamWrite(stream, samples.data(), samples.size() * bytesPerSample, nullptr, 0,
                         pa_seek_mode_t(seek));
}

template <typename Ready> bool PulseOutput::waitFor(Ready ready)
{
    const auto deadline = std::chrono::steady_clock::now() + openWait;
    for (;;) {
        library->lock(loop);
        const bool done = ready();
        library->unlock(loop);
        if (done)
            return true;
        if (broken || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

QString PulseOutput::open()
{
    closing.stop();
    if (stream && !broken)
        return {};
    teardown();
    library = loadLibrary();
    if (!library)
        return QStringLiteral("Die Bibliothek des Tondienstes (%1) fehlt.")
            .arg(QLatin1String(libraryName));
    broken = false;
    loop = library->mainloopNew();
    context = library->contextNew(library->api(loop), "Graue Zellen");
    library->onContext(context, &PulseOutput::contextChanged, this);
    // No server is started for the game: the desktop's runs, or there is none.
    if (library->connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        library->mainloopStart(loop) < 0) {
        teardown();
        return QStringLiteral("Es läuft kein Tondienst.");
    }
    if (!waitFor([this] { return library->contextState(context) == PA_CONTEXT_READY; })) {
        teardown();
        return QStringLiteral("Es läuft kein Tondienst, oder er antwortet nicht.");
    }

    library->lock(loop);
    const pa_sample_spec format{PA_SAMPLE_S16LE, sampleRate, 1};
    stream = library->streamNew(context, "Töne", &format, nullptr);
    if (stream) {
        library->onStream(stream, &PulseOutput::streamChanged, this);
        library->onWritable(stream, &PulseOutput::writable, this);
        // Small and never waiting for a full buffer: a tone is heard as it is asked for.
        const pa_buffer_attr buffer{std::uint32_t(-1), std::uint32_t(heldBytes), 0,
                                    std::uint32_t(topUpBytes), std::uint32_t(-1)};
        if (library->connectPlayback(stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                     nullptr) < 0)
            broken = true;
    }
    library->unlock(loop);
    if (!stream || !waitFor([this] { return library->streamState(stream) == PA_STREAM_READY; })) {
        teardown();
        return QStringLiteral("Der Tondienst nimmt keine Töne an.");
    }
    return {};
}

void PulseOutput::play(Kind kind, int colour)
{
    if (!stream || broken)
        return;
    library->lock(loop);
    // After silence, the stream holds nothing but silence: the sound takes its place at once
    // instead of waiting behind it.
    const bool afterSilence =
        synth.quietFor() * std::int64_t(bytesPerSample) >= std::int64_t(heldBytes);
    synth.start(kind, colour);
    if (afterSilence && kind != Kind::Silence)
        write(kind == Kind::Tone ? toneStartBytes : heldBytes, PA_SEEK_RELATIVE_ON_READ);
    library->unlock(loop);
}

QString PulseOutput::close()
{
    if (!loop)
        return {};
    closing.start();
    return broken ? QStringLiteral("Die Verbindung zum Tondienst ist abgebrochen.") : QString();
}

void PulseOutput::teardown()
{
    closing.stop();
    if (!loop)
        return;
    library->lock(loop);
    if (stream) {
        library->onStream(stream, nullptr, nullptr);
        library->onWritable(stream, nullptr, nullptr);
        library->streamDisconnect(stream);
        library->streamUnref(stream);
        stream = nullptr;
    }
    library->onContext(context, nullptr, nullptr);
    library->disconnect(context);
    library->contextUnref(context);
    context = nullptr;
    library->unlock(loop);
    library->mainloopStop(loop);
    library->mainloopFree(loop);
    loop = nullptr;
}

} // namespace sound
