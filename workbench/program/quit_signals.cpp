// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/program/quit_signals.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"

#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler writes a byte, which the event loop reads to quit.
int pipeEnds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT};

void handle(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int s : kSignals)
        sigaction(s, &action, nullptr);
}

// Both signals take their default course from now on: the next one ends the tool.
void onSignal(int) {
    handle(SIG_DFL);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}

} // namespace

QuitSignals::QuitSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [] {
        char byte;
        while (::read(pipeEnds[1], &byte, 1) > 0) {
        }
        if (QWidget *main = rtPanelWidget(ToolMainPanel()))
            main->close();
    });
    handle(onSignal);
}

QuitSignals::~QuitSignals() {
    if (!notifier_)
        return;
    handle(SIG_DFL);
    delete notifier_;
    for (int &end : pipeEnds) {
        ::close(end);
        end = -1;
    }
}
