#!/usr/bin/env python3
# A bad network on loopback: each datagram waits a mean delay plus or minus a jitter (so some
# overtake others), or is dropped, or sent twice, by seeded draws. The first address to send to
# it is the joiner; it talks to the host from a socket of its own.
import heapq, itertools, random, selectors, socket, threading, time

POLL_SECONDS = 0.05  # the longest wait, so that `stopping` is seen soon


def loopback_socket():
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 0))
    sock.setblocking(False)
    return sock


class Relay:
    def __init__(self, host_port, delay_ms=40, jitter_ms=20, loss=0.05, duplicate=0.01, seed=1):
        self.host = ("127.0.0.1", host_port)
        self.joiner = None
        self.delay, self.jitter = delay_ms / 1000, jitter_ms / 1000
        self.loss, self.duplicate = loss, duplicate
        self.random = random.Random(seed)
        self.outer, self.inner = loopback_socket(), loopback_socket()  # the joiner's, the host's
        self.port = self.outer.getsockname()[1]
        self.due = []  # a heap of (time, order, where to, payload)
        self.order = itertools.count()  # keeps the heap from comparing the rest
        # The bytes forwarded "up" to the host and "down" to the joiner; the first and last times.
        self.bytes = {"up": 0, "down": 0}
        self.first = self.last = None
        self.stopping = threading.Event()
        self.captured = []  # the first datagrams forwarded either way, to be sent again by others

    def receive(self, sock, now):
        try:
            payload, address = sock.recvfrom(65536)
        except OSError:
            return
        if sock is self.outer and self.joiner in (None, address):
            self.joiner = address
            where = (self.inner, self.host, "up")
        elif sock is self.inner and address == self.host and self.joiner:
            where = (self.outer, self.joiner, "down")
        else:
            return
        if len(self.captured) < 2000:
            self.captured.append(payload)
        if self.random.random() < self.loss:
            return
        for _ in range(2 if self.random.random() < self.duplicate else 1):
            when = now + self.delay + self.random.uniform(-self.jitter, self.jitter)
            heapq.heappush(self.due, (when, next(self.order), where, payload))

    def forward(self, now):
        while self.due and self.due[0][0] <= now:
            _, _, (sock, address, way), payload = heapq.heappop(self.due)
            try:
                sock.sendto(payload, address)
            except OSError:  # nobody there any more: lost, as on a network
                continue
            self.bytes[way] += len(payload)
            self.first = self.first or now
            self.last = now

    def rate(self, way):  # bytes per second forwarded that way, from the first to the last
        seconds = (self.last or 0) - (self.first or 0)
        return self.bytes[way] / seconds if seconds > 0 else 0.0

    def run(self, seconds):  # until `stopping` is set, for at most `seconds`
        deadline = time.monotonic() + seconds
        with selectors.DefaultSelector() as selector:
            selector.register(self.outer, selectors.EVENT_READ)
            selector.register(self.inner, selectors.EVENT_READ)
            while not self.stopping.is_set() and time.monotonic() < deadline:
                next_due = self.due[0][0] if self.due else float("inf")
                wait = min(POLL_SECONDS, next_due - time.monotonic())  # below 0: no wait
                for key, _ in selector.select(wait):
                    self.receive(key.fileobj, time.monotonic())
                self.forward(time.monotonic())
        self.outer.close()
        self.inner.close()
