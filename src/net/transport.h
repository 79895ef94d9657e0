// The datagram link between the two games of an online match, over ENet.
// It carries bytes and knows nothing of the messages in them: one host
// waits for exactly one joiner, then each side sends and receives packets
// until one of them leaves or the link times out.
#pragma once

#include "net/protocol.h"

#include <enet/enet.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The largest packet SendBytes takes; small enough never to be fragmented.
inline constexpr std::size_t kMaxPacketBytes = 1024;

// Inputs go unsequenced on channel 0, where a late or lost packet costs
// nothing; the handshake, pauses and leaving go reliable on channel 1.
enum class Delivery { kUnsequenced, kReliable };

// kGone is final: the peer left, timed out, refused, or never answered.
enum class Link { kWaiting, kConnected, kGone };

// One end of the link. Zero-initialized means closed.
struct Transport {
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr; // the one peer we talk to, once known
    ENetAddress address{};    // that peer's address
    Link link = Link::kGone;
};

// Listens on port of every interface, or of bindAddress when given, with a
// single peer slot. On failure leaves t closed and says why in *error.
bool OpenHost(Transport* t, std::uint16_t port, std::string* error,
              const char* bindAddress = nullptr);
// Starts connecting to host:port (a name or a dotted IPv4 address).
bool OpenJoin(Transport* t, const char* host, std::uint16_t port, std::string* error);

// Services the link without blocking: sends what is queued, accepts or
// refuses connections, and hands each packet from the peer to deliver.
// Packets from anyone else are dropped. Returns the link's state.
using DeliverFn = void (*)(void* context, const std::uint8_t* data, std::size_t size);
Link ServiceTransport(Transport* t, DeliverFn deliver, void* context);

// Queues data to the peer and sends it at once. False when not connected,
// when size is over kMaxPacketBytes, or when ENet refuses it.
bool SendBytes(Transport* t, const std::uint8_t* data, std::size_t size, Delivery delivery);

// ENet's smoothed round trip time to the peer, 0 when not connected.
std::uint32_t RoundTripMs(const Transport& t);

// Says goodbye to the peer once what is queued for it has arrived (waiting
// at most 500 ms in all), then
// frees everything. Safe on a closed transport and to call twice.
void CloseTransport(Transport* t);
