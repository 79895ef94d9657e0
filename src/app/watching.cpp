// A watcher's passes: the link, the frames due, the drawing. At the end the
// state the game ended in is printed, as a demo's last line holds it.
#include "app/watching.h"

#include "app/find_game.h"
#include "app/frame.h"
#include "app/pacing.h"
#include "app/present.h"
#include "app/startup.h"
#include "demo/state_json.h"
#include "net/transport.h"
#include "net/watch.h"
#include "sound/sound.h"
#include "view/notice.h"
#include "view/render.h"

#include <cstdio>
#include <memory>
#include <string>

#ifndef FLAGRUN_VERSION
#error "FLAGRUN_VERSION must hold the project's version"
#endif

namespace {

constexpr std::int64_t kReachMs = 10000;

struct Watch {
    Transport transport;
    Watching watching;
    bool started = false;
    char address[300] = ""; // HOST:PORT
    char text[320] = "";
};

std::int64_t NowMs() {
    return MonotonicNow() / 1000000;
}

void Deliver(void* context, int from, const std::uint8_t* data, std::size_t size) {
    auto* watch = static_cast<Watch*>(context);
    if (from == kPlayerPeer && watch->started) {
        ReceiveWatched(&watch->watching, data, size, NowMs());
    }
}

Hello WatcherHello() {
    Hello hello;
    hello.protocol = kProtocolVersion;
    std::snprintf(hello.gameVersion, sizeof hello.gameVersion, "%s", FLAGRUN_VERSION);
    hello.rulesHash = RulesFingerprint();
    hello.role = 2;
    return hello;
}

void Send(Watch* watch) {
    for (const Outgoing& out : watch->watching.outbox) {
        std::uint8_t bytes[kMaxMessageBytes];
        const std::size_t size = EncodeMessage(out.message, bytes, sizeof bytes);
        const Delivery delivery = out.reliable ? Delivery::kReliable : Delivery::kUnsequenced;
        SendBytes(&watch->transport, kPlayerPeer, bytes, size, delivery);
    }
    watch->watching.outbox.clear();
}

// The frames due, the last of them sounded and drawn.
void Pass(Watch* watch) {
    Watching& watching = watch->watching;
    FrameEvents events;
    for (std::int32_t n = WatchFramesDue(watching); n > 0; --n) {
        events = RunWatchedFrame(&watching);
    }
    PlayFrameSounds(events, watching.state);
    if (watching.phase != WatchPhase::kWatching) {
        ShowNotice(watch->text);
    }
    RenderFrame(watching.phase == WatchPhase::kWatching ? watching.state : game, events);
    DrawNotice();
    PresentFrame();
}

// The host went after its last frames and the end: they run at once.
void RunToTheEnd(Watching* watching, std::int64_t nowMs) {
    while (watching->endFrame >= 0 && WatchFramesDue(*watching) > 0) {
        for (std::int32_t n = WatchFramesDue(*watching); n > 0; --n) {
            RunWatchedFrame(watching);
        }
    }
    UpdateWatching(watching, nowMs);
}

// The end: what went wrong, or the state the game ended in.
int Finish(const Watch& watch, bool reached) {
    const Watching& watching = watch.watching;
    if (!reached) {
        std::fprintf(stderr, "flagrun: could not reach %s\n", watch.address);
        return 1;
    }
    if (!watching.why.empty()) {
        std::fprintf(stderr, "flagrun: %s\n", watching.why.c_str());
        return 1;
    }
    if (watching.phase != WatchPhase::kOver || watching.endFrame < 0) {
        std::fprintf(stderr, "flagrun: the connection to the host was lost\n");
        return 1;
    }
    char line[kMaxStateJsonLength];
    const char* end = FormatStateJson(line, watching.endFrame, watching.state); // no NUL
    std::fprintf(stderr, "flagrun: the game ended; final state: %.*s", static_cast<int>(end - line),
                 line); // ends in a newline
    return 0;
}

} // namespace

int RunWatchedGame(const CommandLine& commandLine) {
    auto watch = std::make_unique<Watch>();
    NetOptions net = commandLine.net;
    std::string error;
    if (!FindGame(&net, &error) ||
        !OpenJoin(&watch->transport, net.host, net.port, &error, Wish::kWatch)) {
        std::fprintf(stderr, "flagrun: cannot watch: %s\n", error.c_str());
        return 1;
    }
    std::snprintf(watch->address, sizeof watch->address, "%s:%u", net.host, unsigned{net.port});
    std::snprintf(watch->text, sizeof watch->text, "Connecting to %s", watch->address);
    StartUp(commandLine.window, commandLine.sound);
    FramePacer pacer = StartPacing(MonotonicNow());
    const std::int64_t opened = NowMs();
    bool quit = false;
    bool reached = true;
    while (!quit && watch->watching.phase != WatchPhase::kOver) {
        const std::int64_t now = NowMs();
        const EventRequests requests = DrainEvents();
        quit = requests.quit != 0;
        ApplyLocalRequests(requests);
        const Link link = ServiceTransport(&watch->transport, Deliver, watch.get());
        if (link == Link::kConnected && !watch->started) {
            StartWatching(&watch->watching, WatcherHello(), now);
            watch->started = true;
        }
        reached = watch->started || (link != Link::kGone && now - opened < kReachMs);
        if (!reached || (watch->started && link == Link::kGone)) {
            RunToTheEnd(&watch->watching, now);
            break;
        }
        if (watch->started) {
            UpdateWatching(&watch->watching, now);
            Send(watch.get());
        }
        Pass(watch.get());
        WaitForNextFrame(&pacer);
    }
    const int status = quit ? 0 : Finish(*watch, reached);
    CloseTransport(&watch->transport);
    ShutDown();
    return status;
}
