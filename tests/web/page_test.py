#!/usr/bin/python3
"""Ondeline's page in a real browser: headless Chromium driven by Selenium, at device pixel
ratios 1, 1.5 and 2.

    /usr/bin/python3 tests/web/page_test.py SITE_FOLDER ONDELINE_RENDER [-v]

The page is served from SITE_FOLDER (build-web/site); ONDELINE_RENDER draws the frames the
canvas must match byte for byte. Before the page loads, the test puts its own clock under
performance.now(), which is where the program's GetTickCount comes from, and counts the
canvas's paints; nothing of the page itself is changed.
"""

import base64
import functools
import http.server
import math
import os
import subprocess
import sys
import threading
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.select import Select
from selenium.webdriver.support.wait import WebDriverWait

SITE = None
RENDERER = None
RATIOS = (1, 1.5, 2)
WAIT_SECONDS = 20  # a loaded machine can be slow; every wait ends as soon as its condition holds
NATURAL_GRID = 100  # the size list starts at 100 x 100
BOXES = ('Rain', 'Stretch', 'Drift', 'Spectrum', 'Add Color')  # in tab order

# The test's hooks, installed before the page's own scripts: a clock the test can stop and set,
# and a count of what is drawn on canvases.
HOOKS = """
(() => {
  const realNow = performance.now.bind(performance);
  let fixed = null;
  performance.now = () => (fixed === null ? realNow() : fixed);
  const put = CanvasRenderingContext2D.prototype.putImageData;
  let paints = 0;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    paints += 1;
    return put.apply(this, args);
  };
  window.ondelineTest = { setTick: (tick) => { fixed = tick; }, paints: () => paints };
})();
"""

# The client canvas's pixels as base64 RGBA, with its size and its place in CSS pixels.
READ_CANVAS = """
const canvas = document.querySelector('.window canvas.paint');
if (!canvas || canvas.width === 0) return null;
const box = canvas.getBoundingClientRect();
const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
let text = '';
for (let i = 0; i < data.length; i += 0x8000) {
  text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
}
return [canvas.width, canvas.height, box.left, box.top, box.width, box.height, btoa(text)];
"""


def cell_size(ratio):
    """Device pixels across one cell at natural size: the scale rounded, halves up, at least 1."""
    return max(1, math.floor(ratio + 0.5))


def widened(word):
    """The RGB bytes of a 5-5-5 pixel word, each channel's top bits repeated below it."""
    return tuple(((v << 3) | (v >> 2)) for v in ((word >> 10) & 31, (word >> 5) & 31, word & 31))


class Canvas:
    def __init__(self, width, height, left, top, css_width, css_height, pixels):
        self.width, self.height = width, height
        self.left, self.top = left, top
        self.css_width, self.css_height = css_width, css_height
        self.pixels = base64.b64decode(pixels)

    def at(self, x, y):
        i = 4 * (y * self.width + x)
        return tuple(self.pixels[i:i + 4])

    def painted(self):
        """The bounds (left, top, right, bottom) of the pixels painted opaque; None if none."""
        xs, ys = [], []
        for y in range(self.height):
            row = self.pixels[4 * y * self.width:4 * (y + 1) * self.width]
            alphas = row[3::4]
            if any(alphas):
                ys.append(y)
                xs.append(next(i for i, a in enumerate(alphas) if a))
                xs.append(len(alphas) - next(i for i, a in enumerate(reversed(alphas)) if a))
        return (min(xs), min(ys), max(xs), max(ys) + 1) if ys else None

    def css_point(self, x, y):
        """A whole CSS point of the viewport whose device pixel on the canvas is x, y."""
        cx = math.ceil(self.left + x * self.css_width / self.width)
        cy = math.ceil(self.top + y * self.css_height / self.height)
        return cx, cy

    def device_pixel(self, cx, cy):
        """The canvas pixel under a CSS point, as the page works it out."""
        return (math.floor((cx - self.left) * self.width / self.css_width),
                math.floor((cy - self.top) * self.height / self.css_height))


class PageTest:
    """The checks, run once for each device pixel ratio by the subclasses below."""
    ratio = 1

    @classmethod
    def setUpClass(cls):
        options = Options()
        for argument in ('--headless=new', '--no-sandbox', '--disable-gpu', '--window-size=900,600',
                         f'--force-device-scale-factor={cls.ratio}'):
            options.add_argument(argument)
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        cls.driver = webdriver.Chrome(options=options, service=Service('/usr/bin/chromedriver'))
        cls.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': HOOKS})

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()

    def setUp(self):
        self.driver.get(f'{SERVER_URL}/index.html')
        self.until(lambda: self.display() is not None, 'the water was never painted')

    def tearDown(self):
        errors = [entry for entry in self.driver.get_log('browser') if entry['level'] == 'SEVERE']
        self.assertEqual(errors, [], 'the browser logged errors')

    # Helpers.

    def until(self, condition, message):
        WebDriverWait(self.driver, WAIT_SECONDS, poll_frequency=0.05).until(
            lambda _: condition(), message)

    def canvas(self):
        read = self.driver.execute_script(READ_CANVAS)
        return Canvas(*read) if read else None

    def display(self):
        canvas = self.canvas()
        return canvas.painted() if canvas else None

    def paints(self):
        return self.driver.execute_script('return window.ondelineTest.paints()')

    def set_tick(self, tick):
        self.driver.execute_script('window.ondelineTest.setTick(arguments[0])', tick)

    def click_at(self, cx, cy, kind=interaction.POINTER_MOUSE):
        actions = ActionBuilder(self.driver, mouse=PointerInput(kind, kind))
        actions.pointer_action.move_to_location(cx, cy).click()
        actions.perform()

    def box(self, name):
        return self.driver.find_element(By.XPATH, f"//label[normalize-space()='{name}']/input")

    def frame_inside(self):
        """The frame's inside in device pixels of the canvas: inside its sunken edge."""
        inside = self.driver.execute_script("""
            const frame = document.querySelector('.frame');
            const box = frame.getBoundingClientRect();
            const edge = parseFloat(getComputedStyle(frame).borderLeftWidth);
            const canvas = document.querySelector('.window canvas.paint').getBoundingClientRect();
            return [box.left + edge - canvas.left, box.top + edge - canvas.top,
                    box.right - edge - canvas.left, box.bottom - edge - canvas.top];""")
        return tuple(round(v * self.ratio) for v in inside)

    def settled(self):
        """Waits until the program has painted nothing for a few frames."""
        last = [self.paints(), 0]

        def still():
            now = self.paints()
            last[1] = last[1] + 1 if now == last[0] else 0
            last[0] = now
            return last[1] >= 5

        self.until(still, 'the page never stopped painting')

    # The checks.

    def test_calm_water_at_natural_size(self):
        self.settled()
        canvas = self.canvas()
        left, top, right, bottom = canvas.painted()
        side = NATURAL_GRID * cell_size(self.ratio)
        self.assertEqual((right - left, bottom - top), (side, side))
        colours = {canvas.at(x, y) for y in range(top, bottom) for x in range(left, right)}
        self.assertEqual(len(colours), 1, 'calm water is one colour')
        # Calm water costs nothing: no frame is drawn while nothing changes.
        before = self.paints()
        self.driver.execute_script('return new Promise((done) => setTimeout(done, 1000))')
        self.assertEqual(self.paints(), before)

    def test_click_and_touch_start_rings_at_the_pointer(self):
        for kind in (interaction.POINTER_MOUSE, interaction.POINTER_TOUCH):
            with self.subTest(pointer=kind):
                self.driver.refresh()
                self.until(lambda: self.display() is not None, 'the water was never painted')
                self.check_rings_at_the_pointer(kind)

    def check_rings_at_the_pointer(self, kind):
        # The clock stands still, so that the rings are as large when seen as when they fell.
        self.set_tick(200000)
        self.settled()
        canvas = self.canvas()
        left, top, right, bottom = canvas.painted()
        calm = canvas.at(left, top)
        cx, cy = canvas.css_point(left + (right - left) * 2 // 5, top + (bottom - top) * 3 // 5)
        x, y = canvas.device_pixel(cx, cy)
        self.click_at(cx, cy, kind)
        self.set_tick(200300)

        def rings():
            now = self.canvas()
            changed = [(px, py) for py in range(top, bottom) for px in range(left, right)
                       if now.at(px, py) != calm]
            return changed if changed else None

        self.until(rings, 'no ring appeared')
        self.settled()
        changed = rings()
        centre_x = (min(p[0] for p in changed) + max(p[0] for p in changed) + 1) / 2
        centre_y = (min(p[1] for p in changed) + max(p[1] for p in changed) + 1) / 2
        self.assertLessEqual(abs(centre_x - x), cell_size(self.ratio), (centre_x, x))
        self.assertLessEqual(abs(centre_y - y), cell_size(self.ratio), (centre_y, y))

    def test_boxes_by_mouse_and_keyboard(self):
        for name in BOXES:
            with self.subTest(box=name):
                box = self.box(name)
                self.driver.find_element(By.XPATH, f"//label[normalize-space()='{name}']").click()
                self.assertTrue(box.is_selected())
                box.send_keys(Keys.SPACE)
                self.assertFalse(box.is_selected())
        # Tab moves through the boxes in the dialog's order, and Space turns the focused one on.
        self.box(BOXES[0]).click()
        self.box(BOXES[0]).click()
        focused = []
        for _ in BOXES:
            ActionChains(self.driver).send_keys(Keys.TAB).perform()
            name = self.driver.execute_script(
                'return document.activeElement.parentElement.textContent.trim()')
            focused.append(name)
        self.assertEqual([name for name in focused if name in BOXES], list(BOXES[1:]))
        ActionChains(self.driver).send_keys(Keys.SPACE).perform()
        self.assertTrue(self.driver.execute_script('return document.activeElement.checked'))

    def test_rain_falls_by_itself(self):
        self.settled()
        canvas = self.canvas()
        left, top, right, bottom = canvas.painted()
        calm = canvas.at(left, top)
        self.box('Rain').click()
        self.until(lambda: any(self.canvas().at(x, y) != calm for y in range(top, bottom, 4)
                               for x in range(left, right, 4)), 'no rain fell')

    def test_size_list_gives_200_by_200(self):
        Select(self.driver.find_element(By.TAG_NAME, 'select')).select_by_visible_text('200 x 200')
        side = 200 * cell_size(self.ratio)
        self.until(lambda: (lambda d: d and (d[2] - d[0], d[3] - d[1]) == (side, side))(
            self.display()), 'the water never became 200 x 200 cells')

    def test_stretch_fills_the_frame(self):
        self.box('Stretch').click()
        inside = self.frame_inside()
        self.until(lambda: self.display() == inside, f'the water never filled the frame {inside}')

    def test_about_opens_and_closes(self):
        self.driver.find_element(By.CSS_SELECTOR, '.sysmenu').click()
        self.driver.find_element(By.XPATH, "//*[@role='menuitem'][contains(., 'About')]").click()
        dialog = self.driver.find_element(By.CSS_SELECTOR, 'dialog[open]')
        self.assertIn('Ondeline Version 1.0', dialog.text)
        self.assertIn('A calm patch of water.', dialog.text)
        dialog.find_element(By.XPATH, ".//button[normalize-space()='OK']").click()
        self.until(lambda: not self.driver.find_elements(By.CSS_SELECTOR, 'dialog'),
                   'the About box stayed open')
        # Escape closes it too, and the water goes on meanwhile.
        self.driver.find_element(By.CSS_SELECTOR, '.sysmenu').click()
        self.driver.find_element(By.XPATH, "//*[@role='menuitem'][contains(., 'About')]").click()
        self.driver.find_element(By.CSS_SELECTOR, 'dialog[open]')
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.until(lambda: not self.driver.find_elements(By.CSS_SELECTOR, 'dialog'),
                   'Escape left the About box open')

    def test_opens_from_disk(self):
        self.driver.get(f'file://{os.path.abspath(SITE)}/index.html')
        self.until(lambda: self.display() is not None, 'the page from disk never painted water')

    def test_page_title_and_icon(self):
        self.assertEqual(self.driver.title, 'Ondeline')
        icon = self.driver.execute_script("return document.querySelector('link[rel=icon]').href")
        self.assertTrue(icon.startswith('data:image/png;base64,'), icon[:40])

    def test_frames_match_the_renderer(self):
        start = 100000
        later = start + 700
        self.set_tick(start)
        for name in ('Add Color', 'Spectrum'):
            self.box(name).click()
        self.settled()
        canvas = self.canvas()
        rect = canvas.painted()
        left, top, right, bottom = rect
        cx, cy = canvas.css_point(left + (right - left) * 2 // 5, top + (bottom - top) // 3)
        x, y = canvas.device_pixel(cx, cy)
        self.click_at(cx, cy)
        self.settled()
        self.set_tick(later)
        self.settled()
        scene = (f'grid {NATURAL_GRID} {NATURAL_GRID}\noptions spectrum color\n'
                 f'rect {left} {top} {right} {bottom}\nclick {x} {y} {start}\nnow {later}\n')
        dump = subprocess.run([RENDERER, '--dump', '-'], input=scene, capture_output=True,
                              text=True, check=True).stdout.splitlines()
        rows = [[int(word, 16) for word in line.split()] for line in dump[1:1 + NATURAL_GRID]]
        canvas = self.canvas()
        size = cell_size(self.ratio)
        mismatches = [(col, row) for row in range(NATURAL_GRID) for col in range(NATURAL_GRID)
                      for dy in range(size) for dx in range(size)
                      if canvas.at(left + col * size + dx, top + row * size + dy)
                      != widened(rows[row][col]) + (255,)]
        self.assertEqual(mismatches[:5], [], f'{len(mismatches)} pixels differ')


class AtRatio1(PageTest, unittest.TestCase):
    ratio = 1


class AtRatio1_5(PageTest, unittest.TestCase):
    ratio = 1.5


class AtRatio2(PageTest, unittest.TestCase):
    ratio = 2


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


if __name__ == '__main__':
    if len(sys.argv) < 3:
        sys.exit('usage: page_test.py SITE_FOLDER ONDELINE_RENDER [unittest options]')
    SITE, RENDERER = sys.argv[1], sys.argv[2]
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', 0), functools.partial(QuietHandler, directory=SITE))
    SERVER_URL = f'http://127.0.0.1:{server.server_address[1]}'
    threading.Thread(target=server.serve_forever, daemon=True).start()
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
