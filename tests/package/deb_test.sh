#!/usr/bin/env bash
# Installs the current build into a prefix and packs it as a .deb, then
# checks both as a user would meet them: the layout, the package's fields and
# dependencies, its files, and the extracted programs running from their
# links with the images beside them.
# Usage: deb_test.sh BUILD_DIR SOURCE_DIR VERSION GUI(ON|OFF) CPACK
set -uo pipefail

build=${1:?usage: deb_test.sh BUILD_DIR SOURCE_DIR VERSION GUI CPACK}
source_dir=${2:?}
version=${3:?}
gui=${4:?}
cpack=${5:?}
case $gui in ON | on | 1 | TRUE | true | YES | yes) gui=1 ;; *) gui=0 ;; esac

failures=0
checks=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    checks=$((checks + 1))
    "$@" || fail "$what"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-package-XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

program_dir=lib/zephyrix-trailwright
app_id=com.zephyrix.Trailwright
images=(smfolder.gif smfile.gif smimg.gif)

# --- cmake --install into a prefix of its own --------------------------------
prefix=$work/prefix
mkdir -m 700 "$work/runtime"
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
commands=(trailwright-cli)
((gui)) && commands+=(trailwright)
for c in "${commands[@]}"; do
    check "bin/$c is a relative link into the program folder" \
        test "$(readlink "$prefix/bin/$c")" = "../$program_dir/$c"
    check "bin/$c runs the program" test -x "$prefix/bin/$c"
done
for image in "${images[@]}"; do
    check "$image in the program folder" cmp -s "$source_dir/data/smimages/$image" \
        "$prefix/$program_dir/smimages/$image"
done
check "the manual in the program folder" cmp -s "$source_dir/data/Trailwright.html" \
    "$prefix/$program_dir/Trailwright.html"
# Only the programs, never the test or benchmark ones.
check "nothing but the two programs, the images and the manual in the program folder" \
    test "$(cd "$prefix/$program_dir" && find . -type f | LC_ALL=C sort | tr '\n' ' ')" = \
    "$( ( ((gui)) && echo ./trailwright
        printf '%s\n' ./Trailwright.html ./installed ./smimages/smfile.gif ./smimages/smfolder.gif \
            ./smimages/smimg.gif ./trailwright-cli) | LC_ALL=C sort | tr '\n' ' ')"
# The man page names the folder of this prefix.
check "the man page names the installed program folder" \
    grep -q "$prefix/$program_dir/smimages/" <(zcat "$prefix/share/man/man1/trailwright-cli.1.gz")

# --- the package --------------------------------------------------------------
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
debs=("$work"/out/*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
    ls -l "$work/out"
    echo "FAIL: expected one .deb"
    exit 1
fi
deb=${debs[0]}
arch=$(dpkg --print-architecture)
check "file name" test "$(basename "$deb")" = "zephyrix-trailwright_${version}_${arch}.deb"

dpkg-deb --info "$deb" >"$work/info" || fail "dpkg-deb --info"
field() { sed -n "s/^ $1: //p" "$work/info"; }
check "Package field" test "$(field Package)" = zephyrix-trailwright
check "Version field" test "$(field Version)" = "$version"
check "Architecture field" test "$(field Architecture)" = "$arch"
check "Maintainer field" test "$(field Maintainer)" = \
    "Zephyrix Trailwright developers <dev@zephyrix.example>"
check "Section field" test "$(field Section)" = web
check "Description field" test -n "$(field Description)"

# Every library the programs load must come from a package the .deb depends
# on: that is what the computed dependencies are for.
depends=" $(field Depends | sed 's/([^)]*)//g; s/[,|]/ /g') "
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
for c in "${commands[@]}"; do
    exe=$root/usr/$program_dir/$c
    while read -r lib; do
        owners=$(dpkg -S "$lib" 2>/dev/null | sed -n "s|^\([^:]*\)\(:[a-z0-9]*\)\?: .*/$lib\$|\1|p" |
            sort -u)
        checks=$((checks + 1))
        if [[ -z $owners ]]; then
            fail "$c needs $lib, which no installed package holds"
            continue
        fi
        found=0
        for p in $owners; do [[ $depends == *" $p "* ]] && found=1; done
        ((found)) || fail "$c needs $lib from $(echo $owners), missing in Depends:$depends"
    done < <(readelf -d "$exe" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
done
if ((gui)); then
    check "Depends names the Qt widgets library" test "${depends/libqt6widgets6/}" != "$depends"
fi

dpkg-deb --contents "$deb" >"$work/contents" || fail "dpkg-deb --contents"
in_package() { grep -qE " \./usr/$1( |$)" "$work/contents"; }
wanted=(
    "bin/trailwright-cli -> \.\./lib/zephyrix-trailwright/trailwright-cli"
    "lib/zephyrix-trailwright/trailwright-cli"
    "lib/zephyrix-trailwright/Trailwright.html"
    "lib/zephyrix-trailwright/installed"
    "share/man/man1/trailwright-cli\.1\.gz"
    "share/doc/zephyrix-trailwright/copyright"
    "share/doc/zephyrix-trailwright/changelog\.gz"
    "share/bash-completion/completions/trailwright-cli")
for image in "${images[@]}"; do wanted+=("lib/zephyrix-trailwright/smimages/$image"); done
if ((gui)); then
    wanted+=(
        "bin/trailwright -> \.\./lib/zephyrix-trailwright/trailwright"
        "lib/zephyrix-trailwright/trailwright"
        "share/man/man1/trailwright\.1\.gz"
        "share/applications/$app_id\.desktop"
        "share/metainfo/$app_id\.metainfo\.xml"
        "share/icons/hicolor/scalable/apps/$app_id\.svg"
        "share/icons/hicolor/48x48/apps/$app_id\.png"
        "share/icons/hicolor/128x128/apps/$app_id\.png")
fi
for w in "${wanted[@]}"; do check "the package holds usr/$w" in_package "$w"; done
check "every file belongs to root" test -z "$(awk '$2 != "root/root"' "$work/contents")"
check "no test or benchmark programs" test -z "$(grep -E 'tw_|bench|make_site' "$work/contents")"

# Debian's own checks of the package; any error or warning fails.
if command -v lintian >/dev/null; then
    checks=$((checks + 1))
    lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
        fail "lintian finds errors or warnings"
    cat "$work/lintian.log"
else
    fail "lintian is needed to check the package; setup installs it"
fi

# --- the extracted programs ---------------------------------------------------
cli=$root/usr/bin/trailwright-cli
check "trailwright-cli --version" test "$("$cli" --version)" = "trailwright-cli $version"
site=$work/site
mkdir -p "$site/docs"
printf '<html><head><title>Home page</title></head><body></body></html>\n' >"$site/index.html"
printf '<html><head><title>The guide</title></head></html>\n' >"$site/docs/guide.html"
if "$cli" generate --index "$site/index.html" --quiet >"$work/generate.log" 2>&1; then
    check "the site map is written" grep -q 'docs/guide.html' "$site/sitemap.html"
    check "with the page's title" grep -q 'The guide' "$site/sitemap.html"
    for image in "${images[@]}"; do
        check "$image copied from the installed program folder" \
            cmp -s "$root/usr/$program_dir/smimages/$image" "$site/$image"
    done
else
    cat "$work/generate.log"
    fail "trailwright-cli generate from the extracted package"
fi
if ((gui)); then
    check "the wizard is an executable program" test -x "$root/usr/$program_dir/trailwright"
    check "its link resolves" test "$(readlink -f "$root/usr/bin/trailwright")" = \
        "$(readlink -f "$root/usr/$program_dir/trailwright")"
    # It starts offscreen and is still running when stopped (124): its
    # libraries load. It writes nothing into the program folder.
    before=$(ls -A "$root/usr/$program_dir")
    QT_QPA_PLATFORM=offscreen HOME=$work/home XDG_CONFIG_HOME=$work/config \
        XDG_RUNTIME_DIR=$work/runtime timeout 3 "$root/usr/bin/trailwright" >"$work/wizard.log" 2>&1
    status=$?
    [[ $status -eq 124 ]] || cat "$work/wizard.log"
    check "the wizard starts from its link (status $status)" test $status -eq 124
    check "and leaves its program folder alone" test "$(ls -A "$root/usr/$program_dir")" = "$before"
    # On a display, Cancel closes it without an error box: the settings go to
    # the user's configuration folder, not into the read-only program folder.
    if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
        env -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
            XDG_RUNTIME_DIR="$work/runtime" \
            LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$source_dir/tests/package/lsan.supp" \
            xvfb-run -a -s "-screen 0 1024x768x24" \
            "$source_dir/tests/package/close_wizard.sh" "$root/usr/bin/trailwright" "$work/close.log"
        status=$?
        [[ $status -eq 0 ]] || cat "$work/close.log"
        check "Cancel ends the wizard without an error box (status $status)" test $status -eq 0
        check "its settings are in the configuration folder" \
            test -f "$work/config/zephyrix-trailwright/SiteMap.dat"
        check "and not in the program folder" test "$(ls -A "$root/usr/$program_dir")" = "$before"
    else
        fail "xvfb-run and xdotool are needed to close the wizard; setup installs them"
    fi
    check "the desktop entry is valid" desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
    check "the desktop menu shows it as Zephyrix Trailwright" \
        grep -qx 'Name=Zephyrix Trailwright' "$root/usr/share/applications/$app_id.desktop"
    check "the desktop entry starts trailwright" \
        grep -qx 'Exec=trailwright' "$root/usr/share/applications/$app_id.desktop"
    check "the desktop entry names the icon" \
        grep -qx "Icon=$app_id" "$root/usr/share/applications/$app_id.desktop"
    if ! appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" \
        >"$work/appstream.log" 2>&1; then
        cat "$work/appstream.log"
        fail "the metainfo file is valid"
    fi
    check "the metainfo names this version" \
        grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$app_id.metainfo.xml"
fi

# --- the man pages, and the completion against the program's own help -------
pages=(trailwright-cli)
((gui)) && pages+=(trailwright)
for page in "${pages[@]}"; do
    zcat "$root/usr/share/man/man1/$page.1.gz" >"$work/man.1"
    groff -man -ww -z "$work/man.1" 2>"$work/groff.log"
    check "the man page of $page formats without warnings" test ! -s "$work/groff.log"
done
man_text=$work/man.txt
zcat "$root/usr/share/man/man1/trailwright-cli.1.gz" >"$work/man.1"
sed 's/\\-/-/g' "$work/man.1" >"$man_text"
# shellcheck source=/dev/null
source "$root/usr/share/bash-completion/completions/trailwright-cli"
offered() { # the completions of "trailwright-cli WORDS... --"
    COMP_WORDS=(trailwright-cli "$@" --)
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _trailwright_cli
    echo " ${COMPREPLY[*]} "
}
for command in generate check "profile write"; do
    # shellcheck disable=SC2086 # "profile write" is two words
    if ! "$cli" $command --help >"$work/help.txt" 2>&1; then
        echo "note: trailwright-cli $command has no help here; not compared"
        continue
    fi
    # shellcheck disable=SC2086
    completions=$(offered $command)
    for option in $(grep -oE -- '--[a-z][a-z-]*' "$work/help.txt" | sort -u); do
        [[ $option == --help ]] && continue
        check "the man page describes $command $option" grep -qE -- "$option([^a-z-]|$)" "$man_text"
        # check accepts these with the other profile options, but they only
        # shape the page it never writes: the completion leaves them out.
        [[ $command == check && $option =~ ^--(output|format|color)$ ]] && continue
        check "the completion offers $command $option" test "${completions/ $option /}" != "$completions"
    done
done

echo "$checks checks, $failures failed"
((failures == 0))
