#pragma once

#include "sound/tones.h"
#include "sound/trouble.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct pa_context;
struct pa_server_info;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;
struct pa_mainloop_api;
struct timeval;

// The game's sounds, played through the desktop's sound server (PulseAudio's protocol, which
// PipeWire serves too). The client library is loaded when sound is first opened, so a game that
// never plays a tone never loads it. The connection lives only while a round needs it: between
// rounds nothing is open and nothing wakes the game. The window's thread never waits for the
// server: libpulse's own thread connects and opens the stream, and the window only asks.
namespace sound
{

struct PulseLibrary;

// Where a sound that took the place of what the stream held was put, in samples from the
// stream's start: the server's read position when the sound was asked for, and the sound's first
// sample as the server's own write position places it once written.
struct Placement {
    Kind kind = Kind::Silence;
    std::int64_t readAt = 0;
    std::int64_t startsAt = 0;
};

class PulseOutput : public QObject
{
public:
    PulseOutput();
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Asks for the connection and the stream, and returns at once. Where there is no sound, or it
    // breaks down later, trouble is called once, on this object's thread, and one line with the
    // library's own words goes to standard error.
    void open(std::function<void(Trouble)> trouble);
    // From now on, in place of what the stream holds: a colour's tone held until the next call,
    // a press, a wrong press, silence. Not heard before the stream is ready, nor after a failure.
    void play(Kind kind, int colour);
    // What sounds plays out, then the connection goes.
    void close();
    // The stream takes sounds.
    bool ready() const { return state == State::Ready; }
    // For tests and benchmarks: each placement, as the server reports it, on libpulse's thread.
    void watch(std::function<void(const Placement&)> placed);

private:
    enum class State { Closed, Connecting, Ready, Failed };
    // The synthesiser as it stood at a position of the stream, in samples: where a replacement
    // starts, it renders again from there, so that what was heard and what follows are one wave.
    struct Mark {
        std::int64_t at;
        Synth synth;
    };
    struct Asked {
        Kind kind;
        int colour;
    };
    // The timing update in flight: for the read position a sound goes to, or for where the
    // server put the sound just written.
    enum class Asking { Nothing, Read, Written };

    // What libpulse's thread calls, with the loop locked.
    static void connectNow(pa_mainloop_api* api, void* self);
    static void contextChanged(pa_context* context, void* self);
    static void serverKnown(pa_context* context, const pa_server_info* info, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void writable(pa_stream* stream, std::size_t bytes, void* self);
    static void updated(pa_stream* stream, void* self);
    static void timed(pa_stream* stream, int success, void* self);
    static void timedOut(pa_mainloop_api* api, pa_time_event* event, const timeval* when,
                         void* self);
    void openStream();
    void ask(Asking what);
    void replace(std::int64_t readAt, Asked sound);
    // Moves the synthesiser to position to: back to the mark at or before it, or on.
    void seek(std::int64_t to);
    // Renders count samples from where the synthesiser stands, and marks where it stood.
    void render(std::int64_t count, std::vector<std::int16_t>& into);
    void write(const std::vector<std::int16_t>& samples, std::int64_t at, int seek);
    void report(Trouble trouble, const std::string& why);

    void teardown();

    const PulseLibrary* library = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* deadline = nullptr;
    std::atomic<State> state{State::Closed};
    // Which opening a report of libpulse's thread belongs to.
    std::atomic<int> generation{0};
    std::function<void(Trouble)> onTrouble;
    std::function<void(const Placement&)> onPlaced;

    // Libpulse's thread only, in samples of the stream. The synthesiser stands at end, where the
    // writes have reached; lastSound is where the last sound began.
    Synth synth;
    std::int64_t end = 0;
    std::int64_t lastSound = 0;
    std::deque<Mark> marks;
    std::deque<Asked> asked;
    Asking asking = Asking::Nothing;
    // A sound written at the server's read position as the server finds it, not yet placed in
    // these numbers: where they put it, until the server says where it is.
    bool unsure = false;
    std::int64_t guessed = 0;
    // The sound last written and the read position it was asked for at, for watch().
    Placement placing;
    std::int64_t soundAt = 0;
    // A server that reads a whole cycle at once and never takes back what it has read (PipeWire's
    // PulseAudio service), and the least step of its read position seen so far (0: none yet).
    bool readsAhead = false;
    std::int64_t lastRead = -1;
    std::int64_t readStep = 0;
    QTimer closing;
};

} // namespace sound
