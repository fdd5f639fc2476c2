// Start-up of the game against a minimal Qt Widgets window: the time from launch until the X
// server maps the window, and the peak memory (VmHWM) one second later, as medians of alternating
// runs. Needs an X display, e.g. xvfb-run -a bench_startup. Libraries named after the number of
// runs are each tried as a third contender: the game with that library loaded at start
// (LD_PRELOAD), as if it linked it, to weigh a dependency before taking it. GZ_BASELINE names an
// older build of the game to run beside them, in the same run.
#include "benchstats.h"

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{

struct Sample {
    double mapMs = -1;
    double hwmKiB = -1;
};

Sample launch(xcb_connection_t* connection, const char* program, const std::string& preload = {})
{
    Sample sample;
    std::vector<char*> env(
        environ, environ + [] {
            std::size_t n = 0;
            while (environ[n])
                ++n;
            return n;
        }());
    std::string preloading = "LD_PRELOAD=" + preload;
    if (!preload.empty())
        env.push_back(preloading.data());
    env.push_back(nullptr);
    const auto started = std::chrono::steady_clock::now();
    char* argv[] = {const_cast<char*>(program), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, env.data()) != 0) {
        std::perror(program);
        return sample;
    }
    // The first top-level window mapped after the launch is the program's.
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                            !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
        std::free(event);
        if (mapped) {
            sample.mapMs = std::chrono::duration<double, std::milli>(
                               std::chrono::steady_clock::now() - started)
                               .count();
            break;
        }
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    sample.hwmKiB = double(statusKiB("/proc/" + std::to_string(pid) + "/status", "VmHWM:"));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return sample;
}

} // namespace

int main(int argc, char* argv[])
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::string dir = [&] {
        std::string self = argv[0];
        return self.substr(0, self.rfind('/') + 1);
    }();
    const std::string game = dir + "../src/graue-zellen";
    const std::string floor = dir + "startup_floor";

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("bench_startup: no X display; try: xvfb-run -a bench_startup\n", stderr);
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const std::vector<std::string> preloads(argv + std::min(argc, 2), argv + argc);
    const char* const baseline = std::getenv("GZ_BASELINE");
    std::vector<double> gameMs, floorMs, gameKiB, floorKiB, baseMs, baseKiB;
    std::vector<std::vector<double>> withMs(preloads.size()), withKiB(preloads.size());
    for (int i = 0; i < runs; ++i) {
        // Alternating, so that drifts of the machine hit both alike.
        for (const bool isGame : {i % 2 == 0, i % 2 != 0}) {
            const Sample s = launch(connection, (isGame ? game : floor).c_str());
            (isGame ? gameMs : floorMs).push_back(s.mapMs);
            (isGame ? gameKiB : floorKiB).push_back(s.hwmKiB);
        }
        if (baseline) {
            const Sample s = launch(connection, baseline);
            baseMs.push_back(s.mapMs);
            baseKiB.push_back(s.hwmKiB);
        }
        for (std::size_t p = 0; p < preloads.size(); ++p) {
            const Sample s = launch(connection, game.c_str(), preloads[p]);
            withMs[p].push_back(s.mapMs);
            withKiB[p].push_back(s.hwmKiB);
        }
    }
    xcb_disconnect(connection);

    const double gm = median(gameMs), fm = median(floorMs);
    const double gk = median(gameKiB), fk = median(floorKiB);
    std::printf("medians of %d runs each\n", runs);
    std::printf("  launch to mapped window: game %7.1f ms, floor %7.1f ms, ratio %.3f\n", gm, fm,
                gm / fm);
    std::printf("  VmHWM after 1 s:         game %7.0f KiB, floor %7.0f KiB, ratio %.3f\n", gk, fk,
                gk / fk);
    if (baseline)
        std::printf("  baseline %s: %7.1f ms (ratio to floor %.3f), %7.0f KiB (ratio %.3f)\n",
                    baseline, median(baseMs), median(baseMs) / fm, median(baseKiB),
                    median(baseKiB) / fk);
    for (std::size_t p = 0; p < preloads.size(); ++p) {
        const double m = median(withMs[p]), k = median(withKiB[p]);
        std::printf(
            "  game with %s loaded: %7.1f ms (ratio to floor %.3f), %7.0f KiB (ratio %.3f)\n",
            preloads[p].c_str(), m, m / fm, k, k / fk);
    }
    return 0;
}
