#!/usr/bin/env python3
"""Loopback HTTPS test service for the online download tests.

Usage: server.py WORKDIR

Generates a test CA, a server certificate for 127.0.0.1 and a second,
unrelated CA in WORKDIR, then serves HTTPS, plain HTTP and a CONNECT proxy on
ephemeral loopback ports. Prints one JSON line with the ports and file paths,
records every request to WORKDIR/wire.jsonl and exits when stdin closes.

Routes (any path containing "failN" answers 500 to its first N requests):
  /cat/NAME          WORKDIR/cat/NAME with "@HOST@" replaced by 127.0.0.1:PORT
  /auth/biglobe      member:secret -> frame page (Shift-JIS), guest:secret -> 403, else 401
  /auth/nifty        HTTP/1.0 only; member -> frame page, guest -> page with "200", else 401
  /data/...          GET with an Authorization header -> the archive bytes
  /nifty/...         POST over HTTP/1.0 with an Authorization header -> the archive bytes
  /cut/...           announces 100000 bytes, sends 10, closes
  /redirect/REST     302 to /needcookie/REST with a cookie
  /needcookie/REST   REST when the cookie came back, else 403
The proxy requires "Proxy-Authorization: Basic puser:ppass" (else 407) and
tunnels CONNECT to 127.0.0.1 only.
"""

import base64
import json
import os
import re
import select
import socket
import socketserver
import ssl
import subprocess
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

WORK = sys.argv[1]
LOCK = threading.Lock()
FAILS = {}
WIRE = os.path.join(WORK, "wire.jsonl")
PROXY_CREDENTIALS = "puser:ppass"
FRAME = "このページにはフレームが使用されていますが"


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, cwd=WORK,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_ca(name, cn):
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-keyout", name + ".key", "-out", name + ".pem", "-days", "2",
            "-subj", "/CN=" + cn, "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")


def make_certificates():
    make_ca("ca", "Velmar Test CA")
    make_ca("other-ca", "Unrelated Test CA")
    openssl("req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
            "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1")
    with open(os.path.join(WORK, "server.ext"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext")


def record(entry):
    with LOCK:
        with open(WIRE, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry, ensure_ascii=False) + "\n")


def decode_basic(value):
    if not value or not value.startswith("Basic "):
        return None
    try:
        return base64.b64decode(value[6:]).decode("utf-8", "replace")
    except Exception:
        return "<invalid>"


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VelmarTest/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.route()

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        self.route()

    def reply(self, status, body=b"", headers=()):
        self.send_response(status)
        for k, v in headers:
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def route(self):
        auth = decode_basic(self.headers.get("Authorization"))
        record({"server": self.server.kind, "method": self.command, "path": self.path,
                "version": self.request_version, "headers": dict(self.headers.items()),
                "auth": auth})
        path = self.path
        m = re.search(r"fail(\d+)", path)
        if m:
            with LOCK:
                FAILS[path] = FAILS.get(path, 0) + 1
                count = FAILS[path]
            if count <= int(m.group(1)):
                return self.reply(500, b"failing on purpose")
        if path.startswith("/redirect/"):
            return self.reply(302, b"", [("Location", "/needcookie/" + path[len("/redirect/"):]),
                                         ("Set-Cookie", "velmar=trail; Path=/")])
        if path.startswith("/needcookie/"):
            if "velmar=trail" not in (self.headers.get("Cookie") or ""):
                return self.reply(403, b"no cookie")
            path = "/" + path[len("/needcookie/"):]
        if path.startswith("/cat/"):
            name = os.path.basename(path)
            try:
                with open(os.path.join(WORK, "cat", name), "rb") as f:
                    body = f.read()
            except OSError:
                return self.reply(404, b"no such catalogue")
            host = "127.0.0.1:%d" % self.server.https_port
            return self.reply(200, body.replace(b"@HOST@", host.encode()))
        if path == "/auth/biglobe":
            if auth == "member:secret":
                page = "<html><body>" + FRAME + "。</body></html>"
                return self.reply(200, page.encode("cp932"),
                                  [("Content-Type", "text/html; charset=Shift_JIS")])
            if auth == "guest:secret":
                return self.reply(403, b"forbidden")
            return self.reply(401, b"who are you", [("WWW-Authenticate", 'Basic realm="b"')])
        if path == "/auth/nifty":
            if self.request_version != "HTTP/1.0":
                return self.reply(505, b"HTTP/1.0 only")
            if auth == "member:secret":
                return self.reply(200, ("<p>" + FRAME + "</p>").encode("utf-8"))
            if auth == "guest:secret":
                return self.reply(200, b"<p>guest page 200</p>")
            return self.reply(401, b"who are you", [("WWW-Authenticate", 'Basic realm="n"')])
        if path.startswith("/cut/"):
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            self.end_headers()
            self.wfile.write(b"0123456789")
            self.wfile.flush()
            self.close_connection = True
            return
        if path.startswith("/data/") or path.startswith("/nifty/"):
            if self.headers.get("Authorization") is None:
                return self.reply(401, b"credentials needed",
                                  [("WWW-Authenticate", 'Basic realm="d"')])
            if path.startswith("/nifty/") and (self.command != "POST" or
                                               self.request_version != "HTTP/1.0"):
                return self.reply(405, b"POST over HTTP/1.0 only")
            name = os.path.basename(path)
            stored = os.path.join(WORK, "files", name)
            if os.path.isfile(stored):
                with open(stored, "rb") as f:
                    body = f.read()
            else:
                body = ("ARCHIVE " + path + "\n").encode() * 50
            return self.reply(200, body, [("Content-Type", "application/octet-stream")])
        return self.reply(404, b"not found")


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, kind, context=None):
        super().__init__(("127.0.0.1", 0), Handler)
        self.kind = kind
        self.context = context
        self.https_port = 0

    def get_request(self):
        sock, addr = self.socket.accept()
        if self.context:
            # Handshake in the handler thread, so a client that refuses the
            # certificate never blocks the accept loop.
            sock = self.context.wrap_socket(sock, server_side=True,
                                            do_handshake_on_connect=False)
        return sock, addr

    def handle_error(self, request, client_address):
        pass


def read_head(sock):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = sock.recv(4096)
        if not chunk:
            return None, b""
        data += chunk
    head, rest = data.split(b"\r\n\r\n", 1)
    return head.decode("latin-1"), rest


class ProxyHandler(socketserver.BaseRequestHandler):
    def handle(self):
        sock = self.request
        while True:
            head, rest = read_head(sock)
            if head is None:
                return
            lines = head.split("\r\n")
            parts = lines[0].split(" ")
            headers = {}
            for line in lines[1:]:
                k, _, v = line.partition(":")
                headers[k.strip()] = v.strip()
            pauth = None
            for k, v in headers.items():
                if k.lower() == "proxy-authorization":
                    pauth = decode_basic(v)
            record({"server": "proxy", "method": parts[0], "path": parts[1] if len(parts) > 1 else "",
                    "version": parts[2] if len(parts) > 2 else "", "headers": headers,
                    "auth": pauth})
            if pauth != PROXY_CREDENTIALS:
                sock.sendall(b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                             b"Proxy-Authenticate: Basic realm=\"proxy\"\r\n"
                             b"Content-Length: 0\r\n\r\n")
                continue
            if parts[0] != "CONNECT":
                sock.sendall(b"HTTP/1.1 501 Not Implemented\r\nContent-Length: 0\r\n\r\n")
                return
            host, _, port = parts[1].rpartition(":")
            if host != "127.0.0.1":
                sock.sendall(b"HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n")
                return
            upstream = socket.create_connection((host, int(port)), timeout=10)
            sock.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
            if rest:
                upstream.sendall(rest)
            self.tunnel(sock, upstream)
            return

    @staticmethod
    def tunnel(a, b):
        try:
            while True:
                ready, _, _ = select.select([a, b], [], [], 10)
                if not ready:
                    return
                for s in ready:
                    data = s.recv(65536)
                    if not data:
                        return
                    (b if s is a else a).sendall(data)
        except OSError:
            return
        finally:
            b.close()


class ProxyServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass


def main():
    os.makedirs(os.path.join(WORK, "cat"), exist_ok=True)
    os.makedirs(os.path.join(WORK, "files"), exist_ok=True)
    make_certificates()
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(WORK, "server.pem"), os.path.join(WORK, "server.key"))
    https = Server("https", context)
    http = Server("http")
    for s in (https, http):
        s.https_port = https.server_address[1]
    proxy = ProxyServer(("127.0.0.1", 0), ProxyHandler)
    for s in (https, http, proxy):
        threading.Thread(target=s.serve_forever, daemon=True).start()
    print(json.dumps({"https": https.server_address[1], "http": http.server_address[1],
                      "proxy": proxy.server_address[1],
                      "ca": os.path.join(WORK, "ca.pem"),
                      "other_ca": os.path.join(WORK, "other-ca.pem"),
                      "wire": WIRE}), flush=True)
    # The test holds our stdin; when it ends (or dies) we end too.
    sys.stdin.read()


if __name__ == "__main__":
    main()
