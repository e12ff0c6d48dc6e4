// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// Start-up to first frame and peak memory of two programs, started in turn under the same X
// server. The first frame is the moment the X server holds the window's drawing: the first
// damage to the window after which its orange title field is there.
//
// Usage: startup_bench RUNS PROGRAM BASELINE [LAUNCHER]
// Prints one line per run and the medians, and the program's figures as ratios to the baseline's,
// pair by pair. With a launcher (wine), each program is started through it, found on the path.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>
#include <xcb/damage.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Both windows are this size and have an orange field at this point.
constexpr int Width = 625;
constexpr int Height = 341;
constexpr int ProbeX = 227;
constexpr int ProbeY = 3;
constexpr std::uint32_t Orange = 0xFFC080;

struct Run
{
    double firstFrameMs = 0;
    double peakMiB = 0;
};

class Display
{
public:
    Display() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_)) {
            std::fprintf(stderr, "cannot open the X display\n");
            std::exit(1);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(connection_, &xcb_damage_id);
        if (!damage || !damage->present) {
            std::fprintf(stderr, "the X server has no DAMAGE extension\n");
            std::exit(1);
        }
        damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_,
                                            xcb_damage_query_version(connection_, 1, 1), nullptr));
        // New top-level windows are announced on the root window.
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~Display() { xcb_disconnect(connection_); }

    // Waits for the next window of our size to be created and then drawn; false on timeout.
    bool waitForFirstFrame(Clock::time_point deadline)
    {
        created_.clear();
        xcb_window_t window = XCB_NONE;
        xcb_damage_damage_t damage = XCB_NONE;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        while (Clock::now() < deadline) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (!event) {
                poll(&fd, 1, 5);
                continue;
            }
            const int type = event->response_type & 0x7f;
            // Qt creates its window at its size; Wine creates one and sizes it before mapping it.
            // Only windows created while waiting count: the last program's may still be going.
            xcb_window_t sized = XCB_NONE;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                if (!created->override_redirect) {
                    created_.push_back(created->window);
                    if (created->width == Width && created->height == Height) {
                        sized = created->window;
                    }
                }
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                const auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                if (configured->width == Width && configured->height == Height &&
                    std::ranges::find(created_, configured->window) != created_.end()) {
                    sized = configured->window;
                }
            }
            if (sized != XCB_NONE && window == XCB_NONE) {
                window = sized;
                damage = xcb_generate_id(connection_);
                xcb_damage_create(connection_, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(connection_);
            } else if (type == damageEvent_ && window != XCB_NONE) {
                xcb_damage_subtract(connection_, damage, XCB_NONE, XCB_NONE);
                if (probe(window) == Orange) {
                    free(event);
                    xcb_damage_destroy(connection_, damage);
                    xcb_flush(connection_);
                    return true;
                }
            }
            free(event);
        }
        return false;
    }

private:
    std::uint32_t probe(xcb_window_t window)
    {
        xcb_get_image_reply_t* image =
            xcb_get_image_reply(connection_,
                                xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                                              ProbeX, ProbeY, 1, 1, ~0u),
                                nullptr);
        std::uint32_t pixel = 0;
        if (image && xcb_get_image_data_length(image) >= 4) {
            const std::uint8_t* data = xcb_get_image_data(image);
            pixel = std::uint32_t(data[2]) << 16 | std::uint32_t(data[1]) << 8 | data[0];
        }
        free(image);
        return pixel;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::vector<xcb_window_t> created_;
    int damageEvent_ = 0;
};

double PeakMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

Run Measure(Display& display, const char* launcher, const char* program)
{
    std::vector<char*> argv;
    if (launcher) {
        argv.push_back(const_cast<char*>(launcher));
    }
    argv.push_back(const_cast<char*>(program));
    argv.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv.front(), nullptr, nullptr, argv.data(), environ) != 0) {
        std::perror(program);
        std::exit(1);
    }
    Run run;
    if (display.waitForFirstFrame(start + std::chrono::seconds(10))) {
        run.firstFrameMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    // Peak memory once the window has settled, as a user would find it.
    poll(nullptr, 0, 300);
    run.peakMiB = PeakMiB(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    if (run.firstFrameMs == 0) {
        std::fprintf(stderr, "%s showed no frame within 10 s\n", program);
        std::exit(1);
    }
    return run;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM BASELINE [LAUNCHER]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const char* launcher = argc == 5 ? argv[4] : nullptr;
    Display display;

    // A first start of each warms the disk and font caches; it is not counted.
    Measure(display, launcher, argv[2]);
    Measure(display, launcher, argv[3]);

    std::vector<double> frames[2], peaks[2], frameRatios, peakRatios;
    for (int i = 0; i < runs; ++i) {
        const Run program = Measure(display, launcher, argv[2]);
        const Run baseline = Measure(display, launcher, argv[3]);
        std::printf("run %d: program %.2f ms %.1f MiB, baseline %.2f ms %.1f MiB\n", i + 1,
                    program.firstFrameMs, program.peakMiB, baseline.firstFrameMs, baseline.peakMiB);
        frames[0].push_back(program.firstFrameMs);
        frames[1].push_back(baseline.firstFrameMs);
        peaks[0].push_back(program.peakMiB);
        peaks[1].push_back(baseline.peakMiB);
        frameRatios.push_back(program.firstFrameMs / baseline.firstFrameMs);
        peakRatios.push_back(program.peakMiB / baseline.peakMiB);
    }
    std::printf("startup_runs %d\n", runs);
    std::printf("startup_program_ms %.2f\nstartup_baseline_ms %.2f\nstartup_ratio %.3f\n",
                Median(frames[0]), Median(frames[1]), Median(frameRatios));
    std::printf("peak_program_mib %.1f\npeak_baseline_mib %.1f\npeak_ratio %.3f\n",
                Median(peaks[0]), Median(peaks[1]), Median(peakRatios));
    return 0;
}
