// Takes pictures of pages in headless Chromium for the README: each job is
// "PAGE|PNG|WIDTH|SCHEME[|full]", SCHEME light or dark, full for the whole
// page rather than the first screen (800 px high).
//   node screenshot.mjs TOOLS_DIR JOB...
// TOOLS_DIR is the folder tests/browser/install-tools.sh printed.
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { headlessBrowser } from '../tests/browser/browser.mjs';

const [toolsDir, ...jobs] = process.argv.slice(2);
if (!toolsDir || jobs.length === 0) {
  console.error('usage: node screenshot.mjs TOOLS_DIR PAGE|PNG|WIDTH|SCHEME[|full]...');
  process.exit(2);
}
const browser = headlessBrowser(toolsDir, 'shot');
const watchdog = setTimeout(async () => {
  console.error('screenshot: not finished after 300 s');
  await browser.close();
  process.exit(2);
}, 300000);
let rc = 0;
try {
  const page = await browser.open(['--hide-scrollbars']);
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
await browser.close();
clearTimeout(watchdog);
process.exit(rc);
