#!/bin/bash
# The packages as they ship: scripts/package.sh run in two fresh clones of
# the commit, in two different folders, must give byte-identical packages
# and Windows programs; then the disc kit and the Debian package are taken
# apart and checked, and the package's programs are run from a scratch root
# (never installed into this machine's /usr). Needs git, unzip, dpkg-deb,
# lintian and the build tools. Last, a kit signed with a throwaway
# certificate (openssl, osslsigncode) is made and checked. Ends with
# "package: N passed, N failed".
set -uo pipefail
repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
source "$repo/tests/linux/lib.sh"
work=$(mktemp -d)
# The packaged launcher's setups outlive it: the folders are removed when
# they have ended.
hold_started
trap 'wait_for_started; rm -rf "$work"' EXIT

passed=0
failed=0
# check DESCRIPTION COMMAND...: one counted check.
check() {
  local description=$1
  shift
  if "$@" >"$work/last.log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $description" >&2
    sed 's/^/  /' "$work/last.log" | head -n 20 >&2
  fi
}
# stop WHY: a step without which nothing further can be checked failed.
stop() {
  failed=$((failed + 1))
  echo "FAILED: $1" >&2
  finish
}
finish() {
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

# Both clones hold this one commit: one made while the first builds would
# otherwise be packaged in the second, and the two could not match.
commit=$(git -C "$repo" rev-parse HEAD)
if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
  echo "note: uncommitted changes are not in the packages; the commit ${commit:0:7} is tested"
fi

# 1. Two fresh clones in folders of different names and depths.
one=$work/one/pomvarin
two=$work/second/a-longer-folder/pomvarin-again
for clone in "$one" "$two"; do
  output=$(git clone -q --no-local "$repo" "$clone" 2>&1 &&
           git -C "$clone" checkout -q --detach "$commit" 2>&1) ||
    stop "git clone of $repo at $commit into $clone: exit status $?: $output"
done
for clone in "$one" "$two"; do
  check "package.sh in $clone" bash "$clone/scripts/package.sh"
done
version=$(sed -n 's/^project(Pomvarin VERSION \([0-9.]*\).*/\1/p' "$one/CMakeLists.txt")
kit=Pomvarin-$version-disc-kit.zip
deb=pomvarin_${version}_amd64.deb
[ -f "$one/dist/$kit" ] && [ -f "$one/dist/$deb" ] ||
  stop "package.sh made no $kit and $deb in $one/dist: $(ls "$one/dist" 2>&1 | tr '\n' ' ')"

# 2. Reproducible: the same bytes from both folders.
for file in "dist/$kit" "dist/$deb" build/windows/Pomvarin.exe build/windows/PomvarinCheck.exe; do
  check "$file is the same in both builds" cmp "$one/$file" "$two/$file"
done
no_build_paths() {
  local file
  for file in "$@"; do
    if grep -c -a -F -e "$work" "$file"; then return 1; fi
  done
  return 0
}

# 3. The disc kit: exactly its files, the 32-bit programs just built,
#    Windows text files, a template that pomvarin-check finds clean.
kit_dir=$work/kit
unzip -q "$one/dist/$kit" -d "$kit_dir"
top=$kit_dir/Pomvarin-$version-disc-kit
check "the kit holds exactly its files" diff -u \
  <(printf "Pomvarin-$version-disc-kit/%s\n" autorun.inf Disc-authors-guide.txt \
     Pomvarin.exe Pomvarin.ini PomvarinCheck.exe | LC_ALL=C sort) \
  <(unzip -Z1 "$one/dist/$kit" | LC_ALL=C sort)
for program in Pomvarin.exe PomvarinCheck.exe; do
  check "the kit's $program is the built one" cmp "$top/$program" "$one/build/windows/$program"
  check "the kit's $program is a 32-bit program" \
    bash -c "i686-w64-mingw32-objdump -f '$top/$program' | grep -q 'file format pei-i386'"
done
check "the kit's programs hold no build folder's path" no_build_paths "$top"/*.exe
for text in Pomvarin.ini autorun.inf Disc-authors-guide.txt; do
  check "$text has CR LF line ends only" \
    bash -c "[ -s '$top/$text' ] && ! grep -q \$'[^\\r]\$' '$top/$text' && ! grep -q '^\$' '$top/$text'"
done
check "Pomvarin.ini's comments take whole lines" \
  bash -c "! grep -n '^[^;].*;' '$top/Pomvarin.ini'"
check "autorun.inf starts the launcher" \
  bash -c "tr -d '\\r' <'$top/autorun.inf' | grep -qx 'open=Pomvarin.exe'"
check "the guide is the Pomvarin.ini reference" \
  bash -c "grep -q 'SetupFileRootDir' '$top/Disc-authors-guide.txt' && grep -q 'THE TWO CASE PASSES' '$top/Disc-authors-guide.txt'"

# 4. The Debian package: control data, contents, lintian.
dpkg-deb --info "$one/dist/$deb" >"$work/info.txt"
check "the control data name the package, version and architecture" \
  bash -c "grep -qx ' Package: pomvarin' '$work/info.txt' && grep -qx ' Version: $version' '$work/info.txt' && grep -qx ' Architecture: amd64' '$work/info.txt'"
check "the dependencies are read from the programs" \
  bash -c "grep -q '^ Depends: .*libc6 (>= ' '$work/info.txt' && grep -q 'libstdc++6' '$work/info.txt'"
check "the package holds exactly its files" diff -u - \
  <(dpkg-deb --contents "$one/dist/$deb" | awk '{ print $1, $2, $6 }') <<'LIST'
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/pomvarin
-rwxr-xr-x root/root ./usr/bin/pomvarin-check
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/pomvarin/
-rw-r--r-- root/root ./usr/share/doc/pomvarin/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/pomvarin/copyright
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/pomvarin-check.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/pomvarin.1.gz
drwxr-xr-x root/root ./usr/share/man/man5/
-rw-r--r-- root/root ./usr/share/man/man5/Pomvarin.ini.5.gz
LIST
check "lintian finds no error" lintian --fail-on error "$one/dist/$deb"
check "apt-get would install it" apt-get install -s "$one/dist/$deb"

# 5. Its programs from a scratch root.
root=$work/root
dpkg-deb -x "$one/dist/$deb" "$root"
check "the programs are stripped" \
  bash -c "! readelf -S '$root/usr/bin/pomvarin' '$root/usr/bin/pomvarin-check' | grep -qE '\\.(symtab|debug_info)'"
check "the programs hold no build folder's path" no_build_paths "$root"/usr/bin/*
# gzip -9n: no name or time in the header, the best compression.
gzip_is_9n() {
  local file header
  for file in "$@"; do
    header=$(od -An -tx1 -N9 "$file" | tr -d ' \n')
    [ "${header:6:10}" = 0000000000 ] && [ "${header:16:2}" = 02 ] || return 1
  done
}
check "man pages and changelog are compressed with gzip -9n" \
  gzip_is_9n "$root"/usr/share/man/man*/*.gz "$root/usr/share/doc/pomvarin/changelog.gz"
for page in "$root"/usr/share/man/man*/*.gz; do
  check "man renders ${page##*/} without a warning" \
    bash -c "out=\$(MANWIDTH=80 man --warnings -l '$page' 2>&1 >/dev/null); [ -z \"\$out\" ] || { echo \"\$out\"; false; }"
done
check "pomvarin-check --version says the package's version" \
  bash -c "[ \"\$('$root/usr/bin/pomvarin-check' --version)\" = 'pomvarin-check $version' ]"

disc=$work/disc
mkdir -p "$disc/Drivers/Intel" "$disc/Drivers/Realtek"
cp "$top/Pomvarin.ini" "$disc/"
for setup in Intel/Setup.exe Realtek/setup.exe; do
  printf '#!/bin/sh\necho "$0$*" >>"%s/started"\n' "$work" >"$disc/Drivers/$setup"
  chmod +x "$disc/Drivers/$setup"
done
printf '%s\n' 'PCI\VEN_8086&DEV_1234&SUBSYS_00000000&REV_00' \
  'PCI\VEN_10EC&DEV_8168&SUBSYS_00000000&REV_00' >"$work/devices.txt"
check "the kit's Pomvarin.ini is clean with its vendors' devices" \
  bash -c "'$root/usr/bin/pomvarin-check' '$disc' --devices '$work/devices.txt' | grep -q 'Summary: 2 of 2 vendor entries match'"
# The packaged launcher, found beside the packaged checker, in a real run.
check "pomvarin-check --trace runs the packaged launcher" \
  bash -c "'$root/usr/bin/pomvarin-check' --trace '$disc' -- /s | grep -qxF 'Running $root/usr/bin/pomvarin in $disc with \"/s\"'"

# 6. Installed into a scratch root by dpkg, and removed without a trace.
mkdir -p "$work/dpkg-root/var/lib/dpkg/"{info,updates,triggers}
touch "$work/dpkg-root/var/lib/dpkg/"{status,available}
dpkg_here() {
  dpkg --root="$work/dpkg-root" --force-not-root --force-depends \
    --force-script-chrootless "$@"
}
check "dpkg installs it into a scratch root" dpkg_here -i "$one/dist/$deb"
removed_cleanly() {
  dpkg_here --purge pomvarin || return 1
  find "$work/dpkg-root" -mindepth 1 -path "$work/dpkg-root/var" -prune -o -print | grep . && return 1
  return 0
}
check "dpkg removes it cleanly" removed_cleanly

# 7. Signed with a throwaway code-signing certificate: both programs verify,
#    with the signature taken off they are the unsigned build's, they pass
#    the program checks, and the kit's other files are the unsigned kit's.
#    A wrong password fails the packaging instead of shipping unsigned.
signer=$work/signer
mkdir "$signer"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Pomvarin test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$signer/key.pem" -out "$signer/cert.pem" \
  >/dev/null 2>&1 &&
  openssl pkcs12 -export -inkey "$signer/key.pem" -in "$signer/cert.pem" \
    -passout pass:kit-secret -out "$signer/signer.p12" || { failed=$((failed + 1)); finish; }
printf 'kit-secret\n' >"$signer/password"
cp "$one/dist/$kit" "$work/unsigned-kit.zip"
check "package.sh signs with a certificate" bash "$one/scripts/package.sh" \
  --pkcs12 "$signer/signer.p12" --password-file "$signer/password"
signed=$work/signed
unzip -q "$one/dist/$kit" -d "$signed"
for program in Pomvarin.exe PomvarinCheck.exe; do
  check "the signed $program verifies" \
    osslsigncode verify -CAfile "$signer/cert.pem" -in "$signed/Pomvarin-$version-disc-kit/$program"
  check "the signed $program is the built one with a signature" bash -c "
    osslsigncode remove-signature -in '$signed/Pomvarin-$version-disc-kit/$program' \
      -out '$work/unsigned-$program' >/dev/null &&
    cmp '$work/unsigned-$program' '$one/build/windows/$program'"
done
check "the signed Pomvarin.exe passes the program checks" \
  bash "$repo/tests/exe/check-exe.sh" launcher "$signed/Pomvarin-$version-disc-kit/Pomvarin.exe"
check "the signed PomvarinCheck.exe passes the program checks" \
  bash "$repo/tests/exe/check-exe.sh" checker "$signed/Pomvarin-$version-disc-kit/PomvarinCheck.exe"
check "the signed kit's other files are the unsigned kit's" bash -c "
  unzip -q '$work/unsigned-kit.zip' -d '$work/unsigned' &&
  diff -r -x '*.exe' '$work/unsigned' '$signed'"
check "a wrong password fails the packaging" bash -c "
  ! POMVARIN_SIGN_PKCS12='$signer/signer.p12' POMVARIN_SIGN_PASSWORD=wrong \
    bash '$one/scripts/package.sh'"

finish
