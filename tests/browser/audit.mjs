// Opens each page in headless Chromium at 1280 and 320 px wide, in the light
// and the dark colour scheme, runs axe-core (WCAG 2.0/2.1 A and AA, best
// practice) over it with every folder unfolded, and checks that nothing
// scrolls sideways at 320 px. Prints each run's violations and a summary;
// exits 1 on any finding, 2 when the browser could not do its work.
//   node audit.mjs TOOLS_DIR PAGE...
// TOOLS_DIR is the folder tests/browser/install-tools.sh printed.
// Environment: CHROMIUM (default /usr/bin/chromium), AUDIT_TIMEOUT (seconds
// for the whole run, default 600).
import { readFileSync } from 'node:fs';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { headlessBrowser, toolsRequire } from './browser.mjs';

const [toolsDir, ...pages] = process.argv.slice(2);
if (!toolsDir || pages.length === 0) {
  console.error('usage: node audit.mjs TOOLS_DIR PAGE...');
  process.exit(2);
}
const axeSource = readFileSync(toolsRequire(toolsDir).resolve('axe-core/axe.min.js'), 'utf8');

const tags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice'];
const runs = [
  { width: 1280, scheme: 'light' },
  { width: 1280, scheme: 'dark' },
  { width: 320, scheme: 'light' },
  { width: 320, scheme: 'dark' },
];
const limitMs = Number(process.env.AUDIT_TIMEOUT || 600) * 1000;

// A reader that stops early (head) must not keep the profile folder behind.
process.stdout.on('error', () => {});
const browser = headlessBrowser(toolsDir, 'audit');
const cleanUp = () => browser.close();
// A browser that hangs must not hold the test until CTest's own timeout.
const watchdog = setTimeout(async () => {
  console.error(`audit: not finished after ${limitMs / 1000} s`);
  await cleanUp();
  process.exit(2);
}, limitMs);

let findings = 0;
const kinds = new Map();
try {
  const page = await browser.open();
  page.setDefaultTimeout(120000);
  for (const file of pages) {
    for (const { width, scheme } of runs) {
      await page.setViewportSize({ width, height: 800 });
      await page.emulateMedia({ colorScheme: scheme });
      await page.goto(pathToFileURL(resolve(file)).href, { waitUntil: 'load' });
      await page.addScriptTag({ content: axeSource });
      const result = await page.evaluate(async (runOnly) => {
        // What a reader can unfold is audited too.
        for (const d of document.querySelectorAll('details')) d.open = true;
        const r = await window.axe.run(document, { runOnly, resultTypes: ['violations'] });
        return {
          violations: r.violations.map((v) => ({
            id: v.id,
            impact: v.impact,
            nodes: v.nodes.length,
            target: v.nodes.length ? String(v.nodes[0].target) : '',
          })),
          scrollWidth: document.scrollingElement.scrollWidth,
          innerWidth: window.innerWidth,
        };
      }, tags);
      const found = [...result.violations];
      if (width === 320 && result.scrollWidth > result.innerWidth) {
        found.push({
          id: 'horizontal-scroll',
          impact: 'serious',
          nodes: 1,
          target: `scrollWidth ${result.scrollWidth} > ${result.innerWidth}`,
        });
      }
      const label = `${file} ${width}px ${scheme}`;
      if (found.length === 0) {
        console.log(`${label}: no violations`);
        continue;
      }
      console.log(`${label}: ${found.length} violation kind(s)`);
      for (const v of found) {
        console.log(`  ${v.id} (${v.impact}): ${v.nodes} node(s), e.g. ${v.target}`);
        const key = `${v.id}@${width}${scheme === "dark" ? "-dark" : ""}`;
        kinds.set(key, (kinds.get(key) || 0) + v.nodes);
      }
      findings += found.length;
    }
  }
} catch (e) {
  console.error(`audit: ${e && e.message ? e.message : e}`);
  clearTimeout(watchdog);
  await cleanUp();
  process.exit(2);
}
clearTimeout(watchdog);
await cleanUp();
const summary = [...kinds].map(([k, n]) => `${k}:${n}`).join(' ');
console.log(`axe summary: ${findings} violation(s) over ${pages.length} page(s)${summary ? ': ' + summary : ''}`);
process.exit(findings === 0 ? 0 : 1);
