// Renders the phone page's icons from web/iphone/icons/icon.svg with the system's chromium:
// the home-screen PNGs and web/favicon.ico (a 32-pixel PNG inside an ICO container).
// Run it after changing the SVG; nothing here fetches anything:
//   unshare -n node tools/web-icons/render_icons.js
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const root = path.join(__dirname, '../..');
const { chromium } = require(path.join(root, 'web/tests/node_modules/playwright-core'));

const svg = fs.readFileSync(path.join(root, 'web/iphone/icons/icon.svg'), 'utf8');
const targets = [
  ['web/iphone/icons/icon-512.png', 512],
  ['web/iphone/icons/icon-192.png', 192],
  ['web/iphone/icons/apple-touch-icon.png', 180],
];

// An ICO file holding one PNG image.
function icoWith(png, size) {
  const header = Buffer.alloc(22);
  header.writeUInt16LE(0, 0);
  header.writeUInt16LE(1, 2);  // icon
  header.writeUInt16LE(1, 4);  // one image
  header.writeUInt8(size, 6);
  header.writeUInt8(size, 7);
  header.writeUInt16LE(1, 10);  // planes
  header.writeUInt16LE(32, 12);  // bits per pixel
  header.writeUInt32LE(png.length, 14);
  header.writeUInt32LE(22, 18);
  return Buffer.concat([header, png]);
}

(async () => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vantor-icons-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/lib/chromium/chromium', headless: true,
    args: ['--host-resolver-rules=MAP * ~NOTFOUND', '--no-sandbox', '--disable-gpu',
      '--no-first-run', '--disable-background-networking', '--disable-component-update'],
    viewport: { width: 600, height: 600 },
  });
  const page = context.pages()[0] || await context.newPage();
  const shot = async (size, rounded) => {
    const img = svg.replace('<svg ', `<svg width="${size}" height="${size}" `);
    await page.setContent(`<html><body style="margin:0;background:transparent">
      <div style="width:${size}px;height:${size}px;overflow:hidden;border-radius:${rounded ? size * 0.22 : 0}px">${img}</div>
      </body></html>`);
    return page.locator('div').screenshot({ omitBackground: true, timeout: 120000 });
  };
  for (const [file, size] of targets) fs.writeFileSync(path.join(root, file), await shot(size, false));
  fs.writeFileSync(path.join(root, 'web/favicon.ico'), icoWith(await shot(32, true), 32));
  await context.close();
  fs.rmSync(profile, { recursive: true, force: true });
})().catch((e) => { console.error(e); process.exit(1); });
