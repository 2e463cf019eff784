"""The tests' own content server: answers what each test sets, and logs every request.

    server = content_server.start()          # 127.0.0.1:80; the test namespace maps the
                                             # content host to it (scripts/isolated.sh)
    server.set_route("/menu.php", status=200, body=b"<r name='x'>...</r>")
    server.set_route("/bar.php", delay=2.0)  # answers after two seconds
    server.set_route("/menu.php", hang=True) # sends nothing until stop()
    ...
    server.requests                          # [Request(method, path, user_agent, headers)]
    server.stop()

A path without a route answers 404. Bodies are bytes and go out unchanged, so a test
can send GBK text, binary garbage or a body of any length. Each connection is served
on a thread of its own, so a hanging answer never holds up another request.
"""

import collections
import http.server
import socketserver
import threading
import time

Request = collections.namedtuple("Request", "method path user_agent headers time")
Route = collections.namedtuple("Route", "status body delay hang content_type")


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

    def set_route(self, path, status=200, body=b"", delay=0, hang=False, content_type="text/xml"):
        """What the server answers for path from now on."""
        if isinstance(body, str):
            body = body.encode("utf-8")
        with self._lock:
            self._routes[path] = Route(status, body, delay, hang, content_type)

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
        with self._lock:
            self._requests.append(Request(handler.command, handler.path, handler.headers.get("User-Agent"),
                                          dict(handler.headers.items()), time.monotonic()))
            route = self._routes.get(path)
        if route is None:
            route = Route(404, b"", 0, False, "text/html")
        if route.hang:
            # Holds the connection open with nothing sent, as a stalled server does.
            self._stopping.wait()
            return
        if route.delay and self._stopping.wait(route.delay):
            return
        try:
            handler.send_response(route.status)
            handler.send_header("Content-Type", route.content_type)
            handler.send_header("Content-Length", str(len(route.body)))
            handler.end_headers()
            if handler.command != "HEAD":
                handler.wfile.write(route.body)
        except (BrokenPipeError, ConnectionResetError):
            pass


def start(port=80, host="127.0.0.1"):
    """A running server on host:port (port 0: any free port, see .port)."""
    return ContentServer(host, port)
