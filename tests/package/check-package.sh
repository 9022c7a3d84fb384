#!/usr/bin/env bash
# Makes the Debian package from a built tree, unpacks it into a scratch root and checks what a
# user gets: the files, programs that run from there, and clean desktop, AppStream and lintian
# checks. Argument: the build folder.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/dist" >/dev/null)
deb=$(ls "$work"/dist/corvantelle_*.deb)
root="$work/root"
dpkg-deb -x "$deb" "$root"
fail() { echo "check-package: $*" >&2; exit 1; }

for f in usr/bin/corvantelle usr/bin/corvantelle-sim \
         usr/share/applications/corvantelle.desktop \
         usr/share/metainfo/com.torvimek.corvantelle.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/corvantelle.svg \
         usr/share/icons/hicolor/48x48/apps/corvantelle.png \
         usr/share/icons/hicolor/256x256/apps/corvantelle.png \
         usr/share/man/man1/corvantelle.1.gz usr/share/man/man1/corvantelle-sim.1.gz \
         usr/lib/udev/rules.d/60-corvantelle.rules \
         usr/share/doc/corvantelle/copyright usr/share/doc/corvantelle/changelog.gz; do
    [ -f "$root/$f" ] || fail "missing /$f"
done
if [ -f "$build/src/corvantelle-cli" ]; then
    [ -f "$root/usr/bin/corvantelle-cli" ] || fail "missing /usr/bin/corvantelle-cli"
    "$root/usr/bin/corvantelle-cli" --help >/dev/null || fail "corvantelle-cli --help failed"
fi
version=$(env -u DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/corvantelle" --version)
[[ "$version" == *"$(dpkg-deb -f "$deb" Version)"* ]] || fail "corvantelle --version said '$version'"
"$root/usr/bin/corvantelle-sim" --help >/dev/null || fail "corvantelle-sim --help failed"
sim_man=$(zcat "$root/usr/share/man/man1/corvantelle-sim.1.gz" | sed 's/\\-/-/g')
for option in $("$root/usr/bin/corvantelle-sim" --help | grep -o -- '^  --[a-z-]*'); do
    grep -Eq -- "^\.B[IR]? ${option}( |\"|$)" <<<"$sim_man" || fail "the corvantelle-sim man page lacks $option"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6serialport6 || fail "dependencies not computed from the binaries"
zcat "$root/usr/share/man/man1/corvantelle.1.gz" | grep -q dialout || fail "the man page does not explain dialout"

desktop-file-validate "$root/usr/share/applications/corvantelle.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/com.torvimek.corvantelle.metainfo.xml" >/dev/null \
    || fail "appstreamcli validate found problems"
# lintian warns that it runs as root (CI does); that is about the run, not the package.
notes=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[ -z "$notes" ] || fail "lintian: $notes"
echo "check-package: $(basename "$deb") is complete and clean"
