#!/usr/bin/env bash
# Checks the installed form of a built tree: installs it into a temporary
# DESTDIR, checks the layout, validates the launcher and the AppStream
# metadata, runs the installed quillfen-cli on the installed Samples, makes
# sure the installed window finds its data folder, and builds the Debian
# package. Run after the build, as scripts/test.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${QUILLFEN_BUILD_DIR:-build}"
app_id=org.tarnwick.Quillfen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "check-install: $*" >&2
    failures=$((failures + 1))
}

stage=$work/stage
DESTDIR=$stage cmake --install "$build_dir" --prefix /usr >/dev/null
root=$stage/usr

# The layout.
expected=(
    bin/quillfen
    bin/quillfen-cli
    share/quillfen/Samples
    share/quillfen/x
    share/applications/$app_id.desktop
    share/icons/hicolor/scalable/apps/$app_id.svg
    share/metainfo/$app_id.metainfo.xml
    share/man/man1/quillfen.1
    share/man/man1/quillfen-cli.1
    share/bash-completion/completions/quillfen-cli
    share/doc/quillfen/copyright
)
for path in "${expected[@]}"; do
    [ -e "$root/$path" ] || fail "missing: /usr/$path"
done
for program in quillfen quillfen-cli; do
    [ -x "$root/bin/$program" ] || fail "not executable: /usr/bin/$program"
done
# Everything else stays out: no tests, no helpers, nothing outside /usr.
unexpected=$(cd "$stage" && find . -type f | sed 's|^\./|/|' | grep -v -E \
    '^/usr/(bin/quillfen(-cli)?|share/quillfen/.*|share/applications/[^/]*\.desktop|share/icons/hicolor/scalable/apps/[^/]*\.svg|share/metainfo/[^/]*\.xml|share/man/man1/[^/]*\.1|share/bash-completion/completions/quillfen-cli|share/doc/quillfen/copyright|lib/([^/]+/)?quillfen/quillfen-(pdf|ocr)\.so)$' ||
    true)
[ -z "$unexpected" ] || fail "unexpected files installed:"$'\n'"$unexpected"
source_samples=$(cd data/Samples && find . -type f | sort)
installed_samples=$(cd "$root/share/quillfen/Samples" && find . -type f | sort)
[ "$source_samples" = "$installed_samples" ] || fail "the installed Samples differ from data/Samples"

# Launcher, metadata, icon, manual pages, completion.
desktop-file-validate "$root/share/applications/$app_id.desktop" ||
    fail "desktop-file-validate rejects the launcher"
appstreamcli validate --no-net "$root/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    {
        cat "$work/appstream.log" >&2
        fail "appstreamcli rejects the metadata"
    }
icon=$(sed -n 's/^Icon=//p' "$root/share/applications/$app_id.desktop")
[ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the launcher's icon $icon is not installed"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
    "$root/share/metainfo/$app_id.metainfo.xml" || fail "the metadata does not launch $app_id.desktop"
if command -v man >/dev/null; then
    for page in quillfen quillfen-cli; do
        warnings=$(MANWIDTH=80 man --warnings -l "$root/share/man/man1/$page.1" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man $page: $warnings"
    done
fi
bash -n "$root/share/bash-completion/completions/quillfen-cli" || fail "the bash completion does not parse"
options=$("$root/bin/quillfen-cli" --help | grep -E '^ +-' | grep -o -E -- '(^| )-{1,2}[a-z0-9][a-z0-9-]*' | tr -d ' ')
[ -n "$options" ] || fail "quillfen-cli --help lists no options"
man_text=$(sed 's/\\-/-/g' "$root/share/man/man1/quillfen-cli.1")
for option in $options; do
    grep -q -w -- "$option" "$root/share/bash-completion/completions/quillfen-cli" ||
        fail "the bash completion does not know $option"
    grep -q -w -- "$option" <<<"$man_text" || fail "the manual page does not describe $option"
done

# The installed command line on the installed Samples.
cli=$root/bin/quillfen-cli
samples=$root/share/quillfen/Samples
export XDG_CONFIG_HOME=$work/config
listed=$("$cli" --list-inputs "$samples" | wc -l)
[ "$listed" -eq "$(wc -l <<<"$installed_samples")" ] || fail "quillfen-cli lists $listed of the Samples"
if ! "$cli" --sentences "$samples" >"$work/rows.txt" 2>"$work/errors.txt"; then
    cat "$work/errors.txt" >&2
    fail "quillfen-cli fails on the installed Samples"
fi
for row in 'Quick Guide to Quillfen' 'Sentences and Abbreviations'; do
    grep -q -F "$row" "$work/rows.txt" || fail "quillfen-cli gives no row \"$row\""
done
[ "$(wc -l <"$work/rows.txt")" -ge 20 ] || fail "quillfen-cli gives too few rows from the Samples"

# The installed window finds its data folder at ../share/quillfen: its first
# start records the Samples it found.
window_config=$work/window-config
mkdir -p "$window_config"
XDG_CONFIG_HOME=$window_config QT_QPA_PLATFORM=offscreen "$root/bin/quillfen" >/dev/null 2>&1 &
window=$!
recorded=""
for _ in $(seq 1 100); do
    if grep -q '^Snapshot=.' "$window_config/Tarnwick.conf" 2>/dev/null; then
        recorded=yes
        break
    fi
    kill -0 "$window" 2>/dev/null || break
    sleep 0.1
done
kill "$window" 2>/dev/null || true
wait "$window" 2>/dev/null || true
[ -n "$recorded" ] || fail "the installed window did not find its Samples"

# The Debian package, when this machine can build one (a few seconds).
if command -v cpack >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
    (cd "$build_dir" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
        {
            cat "$work/cpack.log" >&2
            fail "cpack -G DEB fails"
        }
    deb=$(ls "$work"/package/quillfen_*.deb 2>/dev/null | head -1)
    if [ -n "$deb" ]; then
        depends=$(dpkg-deb -f "$deb" Depends)
        # The PDF and OCR modules bring poppler's and Tesseract's libraries.
        for library in libqt6widgets6 libqt6gui6 libqt6core6 libpoppler-cpp libtesseract; do
            grep -q "$library" <<<"$depends" || fail "the package does not depend on $library"
        done
        contents=$(dpkg-deb -c "$deb")
        grep -q "./usr/share/quillfen/Samples/Quick Guide.txt" <<<"$contents" ||
            fail "the package lacks the Samples"
        grep -q "./usr/share/doc/quillfen/copyright" <<<"$contents" ||
            fail "the package lacks its copyright file"
        for module in quillfen-pdf.so quillfen-ocr.so; do
            grep -q -E "\./usr/lib/([^/]+/)?quillfen/$module\$" <<<"$contents" ||
                fail "the package lacks $module"
        done
    else
        fail "cpack made no package"
    fi
fi

if [ "$failures" -gt 0 ]; then
    echo "check-install: $failures check(s) failed" >&2
    exit 1
fi
echo "check-install: the install layout, launcher, metadata, manual pages, completion and package are in order"
