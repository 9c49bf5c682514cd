// The check's HTML report ordered by page in Chromium: one table holds the
// rows of every shown kind, sorted by page and line, and the kind box still
// filters it. Usage: node report-order.mjs TOOLS_DIR REPORT.html
import { resolve } from 'node:path';
import { headlessBrowser } from './browser.mjs';

const [toolsDir, report] = process.argv.slice(2);
const browser = headlessBrowser(toolsDir, 'report-order');
const failures = [];
try {
  const page = await browser.open();
  await page.goto('file://' + resolve(report));
  const rows = (selector) =>
    page.$$eval(selector, (rs) => rs.map((r) => [r.cells[1].textContent, Number(r.cells[2].textContent) || 0]));
  const total = await page.$$eval('section.kind tbody tr', (rs) => rs.length);
  await page.selectOption('#order', 'page');
  const byPage = await rows('#by-page tbody tr');
  const sorted = byPage.every((r, i) => i === 0 || byPage[i - 1][0] < r[0] ||
    (byPage[i - 1][0] === r[0] && byPage[i - 1][1] <= r[1]));
  if (byPage.length !== total) failures.push(`by page: ${byPage.length} rows of ${total}`);
  if (!sorted) failures.push('by page: rows not in page and line order');
  if (await page.$$eval('section.kind', (ss) => ss.some((s) => !s.hidden)))
    failures.push('by page: a kind section still shows');
  const kind = await page.$eval('section.kind', (s) => s.id);
  const ofKind = await page.$$eval(`#${kind} tbody tr`, (rs) => rs.length);
  await page.selectOption('#kind', kind);
  if ((await rows('#by-page tbody tr')).length !== ofKind)
    failures.push(`by page, one kind: not the ${ofKind} rows of ${kind}`);
  await page.selectOption('#order', 'kind');
  if (!(await page.$eval('#by-page', (s) => s.hidden))) failures.push('by kind: the page table shows');
} finally {
  await browser.close();
}
for (const f of failures) console.error(`report-order: ${f}`);
console.log(`report order: ${failures.length ? 'FAILED' : 'ok'}`);
process.exit(failures.length ? 1 : 0);
