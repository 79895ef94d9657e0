#include "net/transport.h"

#include "net/discovery.h"

#include <arpa/inet.h>
#include <linux/filter.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

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
constexpr std::int64_t kHandshakeMs = 2000;

std::int64_t SteadyMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

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

bool CreateHost(Transport* t, const ENetAddress* bindTo, std::size_t peers, std::string* error) {
    CloseTransport(t);
    t->host = enet_host_create(bindTo, peers, kChannels, 0, 0);
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

void ConfigurePeer(ENetPeer* peer) {
    enet_peer_timeout(peer, kTimeoutLimit, kTimeoutMinimumMs, kTimeoutMaximumMs);
}

// No deceleration: ENet's throttle would otherwise drop unsequenced packets
// whenever the round trip grows, and losing inputs hurts more than sending them.
void AcceptPeer(Transport* t, int number, ENetPeer* peer) {
    ConfigurePeer(peer);
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL,
                                 ENET_PEER_PACKET_THROTTLE_ACCELERATION, 0);
    peer->packetThrottle = ENET_PEER_PACKET_THROTTLE_SCALE;
    t->peers[number] = peer;
    t->arrived |= 1u << number;
    if (number == kPlayerPeer) {
        t->link = Link::kConnected;
    }
}

// The number a peer has, or -1.
int NumberOf(const Transport& t, const ENetPeer* peer) {
    for (int number = 0; number < kPeerCount; ++number) {
        if (t.peers[number] == peer) {
            return number;
        }
    }
    return -1;
}

// The number a new connection gets on a host: the player's while there is
// none, else the newcomer's; a free watcher's for a watcher; else -1.
int NumberFor(const Transport& t, std::uint32_t wish) {
    if (wish == static_cast<std::uint32_t>(Wish::kPlay)) {
        if (t.link == Link::kWaiting) {
            return kPlayerPeer;
        }
        return t.peers[kNewcomerPeer] == nullptr ? kNewcomerPeer : -1;
    }
    for (int number = kFirstWatcherPeer;
         wish == static_cast<std::uint32_t>(Wish::kWatch) && number < kPeerCount; ++number) {
        if (t.peers[number] == nullptr) {
            return number;
        }
    }
    return -1;
}

// A joiner's one connection is the one it made; a host numbers each.
void HandleConnect(Transport* t, const ENetEvent& event) {
    const bool mine = t->peers[kPlayerPeer] == event.peer && t->link == Link::kWaiting;
    const int number = mine ? kPlayerPeer : t->hosting ? NumberFor(*t, event.data) : -1;
    if (number < 0) {
        enet_peer_disconnect_now(event.peer, 0);
        return;
    }
    AcceptPeer(t, number, event.peer);
}

void Forget(Transport* t, int number) {
    t->peers[number] = nullptr;
    t->left |= 1u << number;
    t->arrived &= ~(1u << number);
    if (number == kPlayerPeer) {
        t->link = Link::kGone;
    }
}

void HandleDisconnect(Transport* t, ENetPeer* peer) {
    const int number = NumberOf(*t, peer);
    if (number >= 0) {
        Forget(t, number);
    }
}

void HandleReceive(Transport* t, const ENetEvent& event, DeliverFn deliver, void* context) {
    const int from = NumberOf(*t, event.peer);
    const bool known = from >= 0 && (from != kPlayerPeer || t->link == Link::kConnected);
    if (known && deliver != nullptr) {
        deliver(context, from, event.packet->data, event.packet->dataLength);
    }
    enet_packet_destroy(event.packet);
}

void HandleEvent(Transport* t, const ENetEvent& event, DeliverFn deliver, void* context) {
    switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
        HandleConnect(t, event);
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

bool AnyConnected(const Transport& t) {
    for (const ENetPeer* peer : t.peers) {
        if (peer != nullptr && peer->state != ENET_PEER_STATE_DISCONNECTED) {
            return true;
        }
    }
    return false;
}

void WaitForGoodbyes(Transport* t) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseWaitMs);
    ENetEvent event;
    while (AnyConnected(*t) && std::chrono::steady_clock::now() < deadline) {
        const int result = enet_host_service(t->host, &event, 1);
        if (result < 0) {
            return;
        }
        if (result > 0 && event.type == ENET_EVENT_TYPE_RECEIVE) {
            enet_packet_destroy(event.packet);
        }
    }
}

// ENet gives a place to every connection request before its handshake is
// done, and would keep it for up to 30 s: a few forged requests could fill
// them all. A place that has not become a connection in kHandshakeMs is
// freed.
void ForgetHalfConnections(Transport* t) {
    const std::int64_t now = SteadyMs();
    for (std::size_t i = 0; t->hosting && i < t->host->peerCount && i < kEnetPeers; ++i) {
        ENetPeer* peer = &t->host->peers[i];
        const bool half = peer->state != ENET_PEER_STATE_DISCONNECTED && NumberOf(*t, peer) < 0;
        if (!half) {
            t->halfSince[i] = 0;
        } else if (t->halfSince[i] == 0) {
            t->halfSince[i] = now;
        } else if (now - t->halfSince[i] >= kHandshakeMs) {
            enet_peer_reset(peer);
            t->halfSince[i] = 0;
        }
    }
}

// Every ENet place in use: its address and its number, which each of its
// datagrams carries in ENet's header.
std::vector<std::uint64_t> PlacesInUse(const Transport& t) {
    std::vector<std::uint64_t> places;
    for (std::size_t i = 0; i < t.host->peerCount; ++i) {
        const ENetPeer& peer = t.host->peers[i];
        if (peer.state != ENET_PEER_STATE_DISCONNECTED) {
            places.push_back(std::uint64_t{ntohl(peer.address.host)} << 32 |
                             std::uint64_t{peer.address.port} << 16 | i);
        }
    }
    return places;
}

// A socket filter that lets through only what a host can use: datagrams
// from the address of one of its ENet places that carry that place's
// number, search requests (48 bytes that start "FRLD") and ENet connection
// requests (number 0xfff). Junk, and copies of the players' own datagrams
// from anyone else, are dropped in the kernel before the game reads them.
// The filter sees the UDP header at 0 and the IP header at SKF_NET_OFF.
std::vector<sock_filter> Guard(const std::vector<std::uint64_t>& places) {
    constexpr std::uint32_t kUdpHeader = 8;
    std::vector<sock_filter> code;
    const auto accept = static_cast<std::uint32_t>(8 * places.size() + 7);
    for (std::uint64_t place : places) {
        code.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, std::uint32_t(SKF_NET_OFF + 12)));
        code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, std::uint32_t(place >> 32), 0, 6));
        code.push_back(BPF_STMT(BPF_LD | BPF_H | BPF_ABS, 0));
        code.push_back(
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, std::uint32_t(place >> 16 & 0xffff), 0, 4));
        code.push_back(BPF_STMT(BPF_LD | BPF_H | BPF_ABS, kUdpHeader));
        code.push_back(BPF_STMT(BPF_ALU | BPF_AND | BPF_K, ENET_PROTOCOL_MAXIMUM_PEER_ID));
        code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, std::uint32_t(place & 0xffff), 0, 1));
        const auto next = static_cast<std::uint32_t>(code.size() + 1);
        code.push_back(BPF_STMT(BPF_JMP | BPF_JA, accept - next));
    }
    code.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_LEN, 0));
    code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kUdpHeader + kDiscoveryBytes, 0, 2));
    code.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kUdpHeader));
    code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0x46524c44, 3, 4)); // "FRLD"
    code.push_back(BPF_STMT(BPF_LD | BPF_H | BPF_ABS, kUdpHeader));
    code.push_back(BPF_STMT(BPF_ALU | BPF_AND | BPF_K, ENET_PROTOCOL_MAXIMUM_PEER_ID));
    code.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ENET_PROTOCOL_MAXIMUM_PEER_ID, 0, 1));
    code.push_back(BPF_STMT(BPF_RET | BPF_K, 0xffffffff));
    code.push_back(BPF_STMT(BPF_RET | BPF_K, 0));
    return code;
}

// Puts the guard on a host's socket, again whenever its places change. A
// system that refuses it leaves the socket as it was: ENet drops junk too,
// at more cost.
void GuardSocket(Transport* t) {
    if (!t->hosting) {
        return;
    }
    std::vector<std::uint64_t> places = PlacesInUse(*t);
    if (t->guarded && places == t->guardedPlaces) {
        return;
    }
    std::vector<sock_filter> code = Guard(places);
    const sock_fprog program{static_cast<unsigned short>(code.size()), code.data()};
    setsockopt(t->host->socket, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program);
    t->guardedPlaces = std::move(places);
    t->guarded = true;
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
    if (!CreateHost(t, &address, kEnetPeers, error)) {
        SetError(error, "could not listen on UDP port " + std::to_string(port));
        return false;
    }
    t->hosting = true;
    t->host->duplicatePeers = kPeerCount;         // one address cannot take every place
    t->host->intercept = AnswerDiscoveryRequests; // a search of the local network
    return true;
}

bool OpenJoin(Transport* t, const char* host, std::uint16_t port, std::string* error, Wish wish) {
    if (!EnetReady(error)) {
        return false;
    }
    ENetAddress address{};
    address.port = port;
    if (host == nullptr || enet_address_set_host(&address, host) != 0) {
        SetError(error, std::string("unknown host: ") + (host != nullptr ? host : "(none)"));
        return false;
    }
    if (!CreateHost(t, nullptr, 1, error)) {
        return false;
    }
    ENetPeer* peer =
        enet_host_connect(t->host, &address, kChannels, static_cast<std::uint32_t>(wish));
    if (peer == nullptr) {
        SetError(error, "could not start connecting");
        CloseTransport(t);
        return false;
    }
    ConfigurePeer(peer);
    t->peers[kPlayerPeer] = peer;
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
    ForgetHalfConnections(t);
    GuardSocket(t);
    return t->link;
}

bool SendBytes(Transport* t, int to, const std::uint8_t* data, std::size_t size,
               Delivery delivery) {
    const bool up = to >= 0 && to < kPeerCount && t->peers[to] != nullptr &&
                    (to != kPlayerPeer || t->link == Link::kConnected);
    if (!up || size > kMaxPacketBytes) {
        return false;
    }
    const bool reliable = delivery == Delivery::kReliable;
    const std::uint32_t flags = reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED;
    ENetPacket* packet = enet_packet_create(data, size, flags);
    if (packet == nullptr) {
        return false;
    }
    const std::uint8_t channel = reliable ? kReliableChannel : kUnsequencedChannel;
    if (enet_peer_send(t->peers[to], channel, packet) != 0) {
        enet_packet_destroy(packet);
        return false;
    }
    enet_host_flush(t->host);
    return true;
}

void DropPeer(Transport* t, int peer) {
    if (peer >= 0 && peer < kPeerCount && t->peers[peer] != nullptr) {
        enet_peer_disconnect_now(t->peers[peer], 0);
        Forget(t, peer);
    }
}

void TakeNewcomer(Transport* t) {
    if (t->peers[kNewcomerPeer] == nullptr) {
        return;
    }
    if (t->peers[kPlayerPeer] != nullptr) {
        enet_peer_reset(t->peers[kPlayerPeer]);
    }
    t->peers[kPlayerPeer] = std::exchange(t->peers[kNewcomerPeer], nullptr);
    t->link = Link::kConnected;
}

std::uint32_t RoundTripMs(const Transport& t) {
    if (t.link != Link::kConnected || t.peers[kPlayerPeer] == nullptr) {
        return 0;
    }
    return t.peers[kPlayerPeer]->roundTripTime;
}

void CloseTransport(Transport* t) {
    if (t->host == nullptr) {
        *t = Transport{};
        return;
    }
    // Later: once the reliable packets queued are acknowledged, so that a
    // goodbye in them is not dropped with the connection.
    for (ENetPeer* peer : t->peers) {
        if (peer != nullptr) {
            enet_peer_disconnect_later(peer, 0);
        }
    }
    WaitForGoodbyes(t);
    for (ENetPeer* peer : t->peers) {
        if (peer != nullptr) {
            enet_peer_reset(peer);
        }
    }
    enet_host_destroy(t->host);
    *t = Transport{};
}
