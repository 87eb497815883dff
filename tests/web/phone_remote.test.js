// The phone remote against a real server driving a real MPD: a track tapped in an album
// plays within its album, search ignores accents, album rows carry covers, the queue can be
// edited, the page installs (manifest, icons, favicon), and a player that went away is
// shown as such with the server's own text. What the page did is checked in MPD with mpc.
'use strict';
const path = require('path');
const fs = require('fs');
const os = require('os');
const http = require('http');
const assert = require('assert');
const { execFileSync } = require('child_process');
const { chromium } = require(path.join(__dirname, '../../web/tests/node_modules/playwright-core'));

const port = Number(process.env.VANTOR_WEB_PORT || 18569);
const shots = process.env.VANTOR_SCREENSHOTS || path.join(os.tmpdir(), 'vantor-shots');
const socket = process.env.VANTOR_MPD_SOCKET;
const qrmLog = process.env.VANTOR_QRM_LOG;
const base = `http://127.0.0.1:${port}`;
const iphone = 'Mozilla/5.0 (iPhone; CPU iPhone OS 17_0 like Mac OS X) AppleWebKit/605.1.15 ' +
  '(KHTML, like Gecko) Version/17.0 Mobile/15E148 Safari/604.1';

function get(target, timeoutMs = 15000) {
  return new Promise((resolve, reject) => {
    const req = http.get(base + target, (res) => {
      const chunks = [];
      res.on('data', (d) => chunks.push(d));
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks) }));
    });
    req.setTimeout(timeoutMs, () => req.destroy(new Error('no answer to ' + target.slice(0, 60))));
    req.on('error', reject);
  });
}

// Another client talking to the server through the protocol bridge.
async function xml(name, fields = '', timeoutMs) {
  const doc = `<${name}><requestId>1</requestId>${fields}</${name}>`;
  return (await get('/xml?m=' + encodeURIComponent(doc), timeoutMs)).body.toString('utf8');
}

function mpc(...args) {
  return execFileSync('mpc', ['-h', socket, ...args], { encoding: 'utf8' }).trim();
}
const queueTitles = () => mpc('-f', '%title%', 'playlist').split('\n').filter(Boolean);
const currentTitle = () => mpc('-f', '%title%', 'current');

async function until(what, fn, timeoutMs = 10000) {
  const deadline = Date.now() + timeoutMs;
  let last;
  for (;;) {
    try {
      last = await fn();
      if (last) return last;
    } catch (e) { last = e.message; }
    if (Date.now() > deadline) throw new Error(`${what} (last: ${JSON.stringify(last)})`);
    await new Promise((r) => setTimeout(r, 150));
  }
}

// Waits for the HTTP channel, then for the library to hold MPD's songs.
async function waitForServer() {
  await until('the HTTP channel came up', async () => (await get('/', 2000)).status === 301, 60000);
  await until('the library was indexed', async () =>
    (await xml('BrowseLibraryRequest', '<path>\\Music\\Albums</path>')).includes('Night Shift'), 60000);
}

async function step(name, fn) {
  const started = Date.now();
  try {
    await fn();
    console.log(`ok   ${name} (${Date.now() - started} ms)`);
  } catch (e) {
    console.log(`FAIL ${name}: ${e.message}`);
    throw e;
  }
}

(async () => {
  fs.mkdirSync(shots, { recursive: true });
  await waitForServer();
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vantor-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/lib/chromium/chromium',
    headless: true,
    args: ['--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1', '--no-sandbox',
      '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
    viewport: { width: 390, height: 844 },
    deviceScaleFactor: 1,
    isMobile: true,
    hasTouch: true,
    userAgent: iphone,
  });
  const page = context.pages()[0] || await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  const shot = async (name) => {
    await page.waitForSelector('#toast', { state: 'hidden', timeout: 6000 }).catch(() => {});
    await page.screenshot({ path: path.join(shots, name + '.png') });
  };
  const tab = (view) => page.click(`button[data-view=${view}]`);
  const libTitle = () => page.textContent('#lib-title');
  const row = (name) => page.locator('#library li', { has: page.locator('.name', { hasText: new RegExp(`^${name}$`) }) }).first();
  const sheetButton = (label) => page.locator('#sheet-actions button', { hasText: new RegExp(`^${label}$`) });
  let failed = false;
  try {
    await step('the page installs: one page at both addresses, manifest, icons and favicon', async () => {
      const index = await get('/iphone/');
      const phone = await get('/iphone/phone.html');
      assert.strictEqual(index.status, 200);
      assert.ok(index.body.equals(phone.body), 'index.html and phone.html differ');
      const manifest = await get('/iphone/manifest.webmanifest');
      assert.strictEqual(manifest.status, 200);
      const icons = JSON.parse(manifest.body.toString('utf8')).icons;
      assert.ok(icons.some((i) => i.sizes === '512x512') && icons.some((i) => i.sizes === '192x192'));
      for (const icon of icons) {
        const res = await get(icon.src);
        assert.strictEqual(res.status, 200, icon.src);
        assert.strictEqual(res.headers['content-type'], icon.type, icon.src);
      }
      const favicon = await get('/favicon.ico');
      assert.strictEqual(favicon.status, 200);
      assert.strictEqual(favicon.headers['content-type'], 'image/x-icon');
      assert.ok(!/File not found: .*favicon/.test(fs.readFileSync(qrmLog, 'utf8')), 'the favicon is logged as missing');
      await page.goto(base + '/');
      assert.strictEqual(new URL(page.url()).pathname, '/iphone/');
      const linked = await page.evaluate(() => fetch(document.querySelector('link[rel=manifest]').href).then((r) => r.json()));
      assert.strictEqual(linked.start_url, '/iphone/');
    });

    await step('album rows show their artist and cover; the queue says when it is empty', async () => {
      await tab('queue');
      await page.waitForSelector('#queue-empty:not([hidden])');
      await tab('library');
      await until('the library opened at Music', async () => (await libTitle()) === 'Music');
      await shot('library');
      await row('Albums').locator('.row').click();
      await until('albums listed', async () => (await libTitle()) === 'Albums');
      const album = row('Night Shift');
      await until('the album row shows its artist', async () => (await album.locator('.sub').textContent()) === 'Lena Varga Trio');
      await until('the album row shows its cover', () => album.locator('.thumb img').evaluate((img) => !img.hidden && img.naturalWidth > 0));
      assert.ok((await album.locator('.thumb img').getAttribute('src')).startsWith('/art/'));
      // No internal type names under rows.
      const subs = await page.locator('#library .sub').allTextContents();
      assert.ok(!subs.some((s) => /^(album|artist|music|folder|genre)$/.test(s)), subs.join('|'));
      await shot('albums');
    });

    await step('a track tapped in the middle of an album plays the album from that track', async () => {
      await row('Night Shift').locator('.row').click();
      await until('the album opened', async () => (await libTitle()) === 'Night Shift');
      await until('track numbers shown', async () =>
        (await page.locator('#library .num').allTextContents()).join(',') === '1,2,3,4');
      await shot('album');
      await row('Small Hours').locator('.row').click();
      await until('MPD plays Small Hours', () => currentTitle() === 'Small Hours' && /\[playing\]/.test(mpc('status')));
      assert.deepStrictEqual(queueTitles(), ['Blue Hour', 'Last Call', 'Small Hours', 'Closing Time']);
      await tab('now');
      await until('the page shows what plays', async () => (await page.textContent('#title')) === 'Small Hours' &&
        (await page.textContent('#state')) === 'Playing');
      await page.waitForTimeout(1200);  // the clock ticks once, for the screenshot
      await shot('now-playing');
    });

    await step('search updates as you type and ignores accents: "bjork" finds "Björk"', async () => {
      await tab('library');
      await page.locator('#search').pressSequentially('bjork', { delay: 40 });
      await until('search results', async () => (await libTitle()) === 'Search' && await row('Björk').count() > 0);
      assert.strictEqual(await row('Björk').locator('.sub').textContent(), 'Artist');
      await shot('search');
      await row('Björk').locator('.more-btn').click();
      assert.ok(await sheetButton('Play').isVisible());
      assert.ok(await sheetButton('Add to queue').isVisible());
      await sheetButton('Cancel').click();
      await row('Björk').locator('.row').click();
      await until('the artist opened', async () => (await libTitle()) === 'Frost Lines' || (await libTitle()) === 'Björk');
      await page.click('#back');
      await until('back at the search', async () => (await libTitle()) === 'Search');
    });

    await step('the queue: move, play next, save and clear change MPD\'s queue and playlists', async () => {
      await tab('queue');
      const qrow = (n) => page.locator('#queue li').nth(n);
      await until('four rows', async () => await page.locator('#queue li').count() === 4);
      assert.ok(await qrow(2).getAttribute('class').then((c) => /current/.test(c)));
      await shot('queue');
      // Closing Time up one place.
      await qrow(3).locator('.more-btn').click();
      await sheetButton('Move up').click();
      await until('moved in MPD', () => queueTitles().join('|') === 'Blue Hour|Last Call|Closing Time|Small Hours');
      // Blue Hour to play after the current track (now third).
      await until('the page shows the new order', async () => (await qrow(2).locator('.name').textContent()).endsWith('Closing Time'));
      await qrow(0).locator('.more-btn').click();
      await sheetButton('Play next').click();
      await until('play next in MPD', () => queueTitles().join('|') === 'Last Call|Closing Time|Small Hours|Blue Hour');
      assert.strictEqual(currentTitle(), 'Small Hours');
      // Kept as one of MPD's playlists; the same name again is refused with the server's text.
      for (const attempt of [1, 2]) {
        await page.click('#queue-save');
        await page.fill('#sheet-input', 'Night Mix');
        if (attempt === 1) await shot('queue-save');
        await page.press('#sheet-input', 'Enter');
        if (attempt === 1) {
          await until('saved in MPD', () => mpc('lsplaylists').split('\n').includes('Night Mix'));
          assert.strictEqual(mpc('-f', '%title%', 'playlist', 'Night Mix').split('\n').join('|'),
            'Last Call|Closing Time|Small Hours|Blue Hour');
        } else {
          await page.waitForSelector('#toast.error:not([hidden])');
        }
      }
      await page.click('#queue-clear');
      assert.ok(await sheetButton('Clear queue').isVisible(), 'clear asks first');
      await sheetButton('Clear queue').click();
      await until('MPD\'s queue is empty', () => queueTitles().length === 0);
      await page.waitForSelector('#queue-empty:not([hidden])');
    });

    await step('"play now" on a whole category asks before replacing the queue', async () => {
      await tab('library');
      await page.fill('#search', '');
      await page.locator('#search').dispatchEvent('input');
      await until('back at the library', async () => (await libTitle()) === 'Music');
      await row('Albums').locator('.more-btn').click();
      await sheetButton('Play').click();
      assert.ok(await sheetButton('Replace the queue').isVisible());
      await sheetButton('Cancel').click();
      assert.strictEqual(queueTitles().length, 0);
    });

    await step('"Rescan library" finds a file added to the music folder', async () => {
      const music = process.env.VANTOR_MUSIC;
      const added = path.join(music, 'Tidewater', 'Slow Coast', '02 Salt Marsh.mp3');
      execFileSync('ffmpeg', ['-v', 'error', '-f', 'lavfi', '-i', 'sine=frequency=220:duration=5', '-ac', '1',
        '-c:a', 'libmp3lame', '-metadata', 'title=Salt Marsh', '-metadata', 'artist=Tidewater',
        '-metadata', 'album=Slow Coast', '-metadata', 'track=2', added]);
      await page.click('#rescan');
      await page.locator('#search').pressSequentially('salt', { delay: 40 });
      await until('the new track is found', async () => {
        await page.locator('#search').dispatchEvent('input');
        await page.waitForTimeout(400);
        return await row('Salt Marsh').count() > 0;
      }, 20000);
    });

    await step('a player that went away: the server\'s text for 102 and the not-connected state', async () => {
      await tab('now');
      process.kill(Number(process.env.VANTOR_MPD_PID), 'SIGTERM');
      await page.click('#play');
      await until('the 102 text is shown', async () =>
        (await page.textContent('#toast')) === 'There was an error communicating with the media player');
      await page.waitForSelector('#no-player:not([hidden])');
      const reason = await page.textContent('#no-player-reason');
      assert.ok(/MPD/.test(reason), reason);
      assert.notStrictEqual(await page.textContent('#state'), 'Playing');
      const before = await page.textContent('#pos');
      await page.waitForTimeout(2200);
      assert.strictEqual(await page.textContent('#pos'), before, 'the clock ran without a player');
      await page.screenshot({ path: path.join(shots, 'not-connected.png') });
    });

    await step('the page scrolls only vertically at phone size', async () => {
      for (const view of ['now', 'queue', 'library']) {
        await tab(view);
        const wide = await page.evaluate(() => document.documentElement.scrollWidth);
        assert.ok(wide <= 390, `${view} is ${wide} px wide`);
      }
    });
    assert.deepStrictEqual(errors, []);
  } catch (e) {
    failed = true;
    await page.screenshot({ path: path.join(shots, 'failure.png') }).catch(() => {});
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  console.log(failed ? 'phone remote: FAILED' : `phone remote: passed; screenshots in ${shots}`);
  process.exit(failed ? 1 : 0);
})().catch((e) => { console.error(e); process.exit(1); });
