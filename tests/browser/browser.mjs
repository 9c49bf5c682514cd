// Headless Chromium for the browser checks and the README's pictures: the
// machine's own Chromium (CHROMIUM, default /usr/bin/chromium) driven by the
// cached playwright-core, in a fresh profile folder that close() removes,
// whenever it is called; as root without the sandbox, which root cannot use.
import { createRequire } from 'node:module';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

// require() that finds the packages install-tools.sh put in TOOLS_DIR.
export function toolsRequire(toolsDir) {
  return createRequire(join(resolve(toolsDir), 'node_modules', 'tw.cjs'));
}

export function headlessBrowser(toolsDir, name) {
  const { chromium } = toolsRequire(toolsDir)('playwright-core');
  const profile = mkdtempSync(join(tmpdir(), `tw-${name}-profile-`));
  let context;
  return {
    async open(extraArgs = []) {
      // No updates, sync or other background traffic: the machine may have no
      // network, and the pages are local files.
      const args = [
        '--no-first-run', '--disable-gpu', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', ...extraArgs,
      ];
      if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
      context = await chromium.launchPersistentContext(profile, {
        executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
        headless: true,
        args,
        timeout: 60000,
      });
      return context.pages()[0] || (await context.newPage());
    },
    async close() {
      if (context) await context.close().catch(() => {});
      rmSync(profile, { recursive: true, force: true });
    },
  };
}
