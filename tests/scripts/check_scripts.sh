#!/usr/bin/env bash
# The scripts parse, the run command's packages bring no system service with them, and the
# run command's build holds the program but no test, benchmark or fuzzer.
#   check_scripts.sh SOURCE_FOLDER
set -euo pipefail
root=$1
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

for script in "$root"/scripts/* "$root"/.ci/run "$root"/bench/run; do
    case $script in *.txt | *.supp) continue ;; esac
    bash -n "$script" || fail "$script does not parse"
done

mapfile -t run < <("$root/scripts/install-deps" --list)
mapfile -t test < <("$root/scripts/install-deps" --tests --list)
# Looked up in a table: a "printf | grep -q" pipe fails under pipefail whenever grep stops
# reading before printf has written the whole list.
declare -A inTest=()
for package in "${test[@]}"; do
    inTest[$package]=1
done
[ ${#run[@]} -gt 0 ] || fail "the run command asks for no package"
for package in "${run[@]}"; do
    [ -n "${inTest[$package]:-}" ] || fail "the test command lacks $package"
    # Only an installed package can tell what it ships; the test machine has them all.
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        service=$(dpkg -L "$package" | grep -E '^((/usr)?/lib/systemd/system/[^/]+\.(service|socket)|/etc/init\.d/[^/]+)$' || true)
        [ -z "$service" ] || fail "the run command installs $package, which brings the service $service"
    fi
done
[ ${#test[@]} -gt ${#run[@]} ] || fail "the test command adds nothing to the run command"

# What the run command builds, configured the way scripts/build --program-only does it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -S "$root" -B "$work" -G Ninja -DTELVORA_BUILD_TESTS=OFF -DTELVORA_BUILD_BENCHMARKS=OFF \
    >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "the program alone does not configure"; }
targets=$(ninja -C "$work" -t targets all 2>/dev/null | sed -n 's/^\([^:]*\): phony$/\1/p')
grep -qx 'telvora' <<<"$targets" || fail "the run command's build lacks the program"
extra=$(grep -E '(^|/)(tst_|bench|fuzz_|sip_latency|make_phonebook)' <<<"$targets" || true)
[ -z "$extra" ] || fail "the run command's build also builds: $(tr '\n' ' ' <<<"$extra")"

exit $failed
