#!/usr/bin/env bash
# Installs the browser checks' npm packages, at pinned versions, into a cache
# folder outside the source tree and prints that folder. A folder is taken as
# done only when its marker exists, and the marker is written last, so an
# install that broke off is redone; a second run does nothing.
#   tests/browser/install-tools.sh
# Environment: TW_TEST_TOOLS_CACHE (default
# ${XDG_CACHE_HOME:-$HOME/.cache}/trailwright-test-tools).
set -euo pipefail

# playwright-core 1.61 is the last that runs on Debian 12's Node.js 18. Each
# package is its registry tarball with the registry's sha512 integrity; none
# of them has dependencies.
packages=(axe-core@4.14.1 playwright-core@1.61.1 vnu-jar@26.10.12)
integrity=(
  sha512-FHfa+lmNjQZfJz1q8wKqIDwC6DExcHt/pkjNQb09a3NPjCKg2rhu5qb2S4r76ASyFNNtuFooJpZe37OgudVGtQ==
  sha512-h7Qlt6m4REp25qvIdvbDtVmD4LqVXfpRxhORv9L0jzETM05p4fuPJ3dKyuSXQxDSbXnmS79HAgi9589lGSpLkg==
  sha512-Zg67G1zM28UGEVIOSn1ns6rFSZ6JVI/FNXhw+UJaXM02AQcDE84arp/b5c0OFrvzsgd/VcmpAd9B4hX38BeZvA==
)
registry=${TW_NPM_REGISTRY:-https://registry.npmjs.org}

cache=${TW_TEST_TOOLS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/trailwright-test-tools}
key=$(printf '%s\n' "${packages[@]}" | sha256sum | cut -c1-16)
dir=$cache/$key
marker=$dir/.installed

if [ -f "$marker" ]; then
  echo "$dir"
  exit 0
fi

for tool in node curl tar; do
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
# The tarballs are fetched and unpacked as npm would, without npm's install
# scripts (vnu-jar's would fetch a Java runtime; Debian's is used). What
# decides is the sha512 pinned above, not the connection: where a proxy's
# certificate is not trusted, the fetch is repeated without checking it.
fail() {
  echo "install-tools: $*" >&2
  rm -rf "$dir.partial"
  exit 1
}
for k in "${!packages[@]}"; do
  spec=${packages[$k]}
  name=${spec%@*}
  version=${spec##*@}
  url=$registry/$name/-/$name-$version.tgz
  tgz=$dir.partial/$name.tgz
  if ! curl -fsSL --retry 2 -m 300 -o "$tgz" "$url"; then
    curl -fsSL --retry 2 -m 300 --insecure -o "$tgz" "$url" || fail "cannot fetch $url (no network?)"
  fi
  got=sha512-$(node -e 'const c=require("crypto"),f=require("fs");
    process.stdout.write(c.createHash("sha512").update(f.readFileSync(process.argv[1])).digest("base64"))' "$tgz")
  [ "$got" = "${integrity[$k]}" ] || fail "$url is not the pinned $spec (its sha512 differs)"
  mkdir -p "$dir.partial/node_modules/$name"
  tar -xzf "$tgz" -C "$dir.partial/node_modules/$name" --strip-components=1 --no-same-owner ||
    fail "cannot unpack $tgz"
  rm -f "$tgz"
done
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
