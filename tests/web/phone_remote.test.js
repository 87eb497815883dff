// The phone remote against a real server: loads, shows what plays, plays, follows a
// volume change made by another client, browses the library, searches and plays a track.
'use strict';
const path = require('path');
const fs = require('fs');
const os = require('os');
const http = require('http');
const assert = require('assert');
const { chromium } = require(path.join(__dirname, '../../web/tests/node_modules/playwright-core'));

const port = Number(process.env.VANTOR_WEB_PORT || 18569);
const shots = process.env.VANTOR_SCREENSHOTS || path.join(os.tmpdir(), 'vantor-shots');
const base = `http://127.0.0.1:${port}`;
const iphone = 'Mozilla/5.0 (iPhone; CPU iPhone OS 17_0 like Mac OS X) AppleWebKit/605.1.15 ' +
  '(KHTML, like Gecko) Version/17.0 Mobile/15E148 Safari/604.1';

function get(target, timeoutMs = 15000) {
  return new Promise((resolve, reject) => {
    const req = http.get(base + target, (res) => {
      let body = '';
      res.setEncoding('utf8');
      res.on('data', (d) => { body += d; });
      res.on('end', () => resolve({ status: res.statusCode, body }));
    });
    req.setTimeout(timeoutMs, () => req.destroy(new Error('no answer to ' + target.slice(0, 60))));
    req.on('error', reject);
  });
}

// Another client talking to the server through the protocol bridge.
async function xml(name, fields = '', timeoutMs) {
  const doc = `<${name}><requestId>1</requestId>${fields}</${name}>`;
  return (await get('/xml?m=' + encodeURIComponent(doc), timeoutMs)).body;
}

const SKIP = 77;

// Waits for the HTTP channel, then for a library that lists something. A server built
// without the player or the library service answers neither request: that is a skip.
async function waitForServer() {
  const deadline = Date.now() + 60000;
  for (;;) {
    try {
      if ((await get('/', 2000)).status === 301) break;
    } catch (e) { /* not listening yet */ }
    if (Date.now() > deadline) throw new Error('the HTTP channel did not come up');
    await new Promise((r) => setTimeout(r, 200));
  }
  for (const [name, fields] of [['GetVolumeRequest', ''], ['BrowseLibraryRequest', '<path>\\</path>']]) {
    try {
      await xml(name, fields, 10000);
    } catch (e) {
      console.log(`skipped: this server does not answer ${name}`);
      process.exit(SKIP);
    }
  }
  for (;;) {
    const listing = await xml('BrowseLibraryRequest', '<path>\\</path><start>0</start><count>5</count>');
    if (/<returnCode>0<\/returnCode>/.test(listing) && /<result>/.test(listing)) return;
    if (Date.now() > deadline) throw new Error('the library stayed empty');
    await new Promise((r) => setTimeout(r, 250));
  }
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
  let failed = false;
  try {
    await step('the start page leads a phone to the remote, which shows the current title', async () => {
      // Something is current (and paused) before the page opens.
      await xml('PlayRequest');
      await xml('PauseRequest');
      await page.goto(base + '/');
      assert.strictEqual(new URL(page.url()).pathname, '/iphone/');
      await page.waitForFunction(() => document.getElementById('title').textContent !== 'Nothing playing',
        null, { timeout: 15000 });
      const title = await page.textContent('#title');
      assert.ok(/<title>/.test(await xml('GetCurrentMediaRequest')));
      assert.ok((await xml('GetCurrentMediaRequest')).includes(`<title>${title}</title>`), title);
    });

    await step('play changes the shown state and the player', async () => {
      await page.waitForFunction(() => document.getElementById('state').textContent === 'paused',
        null, { timeout: 10000 });
      await page.click('#play');
      await page.waitForFunction(() => document.getElementById('state').textContent === 'playing',
        null, { timeout: 10000 });
      assert.ok((await xml('GetPlayingStateRequest')).includes('<playingState>playing</playingState>'));
      assert.strictEqual(await page.getAttribute('#play', 'aria-label'), 'Pause');
    });

    await step('a volume change by another client appears without reload', async () => {
      const before = await page.evaluate(() => performance.timeOrigin);
      await xml('SetVolumeRequest', '<volume>23</volume>');
      await page.waitForFunction(() => document.getElementById('volume-value').textContent === '23',
        null, { timeout: 10000 });
      assert.strictEqual(await page.inputValue('#volume'), '23');
      assert.strictEqual(await page.evaluate(() => performance.timeOrigin), before);
      await page.waitForTimeout(1200);  // the clock ticks once, for the screenshot
      await page.screenshot({ path: path.join(shots, 'now-playing.png') });
    });

    let trackName = '';
    await step('browsing Music, Artists, an artist and an album lists its tracks', async () => {
      await page.click('button[data-view=library]');
      await page.waitForSelector('#library li');
      const rowNamed = (name) => page.locator('#library li .row', { hasText: name }).first();
      if (await page.textContent('#lib-title') !== 'Music') await rowNamed('Music').click();
      await page.waitForFunction(() => document.getElementById('lib-title').textContent === 'Music');
      await rowNamed('Artists').click();
      await page.waitForFunction(() => document.getElementById('lib-title').textContent === 'Artists');
      // The first artist after "All Tracks".
      const artist = page.locator('#library li', { has: page.locator('.kind', { hasText: /^artist$/ }) }).first();
      const artistName = await artist.locator('.name').textContent();
      await artist.locator('.row').click();
      await page.waitForFunction((a) => document.getElementById('lib-title').textContent !== 'Artists', artistName);
      // An artist with one album opens straight at its tracks.
      const albums = page.locator('#library li', { has: page.locator('.kind', { hasText: /^album$/ }) })
        .filter({ hasNotText: 'All Tracks' });
      if (await albums.count() > 0) {
        const albumName = await albums.first().locator('.name').textContent();
        await albums.first().locator('.row').click();
        await page.waitForFunction((a) => document.getElementById('lib-title').textContent === a, albumName);
      }
      const tracks = page.locator('#library li', { has: page.locator('.kind', { hasText: /^music$/ }) });
      await tracks.first().waitFor();
      assert.ok(await tracks.count() > 0);
      trackName = await tracks.first().locator('.name').textContent();
      await page.screenshot({ path: path.join(shots, 'library.png') });
      await page.click('#back');
      await page.waitForFunction(() => document.getElementById('lib-title').textContent !== '');
    });

    await step('search finds a track and "play now" starts it', async () => {
      const words = trackName.split(/\s+/).filter((w) => /^[A-Za-z]{3,}$/.test(w));
      const word = words.sort((a, b) => b.length - a.length)[0] || trackName;
      await page.fill('#search', word);
      await page.click('#search-form .go');
      await page.waitForFunction(() => document.getElementById('lib-title').textContent.startsWith('Search: '));
      const hit = page.locator('#library li', { hasText: trackName }).first();
      await hit.waitFor({ timeout: 10000 });
      await page.screenshot({ path: path.join(shots, 'search.png') });
      await hit.locator('.act', { hasText: 'Play' }).click();
      await page.click('button[data-view=now]');
      await page.waitForFunction((t) => document.getElementById('title').textContent === t, trackName,
        { timeout: 10000 });
      assert.ok((await xml('GetCurrentMediaRequest')).includes(`<title>${trackName.replace(/&/g, '&amp;')}</title>`));
      assert.ok((await xml('GetPlayingStateRequest')).includes('<playingState>playing</playingState>'));
    });

    await step('the page scrolls only vertically at phone size', async () => {
      for (const view of ['now', 'queue', 'library']) {
        await page.click(`button[data-view=${view}]`);
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
