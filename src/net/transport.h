// The datagram links of an online match, over ENet. It carries bytes and
// knows nothing of the messages in them. A host waits for one player to
// join, and takes besides one newcomer who says he is that player coming
// back, and up to kMaxWatchers who only watch; a joiner or a watcher has
// one link, to the host. Each side sends and receives packets until the
// other leaves or the link times out.
#pragma once

#include "net/protocol.h"

#include <enet/enet.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest packet SendBytes takes; small enough never to be fragmented.
inline constexpr std::size_t kMaxPacketBytes = 1024;
inline constexpr int kMaxWatchers = 8;

// A host's peers by number: the player, a newcomer who wants to play, and
// the watchers. A joiner's or a watcher's one peer, the host, is kPlayerPeer.
inline constexpr int kPlayerPeer = 0;
inline constexpr int kNewcomerPeer = 1;
inline constexpr int kFirstWatcherPeer = 2;
inline constexpr int kPeerCount = kFirstWatcherPeer + kMaxWatchers;
// ENet's places on a host, more than the game's: requests not yet
// connections take one each for a while.
inline constexpr std::size_t kEnetPeers = 64;

// What a connection asks the host for.
enum class Wish : std::uint32_t { kPlay = 1, kWatch = 2 };

// Inputs go unsequenced on channel 0, where a late or lost packet costs
// nothing; the handshake, pauses and leaving go reliable on channel 1.
enum class Delivery { kUnsequenced, kReliable };

// kGone is final: the peer left, timed out, refused, or never answered.
enum class Link { kWaiting, kConnected, kGone };

// One end of the links. Zero-initialized means closed.
struct Transport {
    ENetHost* host = nullptr;
    ENetPeer* peers[kPeerCount] = {}; // by number, once connected
    Link link = Link::kGone;          // the player's link
    bool hosting = false;
    std::uint32_t arrived = 0;                // a bit by number: connected since last taken
    std::uint32_t left = 0;                   //   and gone
    std::int64_t halfSince[kEnetPeers] = {};  // since when each ENet place holds a request
    bool guarded = false;                     // the socket's filter is on
    std::vector<std::uint64_t> guardedPlaces; //   and lets these addresses in
};

// Listens on port of every interface, or of bindAddress when given. On
// failure leaves t closed and says why in *error.
bool OpenHost(Transport* t, std::uint16_t port, std::string* error,
              const char* bindAddress = nullptr);
// Starts connecting to host:port (a name or a dotted IPv4 address).
bool OpenJoin(Transport* t, const char* host, std::uint16_t port, std::string* error,
              Wish wish = Wish::kPlay);

// Services the links without blocking: sends what is queued, accepts or
// refuses connections, and hands each packet from a peer to deliver with
// its number. Packets from anyone else are dropped. Returns the player's
// link.
using DeliverFn = void (*)(void* context, int from, const std::uint8_t* data, std::size_t size);
Link ServiceTransport(Transport* t, DeliverFn deliver, void* context);

// Queues data to a peer and sends it at once. False when that peer is not
// connected, when size is over kMaxPacketBytes, or when ENet refuses it.
bool SendBytes(Transport* t, int to, const std::uint8_t* data, std::size_t size, Delivery delivery);

// Ends a peer's link at once, without a goodbye.
void DropPeer(Transport* t, int peer);

// The newcomer becomes the player; the old player's link is dropped.
void TakeNewcomer(Transport* t);

// ENet's smoothed round trip time to the player, 0 when not connected.
std::uint32_t RoundTripMs(const Transport& t);

// Says goodbye to every peer once what is queued for it has arrived
// (waiting at most 500 ms in all), then frees everything. Safe on a closed
// transport and to call twice.
void CloseTransport(Transport* t);
