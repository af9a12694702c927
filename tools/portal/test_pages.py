"""The portal's pages as Internet Explorer 8 and later would take them: run
`python3 -m unittest tools/portal/test_pages.py`. Each page's HTML is loaded from the server, its links
are followed (http links must answer, app: links must be commands the program knows), and its script is
run (tools/portal/ie8_page.js, under node: ECMAScript 3 syntax, no ES5 library, IE8's DOM) to see which
app: URL it would navigate to."""

import json
import os
import subprocess
import sys
import unittest
from html.parser import HTMLParser
from urllib.parse import unquote, urljoin, urlsplit

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from test_portal import PortalTestCase  # noqa: E402

HARNESS = os.path.join(HERE, "ie8_page.js")
LOGIN = "/zarn/client/index.html?cid=4224"
# Where the program's sign-in window looks for the cookie: the callback pages, as URL prefixes.
SIGN_IN_CALLBACKS = ("/qzone/callback.do?code=", "/weibo/callback.do?state")


class Page(HTMLParser):
    """What the tests read from a page: its doctype, the head's elements in order, links, forms,
    inputs, selects with their options, and inline scripts."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.doctype = None
        self.head = []  # (tag, attributes) of the head's elements, in order
        self.links, self.scripts, self.external_scripts = [], [], []
        self.elements, self.handlers = {}, []
        self._in_head = self._in_script = False
        self._option = None
        self.feed(text)
        self.close()

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "head":
            self._in_head = True
        elif self._in_head:
            self.head.append((tag, a))
        if tag == "a" and "href" in a:
            self.links.append(a["href"])
        if tag == "script":
            if "src" in a:
                self.external_scripts.append(a["src"])
            self._in_script = True
            self.scripts.append("")
        if a.get("id") and tag in ("form", "input", "select", "a"):
            self.elements[a["id"]] = {"tag": tag, "value": a.get("value", ""), "options": []}
            self._select = a["id"] if tag == "select" else None
        if tag == "option" and getattr(self, "_select", None):
            self._option = {"value": a.get("value", ""), "text": ""}
            self.elements[self._select]["options"].append(self._option)
        for name, code in a.items():
            if name.startswith("on") and a.get("id"):
                self.handlers.append({"element": a["id"], "event": name, "code": code})

    def handle_endtag(self, tag):
        if tag == "head":
            self._in_head = False
        elif tag == "script":
            self._in_script = False
        elif tag == "option":
            self._option = None
        elif tag == "select":
            self._select = None

    def handle_data(self, data):
        if self._in_script:
            self.scripts[-1] += data
        elif self._option is not None:
            self._option["text"] += data


def run_script(page, handlers):
    """The page's script under tools/portal/ie8_page.js; one result per handler run."""
    request = {"scripts": page.scripts, "elements": page.elements, "handlers": handlers}
    done = subprocess.run(["node", HARNESS], input=json.dumps(request), capture_output=True, text=True,
                          timeout=30)
    if done.returncode != 0:
        raise AssertionError(f"the script harness failed: {done.stderr}")
    return json.loads(done.stdout)


def login_payload(payload):
    """The account title the program's login builds from a loadgame payload: server (without "S"),
    "服-", the area (after "》" when it has one), "-", the account."""
    payload = unquote(payload)
    server, _, rest = payload.partition("服-")
    area, _, account = rest.partition("-")
    if "》" in area:
        area = area[area.index("》") + 1:][:4]
    return f"{server.replace('S', '')}服-{area}-{account}"


class IE8PagesTest(PortalTestCase):
    PAGES = ("/", "/webgame.htm", LOGIN, "/zarn/game.html?server=5", "/go/getflash/",
             "/oauth2.0/authorize?client_id=zarn", "/weibo/redirectToAuthorize.do?client=zarn",
             "/qzone/callback.do?code=TESTCODE&state=zarn", "/weibo/callback.do?state=zarn&code=TESTCODE",
             "/qzone/extAutoBind.do", "/weibo/extAutoBind.do")

    def url(self, path):
        return f"http://{self.host}{path}"

    def fetch(self, url):
        """(status, response, Page) for an http URL on the portal, following one redirect."""
        parts = urlsplit(url)
        self.assertEqual(parts.netloc, self.host, f"{url} leaves the portal")
        target = parts.path + (f"?{parts.query}" if parts.query else "")
        status, resp, body = self.get(target, {"Host": self.host})
        if status == 302:
            return self.fetch(resp.getheader("Location"))
        return status, resp, Page(body.decode("utf-8"))

    def assert_command(self, href, page_url):
        """An app: URL that the program acts on: the login's loadgame, exitgame and minimize, or the
        hall's entergame; the addresses they carry must answer."""
        if href.startswith("app://entergame|"):
            code, _, web = href[len("app://entergame|"):].partition("|")
            self.assertRegex(code, r"^[a-z][a-z0-9]*$", href)
            if web:
                self.assertEqual(self.fetch(web)[0], 200, href)
            return
        name = href[6:14]
        self.assertIn(name, ("loadgame", "exitgame", "minimize"), f"{href} on {page_url}")
        if name == "loadgame":
            payload, bar, game = href[15:].partition("|")
            self.assertTrue(bar, href)
            self.assertRegex(login_payload(payload), r"^\d+服-[^-]+-\w+$", href)
            self.assertEqual(self.fetch(game)[0], 200, href)

    def test_every_page_is_ie8_standards_html_whose_script_is_ecmascript_3(self):
        for path in self.PAGES:
            with self.subTest(path=path):
                status, resp, page = self.fetch(self.url(path))
                self.assertEqual(status, 200)
                self.assertEqual(resp.getheader("Content-Type"), "text/html; charset=utf-8")
                self.assertEqual((page.doctype or "").lower(), "doctype html")
                # IE8 obeys X-UA-Compatible only before every head element but title and meta.
                metas = []
                for tag, attrs in page.head:
                    if tag not in ("meta", "title"):
                        break
                    metas.append(attrs)
                self.assertIn({"http-equiv": "X-UA-Compatible", "content": "IE=edge"}, metas)
                self.assertEqual(page.external_scripts, [])
                self.assertEqual(run_script(page, [])["syntax"], [])

    def test_links_reach_pages_or_commands_the_program_knows(self):
        seen, queue = set(), [self.url(p) for p in ("/", LOGIN)]
        while queue:
            page_url = queue.pop()
            if page_url in seen:
                continue
            seen.add(page_url)
            status, _, page = self.fetch(page_url)
            self.assertEqual(status, 200, page_url)
            for href in page.links:
                with self.subTest(page=page_url, href=href):
                    if href.startswith("app:"):
                        self.assert_command(href, page_url)
                    else:
                        queue.append(urljoin(page_url, href))
        reached = {urlsplit(u).path for u in seen}
        self.assertLessEqual({"/webgame.htm", "/go/getflash/", "/qzone/callback.do", "/weibo/callback.do"}, reached)

    def test_login_form_navigates_to_loadgame_for_each_server(self):
        status, _, page = self.fetch(self.url(LOGIN))
        submit = [h for h in page.handlers if h["element"] == "login" and h["event"] == "onsubmit"]
        self.assertEqual(len(submit), 1)
        servers = page.elements["server"]["options"]
        self.assertEqual(len(servers), 5)
        runs = [dict(submit[0], values={"account": "abc"}, select={"server": i}) for i in range(len(servers))]
        runs.append(dict(submit[0], values={"account": ""}))
        result = run_script(page, runs)
        self.assertEqual(result["syntax"], [])
        for option, run in zip(servers, result["runs"]):
            number, area = option["value"].split("|")
            with self.subTest(server=number):
                self.assertIsNone(run["error"])
                self.assertIs(run["returned"], False, "the form itself is never sent")
                game = self.url(f"/zarn/game.html?server={number}")
                self.assertEqual(run["navigations"], [f"app://loadgame/S{number}服-{area}-abc|{game}"])
                self.assert_command(run["navigations"][0], LOGIN)
                self.assertEqual(login_payload(f"S{number}服-{area}-abc"),
                                 f"{number}服-{area[area.index('》') + 1:]}-abc")
        empty = result["runs"][-1]
        self.assertEqual((empty["navigations"], empty["alerts"], empty["error"]), ([], ["请输入账号"], None))

    def test_sign_in_pages_lead_to_callbacks_that_set_pauth(self):
        status, _, page = self.fetch(self.url(LOGIN))
        starts = [h for h in page.links if "/redirectToAuthorize.do?" in h]
        self.assertEqual(len(starts), 2, "a QQ and a Weibo sign-in")
        for start in starts:
            with self.subTest(start=start):
                status, _, provider = self.fetch(start)
                self.assertEqual(status, 200)
                callbacks = [urljoin(start, h) for h in provider.links]
                callbacks = [c for c in callbacks if urlsplit(c).path.endswith("/callback.do")]
                self.assertEqual(len(callbacks), 1)
                parts = urlsplit(callbacks[0])
                self.assertTrue(f"{parts.path}?{parts.query}".startswith(SIGN_IN_CALLBACKS), callbacks[0])
                status, resp, done = self.fetch(callbacks[0])
                self.assertEqual(status, 200)
                self.assertRegex(resp.getheader("Set-Cookie") or "", r"^Pauth=\w+; Path=/$")
                self.assertIn(self.url(LOGIN), done.links, "the callback page leads back to the login")

    def test_the_harness_refuses_what_ie8_cannot_run(self):
        page = Page("<!DOCTYPE html><html><head></head><body><form id='f' onsubmit='return go();'></form>"
                    "<script>function go() { [1].forEach(function () {}); return false; }</script></body></html>")
        run = run_script(page, [{"element": "f", "code": "return go();"}])["runs"][0]
        self.assertIn("forEach", run["error"] or "")
        page = Page("<!DOCTYPE html><html><head></head><body><script>var o = {a: 1,};</script></body></html>")
        self.assertEqual(len(run_script(page, [])["syntax"]), 1)
        page = Page("<!DOCTYPE html><html><head></head><body><script>document.addEventListener('x', null);"
                    "</script></body></html>")
        self.assertIn("addEventListener", run_script(page, [{"element": "", "code": ""}])["runs"][0]["error"] or "")


if __name__ == "__main__":
    unittest.main()
