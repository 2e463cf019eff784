"""The tests' own content server: answers what each test sets, and logs every request.

    server = content_server.start()          # 127.0.0.1:80; the test namespace maps the
                                             # content host to it (scripts/isolated.sh)
    server.set_route("/menu.php", status=200, body=b"<r name='x'>...</r>")
    server.set_route("/bar.php", delay=2.0)  # answers after two seconds
    server.set_route("/menu.php", hang=True) # sends nothing until stop()
    ...
    server.requests                          # [Request: method, path, user_agent, headers,
                                             #  time, closed (an Event)]
    server.stop()

A path without a route answers 404. Bodies are bytes and go out unchanged, so a test
can send GBK text, binary garbage or a body of any length. Each connection is served
on a thread of its own, so a hanging answer never holds up another request.

Every request records when the client ended the connection (`closed`): a client that
has let go of the connection is done with the answer. With unfinished=True the
answer promises one byte more than the body and never sends it, so the client cannot
reach the end of the data and the connection lasts exactly as long as the client
keeps it open.
"""

import collections
import http.server
import select
import socket
import socketserver
import threading
import time

Route = collections.namedtuple("Route", "status body delay hang content_type unfinished")


class Request:
    def __init__(self, method, path, user_agent, headers, time):
        self.method = method
        self.path = path
        self.user_agent = user_agent
        self.headers = headers
        self.time = time
        self.closed = threading.Event()

    def wait_closed(self, timeout=30.0):
        """True once the client has ended the connection."""
        return self.closed.wait(timeout)

    def __repr__(self):
        return "Request(%s %s, %r%s)" % (self.method, self.path, self.user_agent,
                                         ", closed" if self.closed.is_set() else "")


class _Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


class _Handler(http.server.BaseHTTPRequestHandler):
    # Keep-alive would let one connection outlive a route change; one request each.
    protocol_version = "HTTP/1.0"

    def do_GET(self):
        self.server.owner._serve(self)

    do_POST = do_HEAD = do_GET

    def log_message(self, *args):
        pass


class ContentServer:
    def __init__(self, host, port):
        self._lock = threading.Lock()
        self._routes = {}
        self._requests = []
        self._stopping = threading.Event()
        self._httpd = _Server((host, port), _Handler)
        self._httpd.owner = self
        self.port = self._httpd.server_address[1]
        self._thread = threading.Thread(target=self._httpd.serve_forever, kwargs={"poll_interval": 0.1},
                                        daemon=True)
        self._thread.start()

    def set_route(self, path, status=200, body=b"", delay=0, hang=False, content_type="text/xml",
                  unfinished=False):
        """What the server answers for path from now on."""
        if isinstance(body, str):
            body = body.encode("utf-8")
        with self._lock:
            self._routes[path] = Route(status, body, delay, hang, content_type, unfinished)

    def clear_routes(self):
        with self._lock:
            self._routes.clear()

    @property
    def requests(self):
        """A copy of the requests so far, oldest first."""
        with self._lock:
            return list(self._requests)

    def requests_for(self, path):
        return [r for r in self.requests if r.path == path]

    def clear_requests(self):
        with self._lock:
            self._requests.clear()

    def stop(self):
        """Releases every hanging answer and closes the port."""
        self._stopping.set()
        self._httpd.shutdown()
        self._httpd.server_close()
        self._thread.join(timeout=10)

    def _serve(self, handler):
        path = handler.path.split("?", 1)[0]
        request = Request(handler.command, handler.path, handler.headers.get("User-Agent"),
                          dict(handler.headers.items()), time.monotonic())
        with self._lock:
            self._requests.append(request)
            route = self._routes.get(path)
        if route is None:
            route = Route(404, b"", 0, False, "text/html", False)
        try:
            if route.hang:
                # Holds the connection open with nothing sent, as a stalled server does.
                self._wait_client_close(handler.connection, request)
                return
            if route.delay and self._stopping.wait(route.delay):
                return
            handler.send_response(route.status)
            handler.send_header("Content-Type", route.content_type)
            handler.send_header("Content-Length", str(len(route.body) + (1 if route.unfinished else 0)))
            handler.end_headers()
            if handler.command != "HEAD":
                handler.wfile.write(route.body)
            handler.wfile.flush()
            if not route.unfinished:
                # The answer is complete: say so, for clients that read to the end.
                handler.connection.shutdown(socket.SHUT_WR)
            self._wait_client_close(handler.connection, request)
        except OSError:
            # A reset is the client ending the connection too.
            request.closed.set()

    def _wait_client_close(self, connection, request):
        """Returns when the client has closed the connection (marking the request) or at stop()."""
        while not self._stopping.is_set():
            readable, _, _ = select.select([connection], [], [], 0.1)
            if readable and not connection.recv(4096):
                request.closed.set()
                return


def start(port=80, host="127.0.0.1"):
    """A running server on host:port (port 0: any free port, see .port)."""
    return ContentServer(host, port)
