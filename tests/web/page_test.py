#!/usr/bin/python3
"""Serves the browser build's folder on 127.0.0.1, as any static web host would, and drives the page
in headless Chromium: the committed winning run fed to it frame by frame, with pictures of chosen
frames; real keys and mouse on the simulated clock; and the page as a player opens it (banner,
countdown, frame rate, letterbox). Prints what it measured; exits 1 at the first check that fails.
PAGE_TESTS=browser_picture instead writes OUT_DIR/browser.png, the page mid-race.

Usage: page_test.py WEB_DIR SCRIPT SIM_OUTPUT OUT_DIR FRAME...
"""
import base64
import functools
import http.server
import os
import sys
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains

web_dir, script_path, sim_output_path, out_dir = sys.argv[1:5]
shot_frames = [int(n) for n in sys.argv[5:]]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(QuietHandler, directory=web_dir))
threading.Thread(target=server.serve_forever, daemon=True).start()
url = 'http://127.0.0.1:%d/index.html' % server.server_address[1]


def fail(message):
    print('FAIL: ' + message)
    sys.exit(1)


def browser(width, height):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    # WebGL without a GPU, none of the background traffic a closed network refuses, and shared
    # memory in /tmp, as a container's /dev/shm may be too small for the browser.
    for flag in ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--no-first-run', '--disable-quic', '--disable-dev-shm-usage',
                 '--window-size=%d,%d' % (width, height)]:
        options.add_argument(flag)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.set_script_timeout(900)
    return driver


def open_page(driver, address):
    # A new address that differs only after '#' would not load the page again.
    driver.get('about:blank')
    driver.get(address)
    wait_until_started(driver)


def wait_until_started(driver):
    for _ in range(300):
        if driver.execute_script('return window.Module !== undefined && Module.vantorStarted === true'):
            return
        time.sleep(0.05)
    fail('the page did not start: ' + repr(driver.get_log('browser')[-5:]))


def state(line):
    """The phase, z, whether the beam holds, and the race time of a state line."""
    fields = line.split()
    return {'phase': fields[2], 'z': float(fields[6]), 'beam': fields[12] == '1', 'time': fields[13]}


def replay_run(driver):
    """Every frame of the winning run through the page; pictures of the chosen frames."""
    open_page(driver, url + '#replay')
    with open(script_path) as f:
        script = f.read()
    result = driver.execute_async_script('''
        const [script, shots, done] = arguments;
        const count = Module.ccall('vantor_replay_load', 'number', ['string'], [script]);
        const lines = [], pictures = {};
        const started = performance.now();
        (async () => {
            for (let frame = 1; frame <= count; ++frame) {
                lines.push(UTF8ToString(Module._vantor_replay_next()));
                // Read before the page yields: the drawing buffer is only kept until it is shown.
                if (shots.includes(frame))
                    pictures[frame] = Module.canvas.toDataURL('image/png');
                if (frame % 60 == 0)
                    await new Promise(resolve => setTimeout(resolve, 0));
            }
            done({count, lines, pictures, ms: performance.now() - started});
        })();''', script, shot_frames)
    if result['count'] <= 0:
        fail('the page did not take the script')
    with open(sim_output_path) as f:
        expected = f.read().splitlines()
    if len(result['lines']) != len(expected):
        fail('%d frames played, the simulator has %d' % (len(result['lines']), len(expected)))
    for number, (got, want) in enumerate(zip(result['lines'], expected), 1):
        if got != want:
            fail('frame %d differs from the simulator:\n  page: %s\n  sim:  %s' % (number, got, want))
    print('replay: %d frames, every state line as the simulator prints it; last: %s' %
          (result['count'], result['lines'][-1]))
    print('replay: %.1f frames per second drawn in the page' % (1000.0 * result['count'] / result['ms']))
    for frame, data_url in result['pictures'].items():
        with open('%s/page-%s.png' % (out_dir, frame), 'wb') as f:
            f.write(base64.b64decode(data_url.split(',', 1)[1]))


def live_input(driver):
    """Real key and mouse events, each followed by frames on the simulated clock."""
    open_page(driver, url + '#replay')
    canvas = driver.find_element('id', 'canvas')

    def frames(n):
        return state(driver.execute_script(
            'let line; for (let i = 0; i < arguments[0]; ++i) line = UTF8ToString(Module._vantor_live_frame(16));'
            ' return line;', n))

    def key(kind, code, key_name, repeat=False):
        driver.execute_cdp_cmd('Input.dispatchKeyEvent', {
            'type': kind, 'key': key_name, 'code': 'Key' + key_name.upper() if key_name != ' ' else 'Space',
            'windowsVirtualKeyCode': code, 'nativeVirtualKeyCode': code, 'autoRepeat': repeat,
            'text': key_name if kind == 'keyDown' else ''})

    before = frames(200)  # past the countdown
    if before['phase'] != 'Racing':
        fail('not racing after the countdown: %s' % before)
    coasting = frames(30)
    if coasting['z'] != before['z']:
        fail('the car moved with no key held')
    key('keyDown', 87, 'w')
    for _ in range(10):  # a held key repeats as presses with no release
        frames(3)
        key('keyDown', 87, 'w', repeat=True)
    held = frames(10)
    key('keyUp', 87, 'w')
    if not held['z'] > before['z'] + 10:
        fail('holding w did not move the car: %s then %s' % (before, held))
    print('live: holding w moved the car from z %.1f to %.1f' % (before['z'], held['z']))

    # The winning run up to just before its beam attaches, then the real mouse button.
    with open(script_path) as f:
        lines = [l for l in f.read().splitlines() if l.strip() and not l.startswith('#')]
    driver.execute_script('Module.ccall("vantor_replay_load", "number", ["string"], [arguments[0]]);'
                          ' for (let i = 0; i < arguments[1]; ++i) Module._vantor_replay_next();',
                          '\n'.join(lines[:397]) + '\n', 397)
    free = frames(1)
    if free['beam']:
        fail('the beam attached with no button held')
    ActionChains(driver).move_to_element(canvas).click_and_hold().perform()
    pulled = frames(1)
    ActionChains(driver).release().perform()
    if not pulled['beam']:
        fail('the left mouse button did not fire the beam: %s' % pulled)
    print('live: the left mouse button fired the beam')

    # To the end screen by driving off the track, then space: held (with repeats) it waits,
    # released it restarts.
    driver.execute_script('Module.ccall("vantor_replay_load", "number", ["string"], [arguments[0]]);',
                          '16 wa\n' * 400)
    end = None
    for _ in range(40):
        end = state(driver.execute_script('let l; for (let i = 0; i < 10; ++i) l = Module._vantor_replay_next();'
                                          ' return UTF8ToString(l);'))
        if end['phase'] in ('Disqualified', 'Won'):
            break
    if end['phase'] != 'Disqualified':
        fail('driving off the track did not end the race: %s' % end)
    frames(2)
    key('keyDown', 32, ' ')
    for _ in range(5):
        key('keyDown', 32, ' ', repeat=True)
        waiting = frames(2)
        if waiting['phase'] != 'Disqualified':
            fail('the race restarted before space was released')
    key('keyUp', 32, ' ')
    restarted = frames(1)
    if restarted['phase'] != 'Countdown':
        fail('releasing space on the end screen did not restart: %s' % restarted)
    print('live: space held with repeats waited, released restarted the race')


def player_page(driver):
    """The page as a player opens it: the load, the banner, the frame rate, the letterbox."""
    open_page(driver, url)
    for _ in range(200):
        first = driver.execute_script('return Module._vantor_first_frame_ms()')
        if first >= 0:
            break
        time.sleep(0.05)
    else:
        fail('no frame drawn')
    print('page: first frame (the countdown) %.0f ms after the page began to load' % first)
    frames_then = driver.execute_script('return Module._vantor_frames_drawn()')
    time.sleep(5)
    frames_now = driver.execute_script('return Module._vantor_frames_drawn()')
    print('page: %.1f frames per second at %s' % ((frames_now - frames_then) / 5.0,
          driver.execute_script('return Module.canvas.width + " x " + Module.canvas.height')))
    console = [entry['message'] for entry in driver.get_log('browser')]
    if not any('VANTOR SPRINT' in message for message in console):
        fail('no banner in the console')
    errors = [m for m in console if 'Uncaught' in m or 'error' in m.lower()]
    if errors:
        fail('errors in the console: %s' % errors[:3])
    # A wide window: the canvas fills it and the picture keeps 4:3 between black bars.
    driver.set_window_size(1200, 500)
    time.sleep(1.5)
    size = driver.execute_script('return [Module.canvas.width, Module.canvas.height, innerWidth, innerHeight]')
    if size[0] != size[2] or size[1] != size[3]:
        fail('the canvas does not fill the resized window: %s' % size)
    driver.save_screenshot(out_dir + '/page-wide.png')
    print('page: resized to %d x %d, picture saved' % (size[0], size[1]))


def browser_picture(driver):
    """The page mid-race with the beam pulling the car, for the README."""
    # A page a little larger than the 640 x 480 picture, whatever the browser's own frame takes.
    chrome = driver.execute_script('return outerHeight - innerHeight')
    driver.set_window_size(720, 540 + chrome)
    open_page(driver, url + '#replay')
    with open(script_path) as f:
        driver.execute_script('Module.ccall("vantor_replay_load", "number", ["string"], [arguments[0]]);'
                              ' for (let i = 0; i < 420; ++i) Module._vantor_replay_next();', f.read())
    driver.save_screenshot(out_dir + '/browser.png')


driver = browser(800, 600)
try:
    # PAGE_TESTS picks some of them by name, for a quicker look while working on one.
    chosen = os.environ.get('PAGE_TESTS', 'replay_run,live_input,player_page').split(',')
    for test in (replay_run, live_input, player_page, browser_picture):
        if test.__name__ in chosen:
            test(driver)
finally:
    driver.quit()
print('PASS')
