// Takes pictures of pages in headless Chromium for the README: each job is
// "PAGE|PNG|WIDTH|SCHEME[|full]", SCHEME light or dark, full for the whole
// page rather than the first screen (800 px high).
//   node screenshot.mjs TOOLS_DIR JOB...
// TOOLS_DIR is the folder tests/browser/install-tools.sh printed.
import { createRequire } from 'node:module';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [toolsDir, ...jobs] = process.argv.slice(2);
if (!toolsDir || jobs.length === 0) {
  console.error('usage: node screenshot.mjs TOOLS_DIR PAGE|PNG|WIDTH|SCHEME[|full]...');
  process.exit(2);
}
const require = createRequire(join(resolve(toolsDir), 'node_modules', 'shot.cjs'));
const { chromium } = require('playwright-core');

const profile = mkdtempSync(join(tmpdir(), 'tw-shot-profile-'));
const watchdog = setTimeout(() => {
  console.error('screenshot: not finished after 300 s');
  rmSync(profile, { recursive: true, force: true });
  process.exit(2);
}, 300000);
let context;
let rc = 0;
try {
  const args = ['--no-first-run', '--disable-gpu', '--hide-scrollbars'];
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args,
    timeout: 60000,
  });
  const page = context.pages()[0] || (await context.newPage());
  for (const job of jobs) {
    const [file, png, width, scheme, full] = job.split('|');
    await page.setViewportSize({ width: Number(width), height: 800 });
    await page.emulateMedia({ colorScheme: scheme });
    await page.goto(pathToFileURL(resolve(file)).href, { waitUntil: 'load' });
    await page.screenshot({ path: png, fullPage: full === 'full', timeout: 60000 });
    console.log(png);
  }
} catch (e) {
  console.error(`screenshot: ${e && e.message ? e.message : e}`);
  rc = 2;
}
if (context) await context.close().catch(() => {});
rmSync(profile, { recursive: true, force: true });
clearTimeout(watchdog);
process.exit(rc);
