#!/usr/bin/env python3
"""Local stand-in for every host the launcher talks to.

In development builds the portal web site, the statistics/configuration host,
the sign-in hosts, the connectivity probe and the download hosts all point at
127.0.0.1:PORT, so this one server answers for all of them.  Tests steer it
through the control endpoints under /__portal/ (configuration values, files to
serve, injected faults, switches) and read back what the client sent from the
request log, one JSON object per line.

Python 3 standard library only.
"""

import argparse
import hashlib
import html
import json
import os
import re
import secrets
import select
import signal
import socket
import socketserver
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from string import Template
from urllib.parse import parse_qs, quote, unquote, urlencode, urlsplit

CHUNK = 64 * 1024
# /files/blob content: this fixed pseudo-random block repeated and cut to size.
BLOB_BLOCK = b"".join(hashlib.sha256(b"zarn-blob-%d" % i).digest()
                      for i in range(CHUNK // 32))

HTML_TYPE = "text/html; charset=utf-8"
TEXT_TYPE = "text/plain; charset=utf-8"
FAULT_KINDS = ("404", "500", "nolength", "short", "stall")
REPORT_PATHS = ("/install.htm", "/active.htm", "/uninstall.htm", "/login.htm")
REDIRECT_STATUSES = (301, 302, 303, 307, 308)
CONFIG_RE = re.compile(r"/update/Config([A-Za-z0-9_-]+)\.htm")
HOST_RE = re.compile(r"[A-Za-z0-9.:\[\]-]+")
TRUE_WORDS = ("1", "true", "yes", "on")


class Reply:
    """A response before it goes out.

    The body is either `body` (bytes) or, for large downloads, `stream`: a
    callable returning an iterator of byte chunks that add up to `length`.
    """

    def __init__(self, status, body=b"", ctype=HTML_TYPE, headers=(),
                 stream=None, length=None):
        self.status = status
        self.ctype = ctype
        self.headers = list(headers)
        self.body = body
        self.stream = stream
        self.length = len(body) if stream is None else length

    def chunks(self):
        if self.stream is not None:
            return self.stream()
        return iter((self.body,) if self.body else ())


def text(status, message):
    return Reply(status, message.encode("utf-8"), TEXT_TYPE)


# ---------------------------------------------------------------- pages

PAGE = Template("""<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<meta http-equiv="X-UA-Compatible" content="IE=edge">
<title>$title</title>
<style>
body { font: 14px/1.6 "Microsoft YaHei", SimSun, sans-serif; color: #333; margin: 20px; }
.box { border: 1px solid #ccc; background: #f4f4f4; padding: 40px; text-align: center; }
</style>
</head>
<body>
$body
</body>
</html>
""")


def page(title, body, status=200, headers=()):
    doc = PAGE.substitute(title=html.escape(title), body=body)
    return Reply(status, doc.encode("utf-8"), HTML_TYPE, headers)


# The login page is shown in an 851x521 borderless window.  The window treats
# clicks as window dragging except in two regions (x 778-883, y 85-120 and
# x 775-800, y 290-470), so the page's own window buttons live in the first
# and the sign-in shortcuts in the second.
LOGIN_PAGE = Template("""<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<meta http-equiv="X-UA-Compatible" content="IE=edge">
<title>Zarn - 登录</title>
<style>
html, body { background:#fefefe; margin:0; padding:0; overflow:hidden; }
#frame { position:relative; width:851px; height:521px; font:12px/1.5 "Microsoft YaHei", SimSun, sans-serif; color:#333; }
#title { position:absolute; left:30px; top:24px; font-size:22px; margin:0; }
.chrome { position:absolute; top:92px; height:22px; line-height:22px; text-align:center; text-decoration:none; color:#555; border:1px solid #bbb; background:#f0f0f0; }
#btn-min { left:782px; width:40px; }
#btn-close { left:830px; width:46px; }
#side { position:absolute; left:776px; top:300px; width:22px; }
#side a { display:block; width:22px; line-height:16px; margin-bottom:12px; text-align:center; text-decoration:none; color:#fff; background:#4a7fc1; }
#login { position:absolute; left:250px; top:150px; width:320px; padding:16px; border:1px solid #ddd; background:#fff; }
#login p { margin:8px 0; }
#quick { position:absolute; left:30px; top:470px; }
</style>
</head>
<body bgcolor="#FEFEFE" style="background:#FEFEFE">
<div id="frame">
<h1 id="title">Zarn</h1>
<a id="btn-min" class="chrome" href="app://minimize" title="最小化">最小化</a>
<a id="btn-close" class="chrome" href="app://exitgame" title="关闭">关闭</a>
<div id="side">
<a id="qq-login" href="http://$host/qzone/redirectToAuthorize.do?client=zarn">Q<br>Q<br>登<br>录</a>
<a id="weibo-login" href="http://$host/weibo/redirectToAuthorize.do?client=zarn">微<br>博<br>登<br>录</a>
</div>
<form id="login" action="#" onsubmit="return enterGame();">
<p>服务器 <select id="server">
<option value="5|《雷霆》双线">S5服 《雷霆》双线</option>
<option value="4|《烈焰》电信">S4服 《烈焰》电信</option>
<option value="3|《风云》网通">S3服 《风云》网通</option>
<option value="2|《龙腾》双线">S2服 《龙腾》双线</option>
<option value="1|《开天》双线">S1服 《开天》双线</option>
</select></p>
<p>账　号 <input id="account" type="text" maxlength="32"></p>
<p>密　码 <input id="password" type="password" maxlength="32"></p>
<p><input id="submit" type="submit" value="登录"></p>
</form>
<a id="quick" href="app://loadgame/S5服-《雷霆》双线-abc|http://$host/zarn/game.html?server=5">快速进入 S5服（测试账号 abc）</a>
</div>
<script>
function enterGame() {
  var sel = document.getElementById('server');
  var parts = sel.options[sel.selectedIndex].value.split('|');
  var account = document.getElementById('account').value;
  if (!account) { alert('请输入账号'); return false; }
  window.location.href = 'app://loadgame/S' + parts[0] + '服-' + parts[1] + '-' + account +
      '|http://$host/zarn/game.html?server=' + parts[0];
  return false;
}
</script>
</body>
</html>
""")


def redirect_reply(params):
    """/redirect?to=URL[&hops=N][&status=S]: S (302) to URL as given (relative or absolute); with
    N > 1, first N - 1 redirects to /redirect itself, each one hop nearer."""
    to = params.get("to")
    try:
        hops = int(params.get("hops", "1"))
        status = int(params.get("status", "302"))
    except ValueError:
        return text(400, "hops and status must be integers\n")
    if not to or hops < 1 or status not in REDIRECT_STATUSES:
        return text(400, "to, hops >= 1 and a redirect status are required\n")
    location = to
    if hops > 1:
        location = "/redirect?" + urlencode({"to": to, "hops": hops - 1, "status": status})
    return page("Redirect", f'<p><a href="{html.escape(location)}">继续</a></p>', status,
                [("Location", location)])


def home_page(host):
    return page("Mirel网页游戏", f"""<h1>Mirel网页游戏</h1>
<ul>
<li><a href="http://{host}/webgame.htm">游戏大厅</a></li>
<li><a href="http://{host}/zarn/client/index.html?cid=4224">Zarn 登录</a></li>
<li><a href="http://{host}/go/getflash/">下载 Flash Player</a></li>
</ul>""")


def game_hall_page(host):
    return page("Mirel网页游戏 - 游戏大厅", f"""<h1>游戏大厅</h1>
<ul id="games">
<li><a href="app://entergame|zarn">Zarn</a></li>
<li><a href="app://entergame|zarn2|http://{host}/zarn2/">Zarn 2</a></li>
</ul>""")


def game_page(server):
    server = html.escape(server)
    return page(f"Zarn - {server}服", f"""<h1>Zarn - {server}服</h1>
<div class="box" id="game">Flash 游戏将在这里运行（{server}服）。</div>""")


def qq_authorize_page():
    return page("QQ登录 - 授权", """<h1>QQ登录</h1>
<p>Zarn 将获得以下权限：访问你的个人资料。</p>
<p><a id="authorize" href="/qzone/callback.do?code=TESTCODE&amp;state=zarn">授权并登录</a></p>""")


def weibo_authorize_page():
    return page("微博登录 - 授权", """<h1>微博登录</h1>
<p>Zarn 请求使用你的微博帐号登录。</p>
<p><a id="authorize" href="/weibo/callback.do?state=zarn&amp;code=TESTCODE">授权并登录</a></p>""")


# ---------------------------------------------------------------- state

class PortalState:
    """Everything tests can change at run time.  Guarded by `lock`."""

    def __init__(self):
        self.lock = threading.Lock()
        # Bumped on every reset or fault change so that a stalled reply knows
        # it should give up early.
        self.generation = 0
        self.stopping = threading.Event()
        self.reset()

    def reset(self):
        with self.lock:
            self.faults = {}      # path -> (kind, seconds)
            self.configs = {}     # code -> {"key", "updaddr", "raw"}
            self.files = {}       # path -> file on disk
            self.switches = {}    # name -> bool
            self.generation += 1

    def set_fault(self, path, kind, seconds):
        with self.lock:
            if kind == "none":
                self.faults.pop(path, None)
            else:
                self.faults[path] = (kind, seconds)
            self.generation += 1

    def fault_for(self, *paths):
        with self.lock:
            for p in paths:
                if p in self.faults:
                    return self.faults[p]
        return None

    def switch(self, name):
        with self.lock:
            return self.switches.get(name, False)


class RequestLog:
    """Append-only JSON-lines file, flushed after every line."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.fh = open(path, "a", encoding="utf-8")

    def append(self, record):
        line = json.dumps(record, ensure_ascii=False) + "\n"
        with self.lock:
            self.fh.write(line)
            self.fh.flush()

    def clear(self):
        with self.lock:
            self.fh.flush()
            self.fh.truncate(0)

    def read(self):
        with self.lock:
            with open(self.path, encoding="utf-8") as f:
                return f.read()

    def close(self):
        with self.lock:
            self.fh.close()


# ---------------------------------------------------------------- handler

def parse_cookies(header):
    cookies = {}
    for part in (header or "").split(";"):
        name, eq, value = part.strip().partition("=")
        if name and eq:
            cookies[name] = value.strip()
    return cookies


def file_reply(src):
    try:
        size = os.path.getsize(src)
    except OSError:
        return text(404, "file not found\n")

    def chunks():
        with open(src, "rb") as f:
            while True:
                block = f.read(CHUNK)
                if not block:
                    return
                yield block
    return Reply(200, ctype="application/octet-stream", stream=chunks, length=size)


def blob_reply(size):
    def chunks():
        full, rest = divmod(size, CHUNK)
        for _ in range(full):
            yield BLOB_BLOCK
        if rest:
            yield BLOB_BLOCK[:rest]
    return Reply(200, ctype="application/octet-stream", stream=chunks, length=size)


class PortalHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "MirelPortal/1.0"

    def do_GET(self):
        self._handle()

    def do_HEAD(self):
        self._handle(head=True)

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        if length > 0:
            self.rfile.read(length)
        self._handle()

    def log_message(self, fmt, *args):
        if self.server.echo:
            super().log_message(fmt, *args)

    # -- dispatch

    def _handle(self, head=False):
        target = self.path
        if target.startswith("/"):
            raw_path, _, query = target.partition("?")
            query = query.partition("#")[0]
        else:  # absolute form, as sent to a proxy
            parts = urlsplit(target)
            raw_path, query = parts.path or "/", parts.query
        path = unquote(raw_path)
        params = {k: v[-1] for k, v in parse_qs(query, keep_blank_values=True).items()}

        if path.startswith("/__portal/"):
            self._send(self._control(path[len("/__portal/"):], params), head)
            return
        self.server.log.append({
            "time": time.time(),
            "method": self.command,
            "path": target,
            "host": self.headers.get("Host", ""),
            "headers": {k: ", ".join(self.headers.get_all(k)) for k in dict.fromkeys(self.headers.keys())},
            "cookies": parse_cookies(self.headers.get("Cookie")),
        })
        reply = self._route(path, params)
        self._send(reply, head, self.server.state.fault_for(raw_path, path))

    def _host(self):
        host = self.headers.get("Host", "")
        if HOST_RE.fullmatch(host):
            return host
        return f"127.0.0.1:{self.server.server_port}"

    def _route(self, path, params):
        state = self.server.state
        with state.lock:
            src = state.files.get(path)
        if src is not None:
            return file_reply(src)

        host = self._host()
        if path in ("/", "/index.htm", "/index.html"):
            return home_page(host)
        if path in REPORT_PATHS:
            return text(200, "ok")
        m = CONFIG_RE.fullmatch(path)
        if m:
            return self._config_page(m.group(1))
        if path == "/files/blob":
            try:
                size = int(params.get("size", ""))
                if size < 0:
                    raise ValueError
            except ValueError:
                return text(400, "size must be a non-negative integer\n")
            return blob_reply(size)
        if path.startswith("/files/") and self.server.files_dir:
            name = path[len("/files/"):]
            if name and "/" not in name and "\\" not in name and name not in (".", ".."):
                return file_reply(os.path.join(self.server.files_dir, name))
        if path == "/redirect":
            return redirect_reply(params)
        if path == "/webgame.htm":
            return game_hall_page(host)
        if path in ("/zarn/client/index.html", "/zarn2/", "/zarn2/client/index.html"):
            return Reply(200, LOGIN_PAGE.substitute(host=host).encode("utf-8"))
        if path == "/zarn/game.html":
            return game_page(params.get("server", "1"))
        if path in ("/go/getflash/", "/go/getflash"):
            # The local portal has no Flash Player installer to offer; the page leads back home.
            return page("下载 Adobe Flash Player", """<h1>Flash Player</h1>
<p>玩网页游戏需要安装 Flash Player 插件。本地门户不提供安装程序。</p>
<p><a href="/">返回首页</a></p>""")
        if path == "/qzone/redirectToAuthorize.do":
            callback = quote(f"http://{host}/qzone/callback.do", safe="")
            location = (f"http://{host}/oauth2.0/authorize?client_id=zarn"
                        f"&redirect_uri={callback}&response_type=code&state=zarn")
            return page("Redirect", f'<p><a href="{html.escape(location)}">继续</a></p>',
                        302, [("Location", location)])
        if path == "/oauth2.0/authorize":
            return qq_authorize_page()
        if path == "/weibo/redirectToAuthorize.do":
            return weibo_authorize_page()
        if path in ("/qzone/callback.do", "/weibo/callback.do"):
            return self._signed_in("登录成功", "<p>登录成功，正在进入游戏……</p>")
        if path in ("/qzone/extAutoBind.do", "/weibo/extAutoBind.do"):
            return self._signed_in("绑定帐号", "<p>帐号绑定成功，已为你登录。</p>")
        return page("404 Not Found", f"<h1>404</h1><p>{html.escape(path)} 不存在</p>", 404)

    def _config_page(self, code):
        with self.server.state.lock:
            cfg = dict(self.server.state.configs.get(code, {}))
        if code == "Zarn2" and not cfg:
            # The hall's second game publishes its client on the host the client asked; a loopback
            # address is named localhost, the download domain the development builds allow.
            cfg = {"key": "", "updaddr": f"http://{self._download_host()}/files/Zarn2.exe"}
        if cfg.get("raw") is not None:
            body = cfg["raw"]
        else:
            body = (f"[VerKey]\r\n{code}={cfg.get('key', '')}\r\n"
                    f"UpdAddr={cfg.get('updaddr', '')}\r\n")
        return Reply(200, body.encode("utf-8"))

    def _download_host(self):
        name, _, port = self._host().rpartition(":")
        if not name or not port.isdigit():
            name, port = self._host(), str(self.server.server_port)
        if name == "localhost" or re.fullmatch(r"127(\.\d{1,3}){3}", name):
            name = "localhost"
        return f"{name}:{port}"

    def _signed_in(self, title, body):
        headers = []
        if not self.server.state.switch("nocookie"):
            headers.append(("Set-Cookie", f"Pauth=PA{secrets.token_hex(12)}; Path=/"))
        links = f'<p><a href="http://{self._host()}/zarn/client/index.html?cid=4224">返回</a></p>'
        return page(title, f"<h1>{title}</h1>\n{body}\n{links}", headers=headers)

    # -- control endpoints (not logged, never faulted)

    def _control(self, name, params):
        state = self.server.state
        if name == "reset":
            state.reset()
        elif name == "clearlog":
            self.server.log.clear()
        elif name == "log":
            return Reply(200, self.server.log.read().encode("utf-8"), "application/x-ndjson; charset=utf-8")
        elif name == "config":
            code = params.get("code")
            if not code:
                return text(400, "code is required\n")
            with state.lock:
                state.configs[code] = {"key": params.get("key", ""),
                                       "updaddr": params.get("updaddr", ""),
                                       "raw": params.get("raw")}
        elif name == "file":
            path, src = params.get("path"), params.get("src")
            if not path or not src:
                return text(400, "path and src are required\n")
            with state.lock:
                state.files[path] = src
        elif name == "fault":
            path, kind = params.get("path"), params.get("kind")
            if not path or kind not in FAULT_KINDS + ("none",):
                return text(400, f"path and kind ({', '.join(FAULT_KINDS)}, none) are required\n")
            try:
                seconds = float(params.get("seconds", "30"))
            except ValueError:
                return text(400, "seconds must be a number\n")
            state.set_fault(path, kind, seconds)
        elif name == "switch":
            switch = params.get("name")
            if not switch:
                return text(400, "name is required\n")
            with state.lock:
                state.switches[switch] = params.get("on", "1").lower() in TRUE_WORDS
        else:
            return text(404, "unknown control endpoint\n")
        return text(200, "ok")

    # -- sending, with faults applied

    def _send(self, reply, head=False, fault=None):
        kind, seconds = fault or (None, 0)
        # Taken before any byte goes out: a reset that arrives while the first half of a stalled body
        # is on its way must still end the stall.
        generation = self.server.state.generation
        if kind == "404":
            reply = text(404, "not found (injected fault)\n")
        elif kind == "500":
            if reply.length:
                reply.status = 500
            else:
                reply = text(500, "internal server error (injected fault)\n")
        try:
            self.send_response(reply.status)
            self.send_header("Content-Type", reply.ctype)
            if kind == "nolength":
                self.send_header("Connection", "close")
            else:
                self.send_header("Content-Length", str(reply.length))
            self.send_header("Cache-Control", "no-cache")
            for name, value in reply.headers:
                self.send_header(name, value)
            self.end_headers()
            if kind in ("short", "stall"):
                # The connection dies mid-body: nothing else may follow on it.
                self.close_connection = True
            if head:
                return
            self._write_body(reply, reply.length // 2 if kind in ("short", "stall") else reply.length)
            if kind == "stall":
                self._stall(seconds, generation)
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError):
            self.close_connection = True

    def _write_body(self, reply, limit):
        for chunk in reply.chunks():
            if limit <= 0:
                break
            if len(chunk) > limit:
                chunk = chunk[:limit]
            self.wfile.write(chunk)
            limit -= len(chunk)
        self.wfile.flush()

    def _stall(self, seconds, generation):
        state = self.server.state
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if state.generation != generation or state.stopping.is_set() or self._client_gone():
                return
            time.sleep(0.1)

    def _client_gone(self):
        try:
            readable, _, _ = select.select([self.connection], [], [], 0)
            return bool(readable) and self.connection.recv(1, socket.MSG_PEEK) == b""
        except OSError:
            return True


class PortalServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port, log_path, files_dir=None, echo=False, bind="127.0.0.1"):
        self.log = RequestLog(log_path)
        self.state = PortalState()
        self.files_dir = files_dir
        self.echo = echo
        try:
            super().__init__((bind, port), PortalHandler)
        except OSError:
            self.log.close()
            raise

    def server_bind(self):
        # HTTPServer.server_bind looks up the host's FQDN, which can be slow;
        # the name is never used here.
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]

    def server_close(self):
        self.state.stopping.set()
        super().server_close()
        self.log.close()


def main(argv=None):
    ap = argparse.ArgumentParser(description="Local stand-in for the portal's hosts (127.0.0.1 only).")
    ap.add_argument("--port", type=int, required=True, help="TCP port on 127.0.0.1 (0 picks one)")
    ap.add_argument("--log", default="portal-requests.jsonl", help="request log, JSON lines")
    ap.add_argument("--pidfile", help="write the process id here while running")
    ap.add_argument("--files", help="directory served under /files/")
    ap.add_argument("--bind", default="127.0.0.1",
                    help="address to listen on (default 127.0.0.1; 0.0.0.0 for another machine to reach it)")
    args = ap.parse_args(argv)
    if args.files and not os.path.isdir(args.files):
        print(f"portal: --files {args.files}: not a directory", file=sys.stderr)
        return 2
    try:
        server = PortalServer(args.port, args.log, args.files, echo=True, bind=args.bind)
    except OSError as e:
        print(f"portal: cannot start on {args.bind}:{args.port}: {e}", file=sys.stderr)
        return 1

    pid = str(os.getpid())
    if args.pidfile:
        with open(args.pidfile, "w") as f:
            f.write(pid + "\n")

    def stop(signum, frame):
        # shutdown() waits for serve_forever(), which runs in this thread.
        threading.Thread(target=server.shutdown, daemon=True).start()
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    print(f"portal: listening on http://{args.bind}:{server.server_port}/ log={args.log}", flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
        if args.pidfile:
            try:
                with open(args.pidfile) as f:
                    if f.read().strip() == pid:
                        os.remove(args.pidfile)
            except OSError:
                pass
    print("portal: stopped", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
