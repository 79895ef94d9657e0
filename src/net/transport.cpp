#include "net/transport.h"

#include <chrono>
#include <cstdlib>

namespace {

constexpr std::size_t kPeerSlots = 1;
constexpr std::size_t kChannels = 2;
constexpr std::uint8_t kUnsequencedChannel = 0;
constexpr std::uint8_t kReliableChannel = 1;
// ENet's defaults let one peer make us buffer 32 MiB; our packets are tiny.
constexpr std::size_t kMaxEnetPacketBytes = 4 * 1024;
constexpr std::size_t kMaxWaitingBytes = 8 * 1024;
// The peer is gone once a reliable packet waits 40 s for its acknowledgement,
// or 32 s once its resend delay has grown to 32 round trips: after the game's
// own 30 s of silence, which ends it with its own message.
constexpr std::uint32_t kTimeoutLimit = 32;
constexpr std::uint32_t kTimeoutMinimumMs = 32000;
constexpr std::uint32_t kTimeoutMaximumMs = 40000;
constexpr int kMaxEventsPerService = 256;
constexpr int kCloseWaitMs = 500;

bool InitializeEnetOnce() {
    if (enet_initialize() != 0) {
        return false;
    }
    std::atexit(enet_deinitialize);
    return true;
}

bool EnetReady(std::string* error) {
    static const bool ready = InitializeEnetOnce();
    if (!ready && error != nullptr) {
        *error = "could not initialize ENet";
    }
    return ready;
}

void SetError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

bool CreateHost(Transport* t, const ENetAddress* bindTo, std::string* error) {
    CloseTransport(t);
    t->host = enet_host_create(bindTo, kPeerSlots, kChannels, 0, 0);
    if (t->host == nullptr) {
        SetError(error, "could not open a UDP socket");
        return false;
    }
    t->host->maximumPacketSize = kMaxEnetPacketBytes;
    t->host->maximumWaitingData = kMaxWaitingBytes;
    t->host->checksum = enet_crc32;
    t->link = Link::kWaiting;
    return true;
}

bool SameAddress(const ENetAddress& a, const ENetAddress& b) {
    return a.host == b.host && a.port == b.port;
}

void ConfigurePeer(ENetPeer* peer) {
    enet_peer_timeout(peer, kTimeoutLimit, kTimeoutMinimumMs, kTimeoutMaximumMs);
}

// No deceleration: ENet's throttle would otherwise drop unsequenced packets
// whenever the round trip grows, and losing inputs hurts more than sending them.
void AcceptPeer(Transport* t, ENetPeer* peer) {
    ConfigurePeer(peer);
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL,
                                 ENET_PEER_PACKET_THROTTLE_ACCELERATION, 0);
    peer->packetThrottle = ENET_PEER_PACKET_THROTTLE_SCALE;
    t->peer = peer;
    t->address = peer->address;
    t->link = Link::kConnected;
}

void HandleConnect(Transport* t, ENetPeer* peer) {
    const bool expected = t->link == Link::kWaiting && (t->peer == nullptr || t->peer == peer);
    if (expected) {
        AcceptPeer(t, peer);
    } else {
        enet_peer_disconnect_now(peer, 0);
    }
}

void HandleDisconnect(Transport* t, ENetPeer* peer) {
    if (peer == t->peer) {
        t->peer = nullptr;
        t->link = Link::kGone;
    }
}

void HandleReceive(Transport* t, const ENetEvent& event, DeliverFn deliver, void* context) {
    const bool fromPeer = t->link == Link::kConnected && event.peer == t->peer &&
                          SameAddress(event.peer->address, t->address);
    if (fromPeer && deliver != nullptr) {
        deliver(context, event.packet->data, event.packet->dataLength);
    }
    enet_packet_destroy(event.packet);
}

void HandleEvent(Transport* t, const ENetEvent& event, DeliverFn deliver, void* context) {
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
        HandleConnect(t, event.peer);
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        HandleDisconnect(t, event.peer);
        break;
    case ENET_EVENT_TYPE_RECEIVE:
        HandleReceive(t, event, deliver, context);
        break;
    case ENET_EVENT_TYPE_NONE:
        break;
    }
}

void WaitForGoodbye(Transport* t) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseWaitMs);
    ENetEvent event;
    while (t->peer->state != ENET_PEER_STATE_DISCONNECTED &&
           std::chrono::steady_clock::now() < deadline) {
        const int result = enet_host_service(t->host, &event, 1);
        if (result < 0) {
            return;
        }
        if (result > 0 && event.type == ENET_EVENT_TYPE_RECEIVE) {
            enet_packet_destroy(event.packet);
        }
    }
}

} // namespace

bool OpenHost(Transport* t, std::uint16_t port, std::string* error, const char* bindAddress) {
    if (!EnetReady(error)) {
        return false;
    }
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    if (bindAddress != nullptr && enet_address_set_host_ip(&address, bindAddress) != 0) {
        SetError(error, std::string("not an IPv4 address: ") + bindAddress);
        return false;
    }
    if (!CreateHost(t, &address, error)) {
        SetError(error, "could not listen on UDP port " + std::to_string(port));
        return false;
    }
    return true;
}

bool OpenJoin(Transport* t, const char* host, std::uint16_t port, std::string* error) {
    if (!EnetReady(error)) {
        return false;
    }
    ENetAddress address{};
    address.port = port;
    if (host == nullptr || enet_address_set_host(&address, host) != 0) {
        SetError(error, std::string("unknown host: ") + (host != nullptr ? host : "(none)"));
        return false;
    }
    if (!CreateHost(t, nullptr, error)) {
        return false;
    }
    t->peer = enet_host_connect(t->host, &address, kChannels, 0);
    if (t->peer == nullptr) {
        SetError(error, "could not start connecting");
        CloseTransport(t);
        return false;
    }
    ConfigurePeer(t->peer);
    t->address = address;
    return true;
}

Link ServiceTransport(Transport* t, DeliverFn deliver, void* context) {
    if (t->host == nullptr) {
        return Link::kGone;
    }
    ENetEvent event;
    for (int i = 0; i < kMaxEventsPerService; ++i) {
        if (enet_host_service(t->host, &event, 0) <= 0) {
            break;
        }
        HandleEvent(t, event, deliver, context);
    }
    return t->link;
}

bool SendBytes(Transport* t, const std::uint8_t* data, std::size_t size, Delivery delivery) {
    if (t->link != Link::kConnected || t->peer == nullptr || size > kMaxPacketBytes) {
        return false;
    }
    const bool reliable = delivery == Delivery::kReliable;
    const std::uint32_t flags = reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED;
    ENetPacket* packet = enet_packet_create(data, size, flags);
    if (packet == nullptr) {
        return false;
    }
    const std::uint8_t channel = reliable ? kReliableChannel : kUnsequencedChannel;
    if (enet_peer_send(t->peer, channel, packet) != 0) {
        enet_packet_destroy(packet);
        return false;
    }
    enet_host_flush(t->host);
    return true;
}

std::uint32_t RoundTripMs(const Transport& t) {
    if (t.link != Link::kConnected || t.peer == nullptr) {
        return 0;
    }
    return t.peer->roundTripTime;
}

void CloseTransport(Transport* t) {
    if (t->host == nullptr) {
        *t = Transport{};
        return;
    }
    if (t->peer != nullptr) {
        // Later: once the reliable packets queued are acknowledged, so that
        // a goodbye in them is not dropped with the connection.
        enet_peer_disconnect_later(t->peer, 0);
        WaitForGoodbye(t);
        enet_peer_reset(t->peer);
    }
    enet_host_destroy(t->host);
    *t = Transport{};
}
