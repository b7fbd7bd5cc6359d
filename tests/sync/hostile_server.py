"""A scripted address book server that answers badly on purpose.

    hostile_server.py PORT

Listens on every loopback address (inside the tests' private namespace) and answers any
method by the first part of the path:
  /endless/      a multistatus that never ends, one response after another
  /deep/         elements nested ever deeper
  /malformed/    a multistatus whose tags do not match
  /entities/     a document type that expands one entity a billion times
  /huge/         100 MB of body, no length given in advance
  /away/         a redirect to 127.0.0.2, another host
  /stolen/       where that redirect leads: counts the passwords that arrive
  /leaked        how many passwords /stolen/ has seen, as text
"""
import http.server
import socketserver
import sys

stolen = 0

MULTI = b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:">'
LAUGHS = (b'<?xml version="1.0"?><!DOCTYPE d:multistatus ['
          b'<!ENTITY a "lollollollollollollollollollol">'
          + b"".join(b'<!ENTITY %c "&%c;&%c;&%c;&%c;&%c;&%c;&%c;&%c;&%c;&%c;">'
                     % ((98 + i,) + (97 + i,) * 10) for i in range(8))
          + b']><d:multistatus xmlns:d="DAV:"><d:response><d:href>&i;</d:href>'
          b'</d:response></d:multistatus>')


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def answer(self):
        global stolen
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        part = self.path.strip("/").split("/")[0]
        try:
            if part == "away":
                self.send_response(301)
                self.send_header("Location", "http://127.0.0.2:%d/stolen/" % port)
                self.end_headers()
            elif part == "stolen":
                if self.headers.get("Authorization"):
                    stolen += 1
                self.reply(207, MULTI + b"</d:multistatus>")
            elif part == "leaked":
                self.reply(200, b"%d" % stolen, "text/plain")
            elif part == "malformed":
                self.reply(207, MULTI + b"<d:response><d:href>/a</d:multistatus>")
            elif part == "entities":
                self.reply(207, LAUGHS)
            elif part in ("endless", "deep", "huge"):
                self.send_response(207 if part != "huge" else 200)
                self.send_header("Content-Type", "application/xml")
                self.end_headers()
                self.stream(part)
            else:
                self.reply(404, b"")
        except (BrokenPipeError, ConnectionResetError):
            pass

    def reply(self, status, body, kind="application/xml"):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def stream(self, part):
        if part == "huge":
            block = b"x" * (1 << 20)
            for _ in range(100):
                self.wfile.write(block)
            return
        self.wfile.write(MULTI)
        item = (b"<d:response><d:href>/endless/x.vcf</d:href><d:propstat><d:prop>"
                b"<d:getetag>\"1\"</d:getetag></d:prop><d:status>HTTP/1.1 200 OK"
                b"</d:status></d:propstat></d:response>") if part == "endless" else b"<d:prop>"
        while True:
            self.wfile.write(item * 256)

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = answer


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


port = int(sys.argv[1])
Server(("0.0.0.0", port), Handler).serve_forever()
