// An online game's passes: each drains the events, services the link,
// corrects and checks, runs the next frame when the session allows it,
// sends, and draws the corrected present. Frames run again by a correction
// draw nothing and make no sound.
#include "app/online.h"

#include "app/find_game.h"
#include "app/frame.h"
#include "app/pacing.h"
#include "app/paths.h"
#include "app/present.h"
#include "app/rejoin.h"
#include "app/startup.h"
#include "input/bindings.h"
#include "input/gamepads.h"
#include "net/net_game.h"
#include "net/state_hash.h"
#include "net/transport.h"
#include "net/watch.h"
#include "sound/sound.h"
#include "view/notice.h"
#include "view/pause_screen.h"
#include "view/render.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifndef FLAGRUN_VERSION
#error "FLAGRUN_VERSION must hold the project's version"
#endif

namespace {

// Passes of the feeds at the end: enough for every watcher to get every
// frame he lacks, kWatchBurst at a time.
constexpr int kFinishingPasses = 64;
// How long a newcomer has to show the token of the joiner he says he is.
constexpr std::int64_t kNewcomerWaitMs = 3000;
// How long a joiner tries to reach the host.
constexpr std::int64_t kReachMs = 10000;
// How long the end of a game stays on the screen, in frames.
constexpr int kEndFrames = 60;
constexpr std::int64_t kStretchNs = kNanosecondsPerSecond / kFramesPerSecond / 100;

struct Online {
    Transport transport;
    NetGame game;
    Hello hello;
    bool started = false; // the link is up and this side's Hello sent
    bool showStatus = false;
    bool pauseShown = false;
    std::uint64_t pausedHash = 0; // of the state the pause shows
    PausedScreen pauseScreen;
    bool recording = false;
    std::vector<std::uint16_t> records; // every settled frame's keys
    WatchFeed feeds[kMaxWatchers];
    bool joining = false;
    std::int64_t newcomerSinceMs = 0;
    std::string rejoinPath; // a joiner's token file
    bool tokenKept = false;
    std::int64_t openedMs = 0; // when the link was opened
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
    std::int64_t startedMs = 0;
    std::uint32_t roundTripMs = 0; // the last known while connected
    char waiting[320] = "";
    char status[96] = "";
    char notice[64] = ""; // the game's last notice, as ShowNotice keeps it
};

std::int64_t NowMs() {
    return MonotonicNow() / 1000000;
}

std::uint64_t RandomToken() {
    std::random_device random;
    return static_cast<std::uint64_t>(random()) << 32 | random();
}

// A joiner coming back proves it with the token of his first handshake.
Hello LocalHello(const NetOptions& net, const std::string& rejoinPath) {
    Hello hello;
    hello.protocol = kProtocolVersion;
    std::snprintf(hello.gameVersion, sizeof hello.gameVersion, "%s", FLAGRUN_VERSION);
    hello.rulesHash = RulesFingerprint();
    hello.token = net.rejoinToken;
    if (hello.token == 0 && !ReadRejoinToken(rejoinPath, &hello.token)) {
        hello.token = RandomToken();
    }
    hello.role = net.mode == NetMode::kHost ? 0 : 1;
    hello.inputDelay = static_cast<std::uint8_t>(net.inputDelay);
    return hello;
}

// The link is up: the game starts and sends its Hello.
void Start(Online* online, std::int64_t nowMs) {
    if (!online->started) {
        const std::int64_t took = nowMs - online->openedMs;
        online->hello.roundTripMs =
            static_cast<std::uint16_t>(std::clamp<std::int64_t>(took, 0, 65535));
        StartNetGame(&online->game, online->hello, game, nowMs);
        online->started = true;
        online->startedMs = nowMs;
    }
}

// Only the peer's packets come here, so the link is up: the first may come
// in the same service as the connection.
void Deliver(void* context, int from, const std::uint8_t* data, std::size_t size) {
    auto* online = static_cast<Online*>(context);
    if (from == kNewcomerPeer && online->started) {
        if (TakeRejoin(&online->game, data, size, NowMs())) {
            TakeNewcomer(&online->transport);
        } else {
            DropPeer(&online->transport, kNewcomerPeer);
        }
    }
    const int watcher = from - kFirstWatcherPeer;
    if (watcher >= 0 && (online->transport.arrived & 1u << from) != 0) {
        online->feeds[watcher] = WatchFeed{}; // a new watcher in a slot
        online->transport.arrived &= ~(1u << from);
    }
    if (watcher >= 0 && !ReceiveFromWatcher(&online->feeds[watcher], online->hello, data, size)) {
        DropPeer(&online->transport, from);
    }
    if (from != kPlayerPeer) {
        return;
    }
    Start(online, NowMs());
    online->bytesReceived += size;
    ReceivePacket(&online->game, data, size, NowMs());
}

void SendOutbox(Online* online) {
    for (const Outgoing& out : online->game.outbox) {
        std::uint8_t bytes[kMaxMessageBytes];
        const std::size_t size = EncodeMessage(out.message, bytes, sizeof bytes);
        const Delivery delivery = out.reliable ? Delivery::kReliable : Delivery::kUnsequenced;
        if (size > 0 && SendBytes(&online->transport, kPlayerPeer, bytes, size, delivery)) {
            online->bytesSent += size;
        }
    }
    online->game.outbox.clear();
}

bool OpenLink(Online* online, const NetOptions& net, std::string* error) {
    if (net.mode == NetMode::kHost) {
        std::snprintf(online->waiting, sizeof online->waiting,
                      "Waiting for the other player on port %u", unsigned{net.port});
        if (!OpenHost(&online->transport, net.port, error)) {
            *error = "cannot host on port " + std::to_string(net.port) + ": " + *error;
            return false;
        }
        return true;
    }
    std::snprintf(online->waiting, sizeof online->waiting, "Connecting to %s:%u", net.host,
                  unsigned{net.port});
    if (!OpenJoin(&online->transport, net.host, net.port, error)) {
        *error = std::string("cannot join ") + net.host + ": " + *error;
        return false;
    }
    return true;
}

static std::string DefaultDemoPath() {
    return UserPath("XDG_STATE_HOME", ".local/state", kOnlineDemoName);
}

// Every online game is recorded: to --record FILE, checked already, or
// else to the default place, which is only warned about when it fails.
bool PrepareRecording(DemoSession* demo) {
    if (demo->mode == DemoMode::kRecord) {
        return true;
    }
    const std::string path = DefaultDemoPath();
    MakeParents(path);
    std::string error;
    if (!CheckDemoWritable(path, &error)) {
        std::fprintf(stderr, "flagrun: not recording the online game: %s\n", error.c_str());
        return false;
    }
    if (demo->mode == DemoMode::kNone) {
        demo->path = path;
    }
    demo->recording.path = path;
    return true;
}

// The local player's action bits: this side's player's keys in the demo
// played, or else either player's keys and the first gamepad. False once
// the demo is over.
bool LocalBits(const Online& online, DemoSession* demo, std::uint8_t* bits) {
    const bool host = online.game.session.localPlayer == 0;
    if (demo->mode == DemoMode::kPlay) {
        FrameInput input;
        if (!NextDemoFrame(demo->demo, &demo->playback, &input)) {
            return false;
        }
        *bits = ActionBits(host ? input.player1 : input.player2);
        return true;
    }
    const FrameInput keys = ReadFrameInput(SDL_GetKeyState(nullptr), keyMap);
    const PlayerInput pad = PadActions(ReadGamepads().pad1);
    *bits = ActionBits(keys.player1) | ActionBits(keys.player2) | ActionBits(pad);
    return true;
}

void HandleRequests(Online* online, const EventRequests& requests, std::int64_t nowMs) {
    ApplyLocalRequests(requests);
    if (requests.toggleStatus) {
        online->showStatus = !online->showStatus;
    }
    if (online->started && requests.togglePause) {
        TogglePauseOnline(&online->game);
    }
    if (online->started && requests.quit) {
        LeaveNetGame(&online->game, nowMs);
    }
}

// False when joining failed: the host could not be reached in kReachMs.
bool ServiceLink(Online* online, std::int64_t nowMs) {
    const Link link = ServiceTransport(&online->transport, Deliver, online);
    if (link == Link::kConnected) {
        Start(online, nowMs);
        online->roundTripMs = RoundTripMs(online->transport);
    }
    if (online->started && link == Link::kGone) {
        LoseNetGame(&online->game);
    }
    const bool late = online->joining && nowMs - online->openedMs >= kReachMs;
    return online->started || (link != Link::kGone && !late);
}

// A newcomer who does not prove himself at once is dropped: his place is
// the joiner's way back.
void DropSilentNewcomer(Online* online, std::int64_t nowMs) {
    Transport& transport = online->transport;
    if ((transport.arrived & 1u << kNewcomerPeer) != 0) {
        transport.arrived &= ~(1u << kNewcomerPeer);
        online->newcomerSinceMs = nowMs;
    }
    if (transport.peers[kNewcomerPeer] != nullptr &&
        nowMs - online->newcomerSinceMs >= kNewcomerWaitMs) {
        DropPeer(&transport, kNewcomerPeer);
    }
}

// Watchers who came get a feed of their own, and lose it when they go.
void FeedWatchers(Online* online, std::int64_t nowMs) {
    Transport& transport = online->transport;
    for (int i = 0; i < kMaxWatchers; ++i) {
        if ((transport.left & 1u << (kFirstWatcherPeer + i)) != 0) {
            online->feeds[i] = WatchFeed{};
        }
        std::vector<Message> out;
        FeedWatcher(&online->feeds[i], online->game, online->records, nowMs, &out);
        for (const Message& message : out) {
            std::uint8_t bytes[kMaxMessageBytes];
            const std::size_t size = EncodeMessage(message, bytes, sizeof bytes);
            SendBytes(&transport, kFirstWatcherPeer + i, bytes, size, Delivery::kReliable);
        }
    }
    transport.left = 0;
}

// The keys of frames settled on both sides, kept for the recording; a
// joiner who came back has not all of them.
void KeepSettled(Online* online) {
    if (online->game.firstFrame > 0) {
        if (online->recording) {
            std::fprintf(stderr, "flagrun: a game joined again is not recorded here; the "
                                 "host's recording holds it all\n");
        }
        online->recording = false;
        return;
    }
    const std::int32_t last = SettledFrame(online->game);
    for (auto f = static_cast<std::int32_t>(online->records.size()); f <= last; ++f) {
        online->records.push_back(RecordOf(SettledInput(online->game, f)));
    }
}

// The game is over: each watcher gets the rest of it and its end.
void FinishFeeds(Online* online) {
    KeepSettled(online);
    online->records.resize(std::max(0, online->game.endFrame));
    for (int pass = 0; pass < kFinishingPasses; ++pass) {
        FeedWatchers(online, NowMs());
    }
}

FrameEvents Step(Online* online, DemoSession* demo, std::int64_t nowMs) {
    NetGame& net = online->game;
    UpdateNetGame(&net, nowMs);
    FrameEvents events;
    std::uint8_t bits = 0;
    if (NetFrameDue(net, nowMs) && !LocalBits(*online, demo, &bits)) {
        LeaveNetGame(&net, nowMs);
    } else if (NetFrameDue(net, nowMs)) {
        events = RunNetFrame(&net, bits);
        PlayFrameSounds(events, net.session.state);
    }
    QueueInputs(&net);
    SendOutbox(online);
    KeepSettled(online);
    if (online->joining && !online->tokenKept && net.phase == NetPhase::kPlaying) {
        KeepRejoinToken(online->rejoinPath, online->hello.token);
        online->tokenKept = true;
    }
    if (!net.notice.empty()) {
        std::snprintf(online->notice, sizeof online->notice, "%s", net.notice.c_str());
        ShowNotice(online->notice);
        std::fprintf(stderr, "flagrun: %s\n", online->notice);
        net.notice.clear();
    }
    return events;
}

void DrawStatus(Online* online) {
    const NetGame& net = online->game;
    std::snprintf(online->status, sizeof online->status,
                  "round trip %u ms  corrected %d frames/s  ahead %+.1f frames",
                  online->roundTripMs, RecentCorrections(net), net.advantage);
    DrawStatusLine(online->status);
}

// The pause shows over the pause's frame, kept as it was until resumed,
// or until a correction changes that frame: then it is drawn again.
bool DrawPause(Online* online) {
    const bool paused = online->started && PausedNow(online->game);
    const std::uint64_t shown = paused ? HashState(ShownState(online->game)) : 0;
    if (online->pauseShown && (!paused || shown != online->pausedHash)) {
        HidePaused(&online->pauseScreen);
        online->pauseShown = false;
    }
    if (paused && !online->pauseShown) {
        RenderFrame(ShownState(online->game), FrameEvents{});
        ShowPaused(&online->pauseScreen);
        online->pauseShown = true;
        online->pausedHash = shown;
    }
    return paused;
}

void Draw(Online* online, const FrameEvents& events, std::int64_t nowMs) {
    if (DrawPause(online)) {
        PresentFrame();
        return;
    }
    const NetGame& net = online->game;
    if (!online->started) {
        ShowNotice(online->waiting);
    } else if (net.phase != NetPhase::kOver && QuietPeer(net, nowMs)) {
        ShowNotice("waiting for the other player");
    }
    RenderFrame(online->started ? ShownState(net) : game, events);
    if (online->started && online->showStatus) {
        DrawStatus(online);
    }
    DrawNotice();
    PresentFrame();
}

// The recording, written once the game is over: it ends where the game
// did, on the state it ended in.
void WriteRecording(Online* online, DemoSession* demo) {
    const std::string path = demo->recording.path.empty() ? demo->path : demo->recording.path;
    online->records.resize(std::max(0, online->game.endFrame));
    std::string error;
    bool written = StartDemo(&demo->recording, path, std::time(nullptr), &error);
    for (std::size_t f = 0; written && f < online->records.size(); ++f) {
        RecordDemoFrame(&demo->recording, InputOfRecord(online->records[f]));
    }
    written = written && FinishDemo(&demo->recording, FinalNetState(online->game), &error);
    if (!written) {
        std::fprintf(stderr, "flagrun: %s\n", error.c_str());
        online->recording = false;
    }
}

int Percentile(const std::vector<std::uint32_t>& depths, double share) {
    std::uint64_t total = 0;
    for (std::uint32_t count : depths) {
        total += count;
    }
    std::uint64_t seen = 0;
    for (std::size_t depth = 0; depth < depths.size(); ++depth) {
        seen += depths[depth];
        if (seen > 0 && seen >= share * total) {
            return static_cast<int>(depth);
        }
    }
    return 0;
}

void PrintSummary(const Online& online, std::int64_t nowMs) {
    const NetGame& net = online.game;
    const double seconds = std::max<std::int64_t>(1, nowMs - online.startedMs) / 1000.0;
    std::uint64_t corrections = 0;
    for (std::uint32_t count : net.depths) {
        corrections += count;
    }
    std::fprintf(stderr,
                 "flagrun: online game of %d frames: round trip %u ms, %llu corrections "
                 "(99th percentile %d frames, deepest %d), %.0f bytes/s sent, %.0f received\n",
                 net.endFrame, online.roundTripMs, static_cast<unsigned long long>(corrections),
                 Percentile(net.depths, 0.99),
                 static_cast<int>(net.depths.empty() ? 0 : net.depths.size() - 1),
                 online.bytesSent / seconds, online.bytesReceived / seconds);
}

// What the end says, on the screen for a moment and on standard error;
// the exit status.
int ShowEnd(Online* online, const DemoSession& demo) {
    const NetGame& net = online->game;
    const bool normal = net.end == NetEnd::kLeft || net.end == NetEnd::kPeerLeft;
    if (normal) {
        ForgetRejoinToken(online->rejoinPath);
    }
    if (net.end == NetEnd::kLeft) {
        return 0;
    }
    if (net.end == NetEnd::kDesync && online->recording) {
        std::fprintf(stderr, "flagrun: %s; the game's inputs are in %s\n", net.why.c_str(),
                     demo.recording.path.c_str());
    } else {
        std::fprintf(stderr, "flagrun: %s\n", net.why.c_str());
    }
    ShowNotice(net.why.c_str());
    FramePacer pacer = StartPacing(MonotonicNow());
    for (int frame = 0; frame < kEndFrames && !DrainEvents().quit; ++frame) {
        Draw(online, FrameEvents{}, NowMs());
        WaitForNextFrame(&pacer);
    }
    return normal ? 0 : 1;
}

} // namespace

int RunOnlineGame(const CommandLine& commandLine, DemoSession* demo) {
    auto online = std::make_unique<Online>();
    std::string error;
    NetOptions net = commandLine.net;
    if (net.mode == NetMode::kJoin && !FindGame(&net, &error)) {
        std::fprintf(stderr, "flagrun: cannot join: %s\n", error.c_str());
        return 1;
    }
    if (!OpenLink(online.get(), net, &error)) {
        std::fprintf(stderr, "flagrun: %s\n", error.c_str());
        return 1;
    }
    online->joining = net.mode == NetMode::kJoin;
    if (online->joining) {
        online->rejoinPath = RejoinPath(net.host, net.port);
    }
    online->hello = LocalHello(net, online->rejoinPath);
    online->recording = PrepareRecording(demo);
    StartUp(commandLine.window, commandLine.sound);
    if (demo->mode != DemoMode::kPlay) {
        OpenGamepads();
    }
    FramePacer pacer = StartPacing(MonotonicNow());
    online->openedMs = NowMs();
    int status = 0;
    while (true) {
        const std::int64_t now = NowMs();
        const EventRequests requests = DrainEvents();
        HandleRequests(online.get(), requests, now);
        if (!online->started && requests.quit) {
            break;
        }
        if (!ServiceLink(online.get(), now)) {
            std::fprintf(stderr, "flagrun: could not reach %s:%u\n", net.host, unsigned{net.port});
            status = 1;
            break;
        }
        const FrameEvents events = online->started ? Step(online.get(), demo, now) : FrameEvents{};
        FeedWatchers(online.get(), now);
        DropSilentNewcomer(online.get(), now);
        Draw(online.get(), events, now);
        if (online->started && online->game.phase == NetPhase::kOver) {
            break;
        }
        if (online->started && ShouldStretch(online->game)) {
            pacer.startNs += kStretchNs;
        }
        WaitForNextFrame(&pacer);
    }
    if (online->started) {
        SendOutbox(online.get());
        FinishFeeds(online.get());
        PrintSummary(*online, NowMs());
        if (online->recording) {
            WriteRecording(online.get(), demo);
        }
        status = ShowEnd(online.get(), *demo);
    }
    CloseTransport(&online->transport);
    if (demo->mode != DemoMode::kPlay) {
        CloseGamepads();
    }
    ShutDown();
    return status;
}
