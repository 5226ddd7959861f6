// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_system.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

std::string env(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

// The value of Qt's command-line option `-name value` (also spelt `--name`); the last one counts.
std::string option(int argc, char **argv, std::string_view name) {
    std::string value;
    for (int i = 1; i + 1 < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.starts_with("--"))
            arg.remove_prefix(1);
        if (arg.starts_with('-') && arg.substr(1) == name)
            value = argv[++i];
    }
    return value;
}

std::vector<std::string> split(const std::string &list, char separator) {
    std::vector<std::string> parts;
    for (std::size_t begin = 0; begin <= list.size();) {
        const std::size_t end = std::min(list.find(separator, begin), list.size());
        if (end > begin)
            parts.push_back(list.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

// The platform plugins Qt tries, in its order; the first that starts is used.
std::vector<std::string> platformsToTry(int argc, char **argv) {
    std::string chosen = option(argc, argv, "platform");
    if (chosen.empty())
        chosen = env("QT_QPA_PLATFORM");
    if (!chosen.empty())
        return split(chosen, ';');
    std::vector<std::string> platforms;
    if (!env("WAYLAND_DISPLAY").empty() || env("XDG_SESSION_TYPE") == "wayland")
        platforms.push_back("wayland");
    platforms.push_back("xcb");
    return platforms;
}

std::string xServerProblem(int argc, char **argv) {
    std::string display = option(argc, argv, "display");
    if (display.empty())
        display = env("DISPLAY");
    if (display.empty())
        return "DISPLAY is not set";
    xcb_connection_t *connection = xcb_connect(display.c_str(), nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    return failed ? "no X server answers on display " + display : "";
}

bool acceptsConnection(const std::string &socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool accepted =
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return accepted;
}

// Where the Wayland client library looks for the compositor.
std::string waylandProblem() {
    if (!env("WAYLAND_SOCKET").empty())
        return {};
    std::string socketPath = env("WAYLAND_DISPLAY");
    if (socketPath.empty())
        socketPath = "wayland-0";
    if (socketPath.front() != '/') {
        const std::string runtimeDir = env("XDG_RUNTIME_DIR");
        if (runtimeDir.empty())
            return "XDG_RUNTIME_DIR is not set for Wayland";
        socketPath = runtimeDir + "/" + socketPath;
    }
    return acceptsConnection(socketPath) ? "" : "no Wayland compositor answers on " + socketPath;
}

} // namespace

std::string rtWindowSystemProblem(int argc, char **argv) {
    std::string problems;
    for (const std::string &platform : platformsToTry(argc, argv)) {
        // A plugin may carry options after its name ("xcb:option").
        const std::string name = platform.substr(0, platform.find(':'));
        std::string problem;
        if (name == "xcb")
            problem = xServerProblem(argc, argv);
        else if (name.starts_with("wayland"))
            problem = waylandProblem();
        if (problem.empty())
            return {};
        problems += (problems.empty() ? "" : ", ") + problem;
    }
    return problems;
}
