#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it as Debian would: lintian
# finds no error in it, and it depends on no development package, only on what runs.
#   check_deb.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d "${TMPDIR:-/tmp}/telvora-deb.XXXXXX")
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log" >&2
    exit 1
}
deb=$(ls "$out"/telvora_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
if grep -Eq -- '-dev\b|-dev,' <<<"$depends"; then
    echo "check_deb: the package depends on a development package" >&2
    exit 1
fi
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/telvora ./usr/share/applications/telvora.desktop ./usr/share/man/man1/telvora.1.gz \
    ./usr/share/icons/hicolor/symbolic/apps/telvora-symbolic.svg ./usr/share/doc/telvora/copyright; do
    grep -q " $file\$" <<<"$contents" || {
        echo "check_deb: $file is missing from the package" >&2
        exit 1
    }
done
# The SIP stack is a module the program loads from its own library folder.
grep -Eq ' \./usr/lib/([^/]+/)?telvora/telvora-sip\.so$' <<<"$contents" || {
    echo "check_deb: the SIP stack module is missing from the package" >&2
    exit 1
}
# Warnings are listed for the reader; an error fails the check.
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1
