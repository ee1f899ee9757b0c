#!/usr/bin/python3
"""Measures the share of one processor core that Ondeline's page takes in headless Chromium, from
/proc: its renderer process alone, and every process of the browser together.

    /usr/bin/python3 tools/scripts/measure-web-cpu.py [SITE_FOLDER] [--seconds N]

The page runs at 200 x 200 cells with Rain and Stretch on (as the desktop's figures), then calm,
in a 1280 x 720 and a 3840 x 2160 window; the site defaults to build-web/site.
"""

import argparse
import functools
import http.server
import os
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.select import Select
from selenium.webdriver.support.wait import WebDriverWait

TICKS = os.sysconf('SC_CLK_TCK')
SIZES = ((1280, 720), (3840, 2160))


def children(pid):
    """Every descendant of pid, from /proc."""
    parents = {}
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                with open(f'/proc/{entry}/stat') as stat:
                    parents[int(entry)] = int(stat.read().rsplit(')', 1)[1].split()[1])
            except OSError:
                pass
    found, queue = [], [pid]
    while queue:
        parent = queue.pop()
        for child, its_parent in parents.items():
            if its_parent == parent:
                found.append(child)
                queue.append(child)
    return found


def cpu_ticks(pid):
    try:
        with open(f'/proc/{pid}/stat') as stat:
            fields = stat.read().rsplit(')', 1)[1].split()
        return int(fields[11]) + int(fields[12])
    except OSError:
        return 0


def is_renderer(pid):
    # Chromium rewrites its children's command lines into one string, spaces and all.
    try:
        with open(f'/proc/{pid}/cmdline', 'rb') as cmdline:
            arguments = cmdline.read().replace(b'\0', b' ')
    except OSError:
        return False
    return b'--type=renderer' in arguments and b'--extension-process' not in arguments


def share(pids, seconds):
    before = sum(cpu_ticks(pid) for pid in pids)
    time.sleep(seconds)
    return 100.0 * (sum(cpu_ticks(pid) for pid in pids) - before) / TICKS / seconds


def measure(url, width, height, seconds):
    options = Options()
    for argument in ('--headless=new', '--no-sandbox', '--disable-gpu',
                     f'--window-size={width},{height}', '--force-device-scale-factor=1'):
        options.add_argument(argument)
    service = Service('/usr/bin/chromedriver')
    driver = webdriver.Chrome(options=options, service=service)
    try:
        driver.get(url)
        WebDriverWait(driver, 30).until(lambda d: d.find_elements(By.TAG_NAME, 'select'))
        Select(driver.find_element(By.TAG_NAME, 'select')).select_by_visible_text('200 x 200')
        for name in ('Rain', 'Stretch'):
            driver.find_element(By.XPATH, f"//label[normalize-space()='{name}']").click()
        time.sleep(2)
        browser = children(service.process.pid)
        renderers = [pid for pid in browser if is_renderer(pid)]
        rain = (share(renderers, seconds), share(browser, seconds))
        driver.find_element(By.XPATH, "//label[normalize-space()='Rain']").click()
        time.sleep(16)  # every drop fades within fifteen seconds
        calm = (share(renderers, seconds), share(browser, seconds))
        return rain, calm
    finally:
        driver.quit()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('site', nargs='?', default='build-web/site')
    parser.add_argument('--seconds', type=float, default=20)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0),
                                             functools.partial(QuietHandler, directory=args.site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f'http://127.0.0.1:{server.server_address[1]}/index.html'
    print('| window | rain, renderer | rain, whole browser | calm, renderer | calm, whole browser |')
    print('|---|---|---|---|---|')
    for width, height in SIZES:
        (rain, rain_all), (calm, calm_all) = measure(url, width, height, args.seconds)
        print(f'| {width} x {height} | {rain:.1f} % | {rain_all:.1f} % | {calm:.1f} % | '
              f'{calm_all:.1f} % |', flush=True)


if __name__ == '__main__':
    main()
