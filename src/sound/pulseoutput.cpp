#include "sound/pulseoutput.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <sys/time.h>
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
    decltype(&::pa_mainloop_api_once) once;
    decltype(&::pa_proplist_new) proplistNew;
    decltype(&::pa_proplist_sets) proplistSets;
    decltype(&::pa_proplist_free) proplistFree;
    decltype(&::pa_context_new_with_proplist) contextNew;
    decltype(&::pa_context_unref) contextUnref;
    decltype(&::pa_context_connect) connect;
    decltype(&::pa_context_disconnect) disconnect;
    decltype(&::pa_context_get_state) contextState;
    decltype(&::pa_context_errno) contextErrno;
    decltype(&::pa_context_set_state_callback) onContext;
    decltype(&::pa_context_get_server_info) serverInfo;
    decltype(&::pa_strerror) strerror;
    decltype(&::pa_stream_new_with_proplist) streamNew;
    decltype(&::pa_stream_unref) streamUnref;
    decltype(&::pa_stream_connect_playback) connectPlayback;
    decltype(&::pa_stream_disconnect) streamDisconnect;
    decltype(&::pa_stream_get_state) streamState;
    decltype(&::pa_stream_set_state_callback) onStream;
    decltype(&::pa_stream_set_write_callback) onWritable;
    decltype(&::pa_stream_set_latency_update_callback) onUpdate;
    decltype(&::pa_stream_write) streamWrite;
    decltype(&::pa_stream_update_timing_info) updateTiming;
    decltype(&::pa_stream_get_timing_info) timing;
    decltype(&::pa_operation_unref) operationUnref;
};

namespace
{

// The library's own name, as its Debian package installs it.
constexpr char libraryName[] = "libpulse.so.0";
// The stream holds 40 ms ahead of what is heard, and is topped up each 10 ms.
constexpr std::int64_t heldSamples = sampleRate / 25;
constexpr std::int64_t topUpSamples = sampleRate / 100;
// A colour's tone starts with 100 ms in hand, so that a busy machine does not break it up; it
// lasts far longer than that, and what is in hand is heard long before its black square.
constexpr std::int64_t toneAhead = sampleRate / 10;
// A server that reads a whole cycle at once may have read one more cycle before a sound written
// where it read reaches it: what was due is written again for one cycle first, so that it joins
// either way. Until the cycle is seen, the longest a desktop is set to (1024 samples, in a
// virtual machine).
constexpr std::int64_t longestCycle = 1024;
// How far back a sound may be written: far more than the stream ever holds.
constexpr std::int64_t marksKept = sampleRate;
// A local server answers within milliseconds; one that does not is not waited for long.
constexpr long answerWaitUs = 1'500'000;
// The longest sound that may still be playing when a round ends, with room to spare.
constexpr int tailMs = wrongSamples * 1000 / sampleRate + 100;
constexpr std::int64_t bytesPerSample = sizeof(std::int16_t);

// How the game names itself to the desktop's volume mixer: as its launcher, and as a game.
constexpr char applicationName[] = "Graue Zellen";
constexpr char applicationId[] = GZ_APP_ID;
constexpr char mediaRole[] = "game";

template <typename Function> bool resolve(void* handle, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    return function != nullptr;
}

// Loaded once and kept: unloading a library that started threads is not safe. Null when it
// cannot be had; why is in failure.
const PulseLibrary* loadLibrary(std::string& failure)
{
    static std::string why;
    static const PulseLibrary* const loaded = []() -> const PulseLibrary* {
        void* handle = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* error = ::dlerror();
            why = error ? error : libraryName;
            return nullptr;
        }
        static PulseLibrary l{};
        const bool all = resolve(handle, "pa_threaded_mainloop_new", l.mainloopNew) &&
                         resolve(handle, "pa_threaded_mainloop_free", l.mainloopFree) &&
                         resolve(handle, "pa_threaded_mainloop_start", l.mainloopStart) &&
                         resolve(handle, "pa_threaded_mainloop_stop", l.mainloopStop) &&
                         resolve(handle, "pa_threaded_mainloop_lock", l.lock) &&
                         resolve(handle, "pa_threaded_mainloop_unlock", l.unlock) &&
                         resolve(handle, "pa_threaded_mainloop_get_api", l.api) &&
                         resolve(handle, "pa_mainloop_api_once", l.once) &&
                         resolve(handle, "pa_proplist_new", l.proplistNew) &&
                         resolve(handle, "pa_proplist_sets", l.proplistSets) &&
                         resolve(handle, "pa_proplist_free", l.proplistFree) &&
                         resolve(handle, "pa_context_new_with_proplist", l.contextNew) &&
                         resolve(handle, "pa_context_unref", l.contextUnref) &&
                         resolve(handle, "pa_context_connect", l.connect) &&
                         resolve(handle, "pa_context_disconnect", l.disconnect) &&
                         resolve(handle, "pa_context_get_state", l.contextState) &&
                         resolve(handle, "pa_context_errno", l.contextErrno) &&
                         resolve(handle, "pa_context_set_state_callback", l.onContext) &&
                         resolve(handle, "pa_context_get_server_info", l.serverInfo) &&
                         resolve(handle, "pa_strerror", l.strerror) &&
                         resolve(handle, "pa_stream_new_with_proplist", l.streamNew) &&
                         resolve(handle, "pa_stream_unref", l.streamUnref) &&
                         resolve(handle, "pa_stream_connect_playback", l.connectPlayback) &&
                         resolve(handle, "pa_stream_disconnect", l.streamDisconnect) &&
                         resolve(handle, "pa_stream_get_state", l.streamState) &&
                         resolve(handle, "pa_stream_set_state_callback", l.onStream) &&
                         resolve(handle, "pa_stream_set_write_callback", l.onWritable) &&
                         resolve(handle, "pa_stream_set_latency_update_callback", l.onUpdate) &&
                         resolve(handle, "pa_stream_write", l.streamWrite) &&
                         resolve(handle, "pa_stream_update_timing_info", l.updateTiming) &&
                         resolve(handle, "pa_stream_get_timing_info", l.timing) &&
                         resolve(handle, "pa_operation_unref", l.operationUnref);
        if (!all) {
            const char* error = ::dlerror();
            why = error ? error : libraryName;
        }
        return all ? &l : nullptr;
    }();
    failure = why;
    return loaded;
}

// The properties by which the desktop's mixer names and places the game's sound.
pa_proplist* identity(const PulseLibrary& l)
{
    pa_proplist* properties = l.proplistNew();
    if (properties) {
        l.proplistSets(properties, PA_PROP_APPLICATION_NAME, applicationName);
        l.proplistSets(properties, PA_PROP_APPLICATION_ID, applicationId);
        l.proplistSets(properties, PA_PROP_APPLICATION_ICON_NAME, applicationId);
        l.proplistSets(properties, PA_PROP_MEDIA_ROLE, mediaRole);
    }
    return properties;
}

} // namespace

PulseOutput::PulseOutput()
{
    closing.setSingleShot(true);
    closing.setInterval(tailMs);
    connect(&closing, &QTimer::timeout, this, [this] {
        // A connection still on its way is waited for, so that its outcome is told.
        if (state == State::Connecting)
            closing.start();
        else
            teardown();
    });
}

PulseOutput::~PulseOutput()
{
    teardown();
}

void PulseOutput::watch(std::function<void(const Placement&)> placed)
{
    if (loop)
        library->lock(loop);
    onPlaced = std::move(placed);
    if (loop)
        library->unlock(loop);
}

void PulseOutput::open(std::function<void(Trouble)> trouble)
{
    closing.stop();
    onTrouble = std::move(trouble);
    if (loop && state != State::Failed)
        return;
    teardown();
    std::string failure;
    library = loadLibrary(failure);
    if (!library) {
        state = State::Connecting;
        report(Trouble::NoLibrary, failure);
        return;
    }
    loop = library->mainloopNew();
    state = State::Connecting;
    if (!loop) {
        report(Trouble::NoLibrary, "pa_threaded_mainloop_new failed");
        return;
    }
    if (library->mainloopStart(loop) < 0) {
        report(Trouble::NoLibrary, "pa_threaded_mainloop_start failed");
        return;
    }
    library->lock(loop);
    library->once(library->api(loop), &PulseOutput::connectNow, this);
    library->unlock(loop);
}

void PulseOutput::connectNow(pa_mainloop_api* api, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    const PulseLibrary& l = *output->library;
    pa_proplist* properties = identity(l);
    output->context = properties ? l.contextNew(api, applicationName, properties) : nullptr;
    if (properties)
        l.proplistFree(properties);
    if (!output->context) {
        output->report(Trouble::NoLibrary, "pa_context_new_with_proplist failed");
        return;
    }
    l.onContext(output->context, &PulseOutput::contextChanged, output);
    // No server is started for the game: the desktop's runs, or there is none.
    if (l.connect(output->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        output->report(Trouble::NoServer, l.strerror(l.contextErrno(output->context)));
        return;
    }
    timeval when{};
    ::gettimeofday(&when, nullptr);
    const long us = when.tv_usec + answerWaitUs;
    when.tv_sec += us / 1'000'000;
    when.tv_usec = us % 1'000'000;
    output->deadline = api->time_new(api, &when, &PulseOutput::timedOut, output);
}

void PulseOutput::timedOut(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    api->time_free(event);
    output->deadline = nullptr;
    if (output->state != State::Connecting)
        return;
    output->report(Trouble::NoAnswer, output->library->strerror(PA_ERR_TIMEOUT));
    // Nothing more is asked of a server that does not answer.
    if (output->stream)
        output->library->streamDisconnect(output->stream);
    output->library->disconnect(output->context);
}

void PulseOutput::contextChanged(pa_context* context, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    const PulseLibrary& l = *output->library;
    switch (l.contextState(context)) {
    case PA_CONTEXT_READY:
        if (pa_operation* asking = l.serverInfo(context, &PulseOutput::serverKnown, output))
            l.operationUnref(asking);
        else
            output->report(Trouble::Refused, l.strerror(l.contextErrno(context)));
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        output->report(output->state == State::Ready ? Trouble::Lost : Trouble::NoServer,
                       l.strerror(l.contextErrno(context)));
        break;
    default:
        break;
    }
}

void PulseOutput::serverKnown(pa_context*, const pa_server_info* info, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    // PipeWire's PulseAudio service names itself so; PulseAudio takes back what it has read
    // (rewinds) where a sound is written behind its read position.
    output->readsAhead = info && info->server_name && std::strstr(info->server_name, "PipeWire");
    output->openStream();
}

void PulseOutput::openStream()
{
    const PulseLibrary& l = *library;
    const pa_sample_spec format{PA_SAMPLE_S16LE, sampleRate, 1};
    pa_proplist* properties = identity(l);
    stream = properties ? l.streamNew(context, "Töne", &format, nullptr, properties) : nullptr;
    if (properties)
        l.proplistFree(properties);
    if (!stream) {
        report(Trouble::Refused, l.strerror(l.contextErrno(context)));
        return;
    }
    l.onStream(stream, &PulseOutput::streamChanged, this);
    l.onWritable(stream, &PulseOutput::writable, this);
    l.onUpdate(stream, &PulseOutput::updated, this);
    // Small and never waiting for a full buffer: a sound is heard as it is asked for. The
    // server's read position is told now and then, so that its cycle is known.
    const pa_buffer_attr buffer{std::uint32_t(-1), std::uint32_t(heldSamples * bytesPerSample), 0,
                                std::uint32_t(topUpSamples * bytesPerSample), std::uint32_t(-1)};
    if (l.connectPlayback(
            stream, nullptr, &buffer,
            pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE), nullptr,
            nullptr) < 0)
        report(Trouble::Refused, l.strerror(l.contextErrno(context)));
}

void PulseOutput::streamChanged(pa_stream* stream, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    const PulseLibrary& l = *output->library;
    switch (l.streamState(stream)) {
    case PA_STREAM_READY:
        if (output->state == State::Connecting)
            output->state = State::Ready;
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        output->report(output->state == State::Ready ? Trouble::Lost : Trouble::Refused,
                       l.strerror(l.contextErrno(output->context)));
        break;
    default:
        break;
    }
}

void PulseOutput::report(Trouble trouble, const std::string& why)
{
    State was = state;
    if (was == State::Failed || was == State::Closed ||
        !state.compare_exchange_strong(was, State::Failed))
        return;
    std::fprintf(stderr, "graue-zellen: sound: %s\n", why.c_str());
    const int opening = generation;
    QMetaObject::invokeMethod(
        this,
        [this, opening, trouble] {
            if (opening == generation && onTrouble)
                onTrouble(trouble);
        },
        Qt::QueuedConnection);
}

void PulseOutput::render(std::int64_t count, std::vector<std::int16_t>& into)
{
    // Where the synthesiser stood before these samples, for a later replacement to start from.
    marks.push_back({end, synth});
    while (marks.size() > 2 && marks[1].at <= end - marksKept)
        marks.pop_front();
    const std::size_t from = into.size();
    into.resize(from + std::size_t(count));
    synth.render(into.data() + from, std::size_t(count));
    end += count;
}

void PulseOutput::seek(std::int64_t to)
{
    if (to < end && !marks.empty()) {
        while (marks.size() > 1 && marks.back().at > to)
            marks.pop_back();
        synth = marks.back().synth;
        end = marks.back().at;
    }
    std::vector<std::int16_t> skipped(std::size_t(to - end));
    synth.render(skipped.data(), skipped.size());
    end = to;
}

void PulseOutput::write(const std::vector<std::int16_t>& samples, std::int64_t at, int seek)
{
    library->streamWrite(stream, samples.data(), samples.size() * std::size_t(bytesPerSample),
                         nullptr, at * bytesPerSample, pa_seek_mode_t(seek));
}

void PulseOutput::writable(pa_stream*, std::size_t bytes, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    std::vector<std::int16_t> samples;
    output->render(std::int64_t(bytes) / bytesPerSample, samples);
    output->write(samples, 0, PA_SEEK_RELATIVE);
}

void PulseOutput::updated(pa_stream* stream, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    const pa_timing_info* timing = output->library->timing(stream);
    if (!timing || timing->read_index_corrupt)
        return;
    const std::int64_t read = timing->read_index / bytesPerSample;
    if (output->lastRead >= 0 && read > output->lastRead) {
        const std::int64_t step = read - output->lastRead;
        output->readStep = output->readStep ? std::min(output->readStep, step) : step;
    }
    output->lastRead = read;
}

void PulseOutput::play(Kind kind, int colour)
{
    if (state != State::Ready)
        return;
    library->lock(loop);
    asked.push_back({kind, colour});
    // One at a time: each sound is placed by the server's answer about the last.
    if (asking == Asking::Nothing)
        ask(Asking::Read);
    library->unlock(loop);
}

void PulseOutput::ask(Asking what)
{
    if (pa_operation* update = library->updateTiming(stream, &PulseOutput::timed, this)) {
        asking = what;
        library->operationUnref(update);
    } else {
        asking = Asking::Nothing;
        asked.clear();
    }
}

void PulseOutput::timed(pa_stream* stream, int success, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    const PulseLibrary& l = *output->library;
    const Asking what = output->asking;
    output->asking = Asking::Nothing;
    if (l.streamState(stream) != PA_STREAM_READY) {
        output->asked.clear();
        return;
    }
    const pa_timing_info* timing = success ? l.timing(stream) : nullptr;
    if (timing && !timing->write_index_corrupt) {
        // What these numbers call end, the server calls its write position.
        const std::int64_t serverEnd = timing->write_index / bytesPerSample;
        if (what == Asking::Written && output->onPlaced) {
            output->placing.startsAt = serverEnd - (output->end - output->soundAt);
            output->onPlaced(output->placing);
        }
        if (output->unsure) {
            const std::int64_t shift = serverEnd - output->end;
            for (Mark& mark : output->marks) {
                if (mark.at >= output->guessed)
                    mark.at += shift;
            }
            output->end += shift;
            output->lastSound += shift;
            output->unsure = false;
        }
    }
    if (what == Asking::Read && !output->asked.empty()) {
        const Asked sound = output->asked.front();
        output->asked.pop_front();
        // Without the server's read position, the sound follows what the stream holds.
        output->replace(timing && !timing->read_index_corrupt ? timing->read_index / bytesPerSample
                                                              : output->end,
                        sound);
        output->ask(Asking::Written);
        return;
    }
    if (!output->asked.empty())
        output->ask(Asking::Read);
}

// The sound takes the place of what the stream holds from the server's read position on.
void PulseOutput::replace(std::int64_t readAt, Asked sound)
{
    const std::int64_t until = end;
    const std::int64_t ahead = sound.kind == Kind::Tone ? toneAhead : heldSamples;
    const std::int64_t oldest = marks.empty() ? end : marks.front().at;
    placing = {sound.kind, readAt, 0};
    std::vector<std::int16_t> samples;
    if (synth.quietFor() >= until - std::min(readAt, until)) {
        // After silence: written where the server reads when the write reaches it, so that it is
        // heard at once and whole. Where that is, the server's next answer tells.
        seek(std::max(readAt, oldest));
        guessed = end;
        unsure = true;
        soundAt = end;
        lastSound = end;
        synth.start(sound.kind, sound.colour);
        render(std::max(ahead, until - end), samples);
        write(samples, 0, PA_SEEK_RELATIVE_ON_READ);
        return;
    }
    // Over a sound: the same wave again from the read position, so that the two join without a
    // click wherever the server reads on, then the new sound (or the fade of the old one).
    const std::int64_t from = std::max({readAt, lastSound, oldest});
    seek(from);
    if (readsAhead)
        render(readStep ? readStep : longestCycle, samples);
    soundAt = end;
    lastSound = end;
    synth.start(sound.kind, sound.colour);
    render(std::max(until, soundAt + ahead) - end, samples);
    write(samples, from, PA_SEEK_ABSOLUTE);
}

void PulseOutput::close()
{
    if (loop || state != State::Closed)
        closing.start();
}

void PulseOutput::teardown()
{
    closing.stop();
    ++generation;
    if (loop) {
        const PulseLibrary& l = *library;
        l.lock(loop);
        if (deadline) {
            l.api(loop)->time_free(deadline);
            deadline = nullptr;
        }
        if (stream) {
            l.onStream(stream, nullptr, nullptr);
            l.onWritable(stream, nullptr, nullptr);
            l.streamDisconnect(stream);
            l.streamUnref(stream);
            stream = nullptr;
        }
        if (context) {
            l.onContext(context, nullptr, nullptr);
            l.disconnect(context);
            l.contextUnref(context);
            context = nullptr;
        }
        l.unlock(loop);
        l.mainloopStop(loop);
        l.mainloopFree(loop);
        loop = nullptr;
    }
    state = State::Closed;
    synth = Synth();
    end = 0;
    lastSound = 0;
    marks.clear();
    asked.clear();
    asking = Asking::Nothing;
    unsure = false;
    readsAhead = false;
    lastRead = -1;
    readStep = 0;
}

} // namespace sound
