"""Tests for the local portal server: run `python3 -m unittest tools/portal/test_portal.py`."""

import http.client
import json
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from urllib.parse import quote

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import portal  # noqa: E402

PORTALCTL = os.path.join(HERE, "portalctl")


class PortalTestCase(unittest.TestCase):
    """One in-process server for all tests; every test starts from reset state and an empty log."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.files_dir = os.path.join(cls.tmp.name, "files")
        os.mkdir(cls.files_dir)
        cls.log_path = os.path.join(cls.tmp.name, "requests.jsonl")
        cls.server = portal.PortalServer(0, cls.log_path, cls.files_dir)
        cls.port = cls.server.server_port
        cls.host = f"127.0.0.1:{cls.port}"
        cls.thread = threading.Thread(target=cls.server.serve_forever, kwargs={"poll_interval": 0.05})
        cls.thread.start()

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.server.server_close()
        cls.thread.join()
        cls.tmp.cleanup()

    def setUp(self):
        self.ctl("reset")
        self.ctl("clearlog")

    def get(self, path, headers=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        conn.request("GET", path, headers=headers or {})
        resp = conn.getresponse()
        body = resp.read()
        conn.close()
        return resp.status, resp, body

    def ctl(self, query):
        status, _, body = self.get("/__portal/" + query)
        self.assertEqual(status, 200, body)
        return body

    def raw(self, path, timeout=5):
        """Sends one request on a raw socket, returns (head, body received until EOF)."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=timeout) as s:
            s.sendall(f"GET {path} HTTP/1.1\r\nHost: {self.host}\r\n\r\n".encode())
            data = b""
            while True:
                part = s.recv(65536)
                if not part:
                    break
                data += part
        head, _, body = data.partition(b"\r\n\r\n")
        return head.decode("latin-1").lower(), body

    def log_records(self):
        return [json.loads(line) for line in self.ctl("log").decode().splitlines()]


class RequestLogTest(PortalTestCase):
    def test_records_raw_target_headers_and_cookies(self):
        self.get("/active.htm?tag=zarn&ver=3.0.0.2&count=1&name=%E4%B8%AD",
                 {"Cookie": "Pauth=abc; lang=zh=cn", "User-Agent": "ZarnTest"})
        self.get("/__portal/config?code=Zarn&key=1")  # control requests stay out of the log
        with open(self.log_path, encoding="utf-8") as f:  # written to disk, not just kept in memory
            records = [json.loads(line) for line in f]
        self.assertEqual(len(records), 1)
        rec = records[0]
        self.assertEqual(rec["method"], "GET")
        self.assertEqual(rec["path"], "/active.htm?tag=zarn&ver=3.0.0.2&count=1&name=%E4%B8%AD")
        self.assertEqual(rec["host"], self.host)
        self.assertEqual(rec["headers"]["User-Agent"], "ZarnTest")
        self.assertEqual(rec["cookies"], {"Pauth": "abc", "lang": "zh=cn"})
        self.assertAlmostEqual(rec["time"], time.time(), delta=30)

    def test_keep_alive_replies_carry_content_length(self):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        for path in ("/", "/login.htm?a=1", "/nothing-here", "/files/blob?size=10"):
            conn.request("GET", path)
            resp = conn.getresponse()
            body = resp.read()
            self.assertEqual(int(resp.getheader("Content-Length")), len(body), path)
            self.assertFalse(resp.will_close, path)
        conn.close()


class PagesTest(PortalTestCase):
    def test_reports_home_and_unknown(self):
        for path in portal.REPORT_PATHS:
            self.assertEqual(self.get(path + "?tag=zarn")[::2], (200, b"ok"))
        status, _, body = self.get("/")
        self.assertEqual(status, 200)
        self.assertIn("Mirel网页游戏", body.decode())
        self.assertEqual(self.get("/no/such/page")[0], 404)
        self.assertEqual(self.get("/files/absent.exe")[0], 404)

    def test_config_page_defaults_and_control(self):
        self.assertEqual(self.get("/update/ConfigZarn.htm")[2].decode().splitlines(),
                         ["[VerKey]", "Zarn=", "UpdAddr="])
        # The second game's client download, until a test configures it otherwise.
        self.assertEqual(self.get("/update/ConfigZarn2.htm")[2].decode().splitlines(),
                         ["[VerKey]", "Zarn2=", f"UpdAddr=http://localhost:{self.port}/files/Zarn2.exe"])
        url = "http://127.0.0.1:1/files/Zarn.exe?v=2&x=1"
        self.ctl(f"config?code=Zarn2&key=3.0.0.5&updaddr={quote(url, safe='')}")
        self.assertEqual(self.get("/update/ConfigZarn2.htm")[2].decode().splitlines(),
                         ["[VerKey]", "Zarn2=3.0.0.5", "UpdAddr=" + url])
        # Asked through another machine's address, the download is offered on that address too.
        self.ctl("reset")
        self.assertIn("UpdAddr=http://192.0.2.7:28080/files/Zarn2.exe",
                      self.get("/update/ConfigZarn2.htm", {"Host": "192.0.2.7:28080"})[2].decode().splitlines())
        self.assertIn(f"UpdAddr=http://localhost:{self.port}/files/Zarn2.exe",
                      self.get("/update/ConfigZarn2.htm", {"Host": f"127.0.0.9:{self.port}"})[2].decode().splitlines())
        self.ctl("config?code=Zarn&raw=" + quote("乱码 [garbage"))
        self.assertEqual(self.get("/update/ConfigZarn.htm")[2].decode(), "乱码 [garbage")
        self.ctl("reset")
        self.assertIn("Zarn=\r\n", self.get("/update/ConfigZarn.htm")[2].decode())

    def test_login_page_and_game_hall(self):
        status, _, body = self.get("/zarn/client/index.html?cid=4224", {"Host": self.host})
        page = body.decode()
        self.assertEqual(status, 200)
        self.assertIn('<meta charset="utf-8">', page)
        self.assertIn('<body bgcolor="#FEFEFE"', page)
        self.assertIn("background:#fefefe; margin:0", page)
        for href in ("app://exitgame", "app://minimize",
                     f"app://loadgame/S5服-《雷霆》双线-abc|http://{self.host}/zarn/game.html?server=5",
                     f"http://{self.host}/qzone/redirectToAuthorize.do?client=zarn",
                     f"http://{self.host}/weibo/redirectToAuthorize.do?client=zarn"):
            self.assertIn(f'href="{href}"', page)
        hall = self.get("/webgame.htm", {"Host": "localhost:9"})[2].decode()
        self.assertIn('href="app://entergame|zarn"', hall)
        self.assertIn('href="app://entergame|zarn2|http://localhost:9/zarn2/"', hall)
        self.assertIn("<title>Zarn - 7服</title>", self.get("/zarn/game.html?server=7")[2].decode())

    def test_qq_sign_in_chain_sets_pauth(self):
        status, resp, _ = self.get("/qzone/redirectToAuthorize.do?client=zarn", {"Host": self.host})
        self.assertEqual(status, 302)
        location = resp.getheader("Location")
        self.assertTrue(location.startswith(f"http://{self.host}/oauth2.0/authorize?client_id=zarn&redirect_uri="))
        page = self.get(location[len("http://" + self.host):])[2].decode()
        self.assertIn('href="/qzone/callback.do?code=TESTCODE&amp;state=zarn"', page)
        self.assertIn("授权并登录", page)
        status, resp, _ = self.get("/qzone/callback.do?code=TESTCODE&state=zarn")
        self.assertEqual(status, 200)
        self.assertRegex(resp.getheader("Set-Cookie"), r"^Pauth=\w+; Path=/$")

    def test_nocookie_switch_and_weibo(self):
        self.assertIn("/weibo/callback.do?state=zarn&amp;code=TESTCODE",
                      self.get("/weibo/redirectToAuthorize.do?client=zarn")[2].decode())
        self.ctl("switch?name=nocookie&on=1")
        for path in ("/weibo/callback.do?state=zarn&code=x", "/qzone/extAutoBind.do"):
            status, resp, _ = self.get(path)
            self.assertEqual((status, resp.getheader("Set-Cookie")), (200, None))
        self.ctl("switch?name=nocookie&on=0")
        self.assertIsNotNone(self.get("/weibo/extAutoBind.do")[1].getheader("Set-Cookie"))


class RedirectTest(PortalTestCase):
    def test_redirects_to_the_address_as_given(self):
        status, resp, _ = self.get("/redirect?to=" + quote("http://localhost:1/files/x?a=1", safe=""))
        self.assertEqual(status, 302)
        self.assertEqual(resp.getheader("Location"), "http://localhost:1/files/x?a=1")
        status, resp, _ = self.get("/redirect?to=/files/y&status=307")
        self.assertEqual(status, 307)
        self.assertEqual(resp.getheader("Location"), "/files/y")
        self.assertEqual([r["path"] for r in self.log_records()][0], "/redirect?to=" +
                         quote("http://localhost:1/files/x?a=1", safe=""))

    def test_hops_count_down_to_the_target(self):
        path, seen = "/redirect?to=%2Ffiles%2Fz&hops=3", 0
        while path.startswith("/redirect"):
            status, resp, _ = self.get(path)
            self.assertEqual(status, 302)
            path, seen = resp.getheader("Location"), seen + 1
        self.assertEqual((path, seen), ("/files/z", 3))

    def test_bad_arguments(self):
        for query in ("", "?to=", "?to=/x&hops=0", "?to=/x&hops=a", "?to=/x&status=200"):
            self.assertEqual(self.get("/redirect" + query)[0], 400, query)


class FilesTest(PortalTestCase):
    def test_registered_file_is_read_at_request_time(self):
        src = os.path.join(self.tmp.name, "Zarn-new.exe")
        self.ctl(f"file?path=/files/Zarn.exe&src={quote(src)}")
        self.assertEqual(self.get("/files/Zarn.exe")[0], 404)  # not on disk yet
        with open(src, "wb") as f:
            f.write(b"MZ" + bytes(range(256)) * 300)
        status, resp, body = self.get("/files/Zarn.exe")
        self.assertEqual((status, body[:2], len(body)), (200, b"MZ", 2 + 256 * 300))
        self.ctl("reset")
        self.assertEqual(self.get("/files/Zarn.exe")[0], 404)
        with open(os.path.join(self.files_dir, "setup.exe"), "wb") as f:  # the --files directory
            f.write(b"setup")
        self.assertEqual(self.get("/files/setup.exe")[::2], (200, b"setup"))
        self.assertEqual(self.get("/files/..%2Frequests.jsonl")[0], 404)

    def test_blob_has_requested_size_and_is_repeatable(self):
        size = 3 * portal.CHUNK + 123
        first = self.get(f"/files/blob?size={size}")[2]
        self.assertEqual(len(first), size)
        self.assertEqual(first, self.get(f"/files/blob?size={size}")[2])
        self.assertGreater(len(set(first[:4096])), 200)  # not a run of one byte value
        self.assertEqual(self.get("/files/blob?size=0")[::2], (200, b""))
        self.assertEqual(self.get("/files/blob?size=-1")[0], 400)


class FaultTest(PortalTestCase):
    CONFIG = "/update/ConfigZarn.htm"

    def fault(self, kind, path=CONFIG, extra=""):
        self.ctl(f"fault?path={path}&kind={kind}{extra}")

    def test_status_faults_and_clearing(self):
        normal = self.get(self.CONFIG)[2]
        self.fault("404")
        self.assertEqual(self.get(self.CONFIG + "?x=1")[0], 404)
        self.fault("500")
        status, resp, body = self.get(self.CONFIG)
        self.assertEqual((status, body), (500, normal))
        self.assertEqual(int(resp.getheader("Content-Length")), len(normal))
        self.fault("500", "/active.htm")
        self.assertEqual(self.get("/active.htm")[::2], (500, b"ok"))
        self.fault("none")
        self.assertEqual(self.get(self.CONFIG)[::2], (200, normal))
        self.assertEqual(len(self.log_records()), 5)  # faulted requests are logged too

    def test_nolength_and_short_bodies_end_with_eof(self):
        self.fault("nolength", "/files/blob")
        head, body = self.raw("/files/blob?size=100000")
        self.assertNotIn("content-length", head)
        self.assertIn("connection: close", head)
        self.assertEqual(len(body), 100000)
        self.fault("short", "/files/blob")
        head, body = self.raw("/files/blob?size=200000")
        self.assertIn("content-length: 200000", head)
        self.assertEqual(len(body), 100000)  # fewer bytes than announced, then EOF

    def test_stall_sends_half_then_closes_after_seconds(self):
        self.fault("stall", extra="&seconds=0.3")
        self.ctl("config?code=Zarn&key=3.0.0.9")
        normal_len = len("[VerKey]\r\nZarn=3.0.0.9\r\nUpdAddr=\r\n")
        head, body = self.raw(self.CONFIG)
        self.assertIn(f"content-length: {normal_len}", head)
        self.assertEqual(len(body), normal_len // 2)

    def test_stall_ends_early_when_faults_are_reset(self):
        self.fault("stall", "/files/blob", "&seconds=60")
        with socket.create_connection(("127.0.0.1", self.port), timeout=30) as s:
            s.sendall(b"GET /files/blob?size=1000 HTTP/1.1\r\nHost: x\r\n\r\n")
            data = b""
            while len(data.partition(b"\r\n\r\n")[2]) < 500:
                chunk = s.recv(65536)
                self.assertTrue(chunk, "closed before half the body arrived")
                data += chunk
            self.ctl("reset")
            self.assertEqual(s.recv(65536), b"")  # closed by the reset, long before the 60 s stall ends
        self.assertEqual(len(data.partition(b"\r\n\r\n")[2]), 500)


class BindTest(unittest.TestCase):
    def test_listens_on_the_address_given_only(self):
        with tempfile.TemporaryDirectory() as tmp:
            server = portal.PortalServer(0, os.path.join(tmp, "log.jsonl"), bind="127.0.0.2")
            thread = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.05})
            thread.start()
            try:
                conn = http.client.HTTPConnection("127.0.0.2", server.server_port, timeout=5)
                conn.request("GET", "/webgame.htm")
                self.assertIn("http://127.0.0.2:%d/zarn2/" % server.server_port, conn.getresponse().read().decode())
                conn.close()
                with self.assertRaises(ConnectionRefusedError):
                    socket.create_connection(("127.0.0.1", server.server_port), timeout=5).close()
            finally:
                server.shutdown()
                server.server_close()
                thread.join()


class ControlScriptTest(unittest.TestCase):
    def run_ctl(self, *args):
        return subprocess.run([sys.executable, PORTALCTL, *args], capture_output=True, text=True, timeout=30)

    def test_freeport_start_stop_round_trip(self):
        with tempfile.TemporaryDirectory() as tmp:
            log, pidfile = os.path.join(tmp, "log.jsonl"), os.path.join(tmp, "portal.pid")
            port = int(self.run_ctl("freeport").stdout)
            self.assertEqual(self.run_ctl("freeport", str(port)).stdout.strip(), str(port))
            started = self.run_ctl("start", "--port", str(port), "--log", log, "--pidfile", pidfile)
            self.assertEqual(started.returncode, 0, started.stderr)
            try:
                again = self.run_ctl("start", "--port", str(port), "--log", log, "--pidfile", pidfile + "2")
                self.assertNotEqual(again.returncode, 0)  # port taken
                conn = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
                conn.request("GET", "/active.htm?tag=zarn")
                self.assertEqual(conn.getresponse().read(), b"ok")
                conn.close()
                with open(log) as f:
                    self.assertEqual(json.loads(f.readline())["path"], "/active.htm?tag=zarn")
            finally:
                stopped = self.run_ctl("stop", "--pidfile", pidfile)
            self.assertEqual(stopped.returncode, 0, stopped.stderr)
            self.assertFalse(os.path.exists(pidfile))
            with open(log + ".out") as f:
                self.assertIn("portal: stopped", f.read())  # TERM led to a clean exit
            with self.assertRaises(ConnectionRefusedError):
                socket.create_connection(("127.0.0.1", port), timeout=5).close()
            self.assertEqual(self.run_ctl("stop", "--pidfile", pidfile).returncode, 0)


if __name__ == "__main__":
    unittest.main()
