#include "guard/x_server_ping.h"

#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace {

constexpr int kPauseMilliseconds = 100;  // between a reply and the next question

}  // namespace

XServerPing::XServerPing(const std::string& display, double seconds, const SignalMessage& message)
    : seconds_(seconds), message_(message) {
    connection_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection_) || pipe(stop_) != 0) return;
    try {
        thread_ = std::thread([this] { askInTurn(); });
    } catch (const std::system_error&) {
        // No thread could be started (a process limit, no memory for its
        // stack): nothing asks, and the stretch goes untimed.
    }
}

XServerPing::~XServerPing() {
    if (stop_[1] >= 0) close(stop_[1]);
    if (thread_.joinable()) thread_.join();
    if (stop_[0] >= 0) close(stop_[0]);
    xcb_disconnect(connection_);
}

void XServerPing::askInTurn() {
    using Clock = std::chrono::steady_clock;
    const int fd = xcb_get_file_descriptor(connection_);
    while (true) {
        const xcb_get_input_focus_cookie_t question = xcb_get_input_focus(connection_);
        xcb_flush(connection_);
        const auto due = Clock::now() + std::chrono::duration<double>(seconds_);
        while (true) {
            void* reply = nullptr;
            xcb_generic_error_t* error = nullptr;
            if (xcb_poll_for_reply(connection_, question.sequence, &reply, &error)) {
                std::free(reply);
                std::free(error);
                break;
            }
            if (xcb_connection_has_error(connection_)) return;
            const double left = std::chrono::duration<double>(due - Clock::now()).count();
            if (left <= 0.0) message_.sayAndEnd();
            pollfd wait[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            poll(wait, 2, static_cast<int>(std::ceil(left * 1000.0)));
            if (wait[1].revents) return;
        }
        pollfd pause{stop_[0], POLLIN, 0};
        if (poll(&pause, 1, kPauseMilliseconds) != 0) return;
    }
}
