#pragma once

#include "sound/tones.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// The game's sounds, played through the desktop's sound server (PulseAudio's protocol, which
// PipeWire serves too). The client library is loaded when sound is first opened, so a game that
// never plays a tone never loads it. The connection lives only while a round needs it: between
// rounds nothing is open and nothing wakes the game.
namespace sound
{

struct PulseLibrary;

class PulseOutput : public QObject
{
public:
    PulseOutput();
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Connects and opens the stream, waiting a moment at most: empty when ready, else why not, in
    // German for the player.
    QString open();
    // From now on: a colour's tone held until the next call, a press, a wrong press, silence.
    // Does nothing once the server has failed.
    void play(Kind kind, int colour);
    // What sounds plays out, then the connection goes. Returns why the sound broke down since
    // open, empty when it did not.
    QString close();

private:
    // What the server's thread calls.
    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void writable(pa_stream* stream, std::size_t bytes, void* self);
    void write(std::size_t bytes, int seek);
    // Waits, with the loop unlocked, until ready() or failed; false on failure or time-out.
    template <typename Ready> bool waitFor(Ready ready);
    void teardown();

    const PulseLibrary* library = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    Synth synth;
    // Set by the server's thread: the connection or the stream has failed.
    std::atomic<bool> broken{false};
    QTimer closing;
};

} // namespace sound
