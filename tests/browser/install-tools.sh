#!/usr/bin/env bash
# Installs the browser checks' npm packages, at pinned versions, into a cache
# folder outside the source tree and prints that folder. A folder is taken as
# done only when its marker exists, and the marker is written last, so an
# install that broke off is redone; a second run does nothing.
#   tests/browser/install-tools.sh
# Environment: TW_TEST_TOOLS_CACHE (default
# ${XDG_CACHE_HOME:-$HOME/.cache}/trailwright-test-tools).
set -euo pipefail

# playwright-core 1.61 is the last that runs on Debian 12's Node.js 18.
packages=(axe-core@4.14.1 playwright-core@1.61.1 vnu-jar@26.10.12)

cache=${TW_TEST_TOOLS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/trailwright-test-tools}
key=$(printf '%s\n' "${packages[@]}" | sha256sum | cut -c1-16)
dir=$cache/$key
marker=$dir/.installed

if [ -f "$marker" ]; then
  echo "$dir"
  exit 0
fi

for tool in node npm; do
  command -v "$tool" >/dev/null || {
    echo "install-tools: no $tool; run scripts/setup.sh first" >&2
    exit 1
  }
done
node_major=$(node -p 'process.versions.node.split(".")[0]')
if [ "$node_major" -lt 18 ]; then
  echo "install-tools: Node.js $(node --version) is too old, 18 or newer is needed" >&2
  exit 1
fi

mkdir -p "$cache"
# One install at a time; a second caller waits and then finds it done.
exec 9>"$cache/.lock"
flock 9
if [ -f "$marker" ]; then
  echo "$dir"
  exit 0
fi

# Into a fresh folder beside the final one, moved into place when complete.
rm -rf "$dir" "$dir.partial"
mkdir -p "$dir.partial"
printf '{ "private": true }\n' >"$dir.partial/package.json"
# No install scripts: vnu-jar's would fetch a Java runtime, Debian's is used.
if ! npm install --prefix "$dir.partial" --no-audit --no-fund --ignore-scripts \
  --save-exact --loglevel=error "${packages[@]}" >&2; then
  echo "install-tools: npm install of ${packages[*]} failed (no network?)" >&2
  rm -rf "$dir.partial"
  exit 1
fi
modules=$dir.partial/node_modules
if ! [ -s "$modules/vnu-jar/build/dist/vnu.jar" ] || ! [ -s "$modules/axe-core/axe.min.js" ] ||
  ! [ -f "$modules/playwright-core/package.json" ]; then
  echo "install-tools: the installed packages are incomplete" >&2
  rm -rf "$dir.partial"
  exit 1
fi
mv "$dir.partial" "$dir"
printf '%s\n' "${packages[@]}" >"$marker"
echo "$dir"
