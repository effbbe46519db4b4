#!/usr/bin/python3
"""httpserve.py: serve a folder over HTTP on the loopback for the browser tests, with the
Content-Type of each kind of document, slowly or cut short.

    httpserve.py FOLDER [--port N] [--port-file PATH] [--rate BYTES/S] [--drop-after N]

--port 0 (the default) takes a free port; its number is written to --port-file (and to standard
output) once the server listens. --rate trickles every body at that many bytes a second;
--drop-after announces the whole length, sends N bytes of the body and closes the connection.
Runs until it is killed.
"""
import argparse
import http.server
import os
import socket
import sys
import time

TYPES = {
    ".oms": "application/x-ondrak-music",
    ".xml": "application/xml",
    ".musicxml": "application/vnd.recordare.musicxml+xml",
    ".mxl": "application/vnd.recordare.musicxml",
    ".xmz": "application/octet-stream",
    ".abc": "text/vnd.abc",
    ".arq": "application/zip",
    ".html": "text/html; charset=utf-8",
}
CHUNK = 1024


def handler_for(folder, rate, drop_after):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_GET(self):
            name = os.path.normpath(self.path.split("?", 1)[0].split("#", 1)[0]).lstrip("/")
            path = os.path.join(folder, name)
            if name.startswith("..") or not os.path.isfile(path):
                self.send_error(404)
                return
            with open(path, "rb") as f:
                body = f.read()
            self.send_response(200)
            self.send_header("Content-Type", TYPES.get(os.path.splitext(name)[1].lower(), "application/octet-stream"))
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            self.end_headers()
            if drop_after is not None:
                body = body[:drop_after]
            for start in range(0, len(body), CHUNK):
                self.wfile.write(body[start:start + CHUNK])
                self.wfile.flush()
                if rate:
                    time.sleep(CHUNK / rate)
            if drop_after is not None:
                # The length announced never comes: the connection ends without its end.
                self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True

        def log_message(self, format, *args):
            sys.stderr.write("httpserve: " + (format % args) + "\n")

    return Handler


def main():
    p = argparse.ArgumentParser(prog="httpserve.py")
    p.add_argument("folder")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--port-file")
    p.add_argument("--rate", type=float, default=0.0, metavar="BYTES/S")
    p.add_argument("--drop-after", type=int, metavar="N")
    a = p.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", a.port),
                                             handler_for(os.path.abspath(a.folder), a.rate, a.drop_after))
    port = server.server_address[1]
    if a.port_file:
        with open(a.port_file + ".part", "w") as f:
            f.write("%d\n" % port)
        os.rename(a.port_file + ".part", a.port_file)
    print("port %d" % port, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
