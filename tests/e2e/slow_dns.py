"""A DNS server of the tests' own on a loopback address, which answers late.

    dns = slow_dns.start("127.0.0.2", {"qw-content.test": "127.0.0.1"}, delay=4.0)
    dns.queries      # [Query(name, qtype, asked, answered)], times from time.monotonic()
    dns.stop()

A-record questions for a known name get its address after `delay` seconds; other
record types of a known name get an empty answer after the same delay, unknown
names "no such name" at once. Each answer waits on a timer of its own, so one slow
answer never holds up another question. UDP only, as the resolver asks first.
"""

import collections
import socket
import struct
import threading
import time

Query = collections.namedtuple("Query", "name qtype asked answered")

TYPE_A = 1
FLAGS_ANSWER = 0x8180  # response, recursion desired and available, no error
FLAGS_NO_SUCH_NAME = 0x8183


def _read_name(packet, offset):
    labels = []
    while True:
        length = packet[offset]
        offset += 1
        if length == 0:
            return ".".join(labels), offset
        labels.append(packet[offset:offset + length].decode("ascii", "replace"))
        offset += length


class SlowDns:
    def __init__(self, address, names, delay):
        self._names = {name.lower(): address_text for name, address_text in names.items()}
        self._delay = delay
        self._lock = threading.Lock()
        self._queries = []
        self._timers = []
        self._stopping = threading.Event()
        self._socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self._socket.bind((address, 53))
        self._socket.settimeout(0.1)
        self._thread = threading.Thread(target=self._serve, daemon=True)
        self._thread.start()

    @property
    def queries(self):
        with self._lock:
            return list(self._queries)

    def answered(self, name, qtype=TYPE_A):
        """The questions for name of qtype that have had their answer."""
        return [q for q in self.queries if q.name == name and q.qtype == qtype and q.answered is not None]

    def stop(self):
        self._stopping.set()
        with self._lock:
            timers = list(self._timers)
        for timer in timers:
            timer.cancel()
        self._thread.join(timeout=10)
        self._socket.close()

    def _serve(self):
        while not self._stopping.is_set():
            try:
                packet, client = self._socket.recvfrom(4096)
            except socket.timeout:
                continue
            except OSError:
                return
            try:
                self._handle(packet, client)
            except (IndexError, struct.error):
                pass  # not a question this server understands

    def _handle(self, packet, client):
        ident, _, count = struct.unpack(">HHH", packet[:6])
        if count != 1:
            return
        name, end = _read_name(packet, 12)
        qtype, _ = struct.unpack(">HH", packet[end:end + 4])
        question = packet[12:end + 4]
        name = name.lower()
        with self._lock:
            index = len(self._queries)
            self._queries.append(Query(name, qtype, time.monotonic(), None))
        if name not in self._names:
            self._send(index, client, struct.pack(">HHHHHH", ident, FLAGS_NO_SUCH_NAME, 1, 0, 0, 0) + question)
            return
        answers = b""
        if qtype == TYPE_A:
            # The name again by a pointer to the question, class IN, one minute to live.
            answers = struct.pack(">HHHIH", 0xC00C, TYPE_A, 1, 60, 4) + socket.inet_aton(self._names[name])
        reply = struct.pack(">HHHHHH", ident, FLAGS_ANSWER, 1, 1 if answers else 0, 0, 0) + question + answers
        timer = threading.Timer(self._delay, self._send, (index, client, reply))
        timer.daemon = True
        with self._lock:
            self._timers.append(timer)
        timer.start()

    def _send(self, index, client, reply):
        if self._stopping.is_set():
            return
        try:
            self._socket.sendto(reply, client)
        except OSError:
            return
        with self._lock:
            self._queries[index] = self._queries[index]._replace(answered=time.monotonic())


def start(address, names, delay):
    """A running server on address:53 (UDP)."""
    return SlowDns(address, names, delay)
