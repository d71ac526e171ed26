#!/bin/bash
# Checks a built Pomvarin.exe or PomvarinCheck.exe from the outside:
#   - 32-bit PE (PE32, i386), for the Windows GUI subsystem (the launcher)
#     or the console (the checker);
#   - imports only from KERNEL32, USER32 and msvcrt, the KnownDLLs of every
#     Windows it runs on (every other DLL is loaded at run time from the
#     system folder, never found beside the program), and only the functions in
#     allowed-imports.txt (all present on Windows XP SP3), and for the
#     checker also those in allowed-imports-check.txt (present on Vista);
#   - the launcher only: icon group 107 with 16, 32 and 48 px images at 4, 8,
#     24 and 24 bpp, and icon group 108 with four 16 px images of its own at
#     the same depths; one version record with the expected numbers and
#     strings;
#   - no manifest.
# Every difference found is reported; the exit status is 0 only if none is.
#
#   check-exe.sh launcher PATH/TO/Pomvarin.exe
#   check-exe.sh checker PATH/TO/PomvarinCheck.exe
#
# Tools can be overridden with OBJDUMP, WINDRES and WRESTOOL.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
windres=${WINDRES:-i686-w64-mingw32-windres}
wrestool=${WRESTOOL:-wrestool}

allowed_dlls=(KERNEL32.dll USER32.dll msvcrt.dll)
app_icon_group=107
small_icon_group=108
app_icon_images="16x16/4 16x16/8 16x16/24 16x16/24 32x32/4 32x32/8 32x32/24 32x32/24 48x48/4 48x48/8 48x48/24 48x48/24"
small_icon_images="16x16/4 16x16/8 16x16/24 16x16/24"
version_numbers="0, 0, 0, 2"
string_block="040904B0"
declare -A version_strings=(
    [FileVersion]="0, 0, 0, 2"
    [ProductVersion]="0, 0, 0, 2"
    [FileDescription]="Pomvarin"
    [InternalName]="Pomvarin"
    [OriginalFilename]="Pomvarin.exe"
    [ProductName]="Pomvarin"
)

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

case "$#:${1:-}" in
    2:launcher) subsystem_wanted="00000002 (Windows GUI)"
                allow_files=("$here/allowed-imports.txt") ;;
    2:checker) subsystem_wanted="00000003 (Windows console)"
               allow_files=("$here/allowed-imports.txt" "$here/allowed-imports-check.txt") ;;
    *) echo "usage: $0 launcher|checker PATH/TO/PROGRAM.exe" >&2
       exit 2 ;;
esac
kind=$1
exe=$2
if [ ! -f "$exe" ]; then
    echo "FAIL: $exe: no such file" >&2
    exit 1
fi
for tool in "$objdump" "$windres" "$wrestool"; do
    if ! command -v "$tool" > /dev/null; then
        echo "FAIL: needed tool '$tool' not found (mingw-w64 binutils, icoutils)" >&2
        exit 2
    fi
done
for allow_file in "${allow_files[@]}"; do
    if [ ! -r "$allow_file" ]; then
        echo "FAIL: cannot read the import allow-list $allow_file" >&2
        exit 2
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- Format: PE32, i386, the subsystem of its kind --------------------------------------
if ! "$objdump" -f "$exe" > "$work/f.txt" 2> "$work/err.txt" ||
   ! "$objdump" -p "$exe" > "$work/p.txt" 2>> "$work/err.txt"; then
    echo "FAIL: $exe is not a PE file objdump can read: $(head -n 1 "$work/err.txt")" >&2
    exit 1
fi
format=$(sed -n 's/.*file format //p' "$work/f.txt" | head -n 1)
[ "$format" = "pei-i386" ] || fail "file format is '$format', expected pei-i386"
arch=$(sed -n 's/^architecture: \([^,]*\).*/\1/p' "$work/f.txt")
[ "$arch" = "i386" ] || fail "architecture is '$arch', expected i386"
magic=$(awk '$1 == "Magic" { print $2 }' "$work/p.txt")
[ "$magic" = "010b" ] || fail "optional header magic is '$magic', expected 010b (PE32)"
subsystem=$(awk '$1 == "Subsystem" { print $2 }' "$work/p.txt")
if [ "$subsystem" != "${subsystem_wanted%% *}" ]; then
    fail "subsystem is '$subsystem' $(sed -n 's/^Subsystem[[:space:]]*[0-9a-f]*[[:space:]]*//p' "$work/p.txt"), expected $subsystem_wanted"
fi

# --- Imports ----------------------------------------------------------------
# One "DLL FUNCTION" line per import; an import by ordinal shows as "#N".
awk '
    /^\tDLL Name: / { dll = $3; next }
    dll != "" && NF == 0 { dll = ""; next }
    dll != "" && $1 == "vma:" { next }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {
        if ($3 == "<none>") print dll, "#" $2; else print dll, $3
        next
    }
    dll != "" { print dll, "?unreadable:" $0 }
' "$work/p.txt" > "$work/imports.txt"
if [ ! -s "$work/imports.txt" ]; then
    fail "no imports found at all (could not read the import table)"
fi
if ! awk '$1 == "Entry" && $2 == "d" { found = 1; if ($3 != "00000000" || $4 != "00000000") exit 1 }
          END { exit found ? 0 : 1 }' "$work/p.txt"; then
    fail "the executable has a delay-load import table (or objdump showed none): its imports are not checked here"
fi

# Compare DLLs case-insensitively: key "dll-lowercase function".
declare -A allowed=()
while read -r dll func rest; do
    case "$dll" in '' | '#'*) continue ;; esac
    allowed["${dll,,} $func"]=1
done < <(cat "${allow_files[@]}")
declare -A dll_ok=()
for d in "${allowed_dlls[@]}"; do dll_ok["${d,,}"]=1; done

declare -A seen_bad_dll=()
while read -r dll func; do
    if [ -z "${dll_ok[${dll,,}]:-}" ]; then
        if [ -z "${seen_bad_dll[${dll,,}]:-}" ]; then
            fail "imports from $dll, which is not one of: ${allowed_dlls[*]}"
            seen_bad_dll["${dll,,}"]=1
        fi
        continue
    fi
    case "$func" in
        '#'*) fail "imports $dll by ordinal ${func#\#}: only named, allowed functions may be imported" ;;
        '?unreadable:'*) fail "cannot read an import line of $dll: '${func#?unreadable:}'" ;;
        *) [ -n "${allowed[${dll,,} $func]:-}" ] ||
               fail "imports $dll $func, which is not in $(basename -a "${allow_files[@]}" | paste -sd ' ') (not known to be on Windows $([ "$kind" = launcher ] && echo XP SP3 || echo Vista))" ;;
    esac
done < "$work/imports.txt"

# --- Resources --------------------------------------------------------------
if ! "$wrestool" -l "$exe" > "$work/res.txt" 2> "$work/err.txt"; then
    fail "wrestool cannot list the resources: $(head -n 1 "$work/err.txt")"
fi
if grep -q -e '--type=24 ' -e 'type=manifest' "$work/res.txt"; then
    fail "the executable has a manifest resource (type 24); it must have none"
fi

bytes_of() { od -An -v -tu1 "$1" | tr -s ' \n' '  '; }

# Reads icon group $1 and prints one "WxH/BPP ID" line per image, after
# checking that each image exists and matches what the group says about it.
read_icon_group() {
    local group=$1 file="$work/group-$1.bin" b n i o w h planes bpp size id
    if ! "$wrestool" -x --raw -t 14 -n "$group" "$exe" > "$file" 2> /dev/null || [ ! -s "$file" ]; then
        fail "no icon group $group"
        return 1
    fi
    read -r -a b <<< "$(bytes_of "$file")"
    if [ "${#b[@]}" -lt 6 ] || [ "$((b[0] | b[1] << 8))" -ne 0 ] || [ "$((b[2] | b[3] << 8))" -ne 1 ]; then
        fail "icon group $group: bad header"
        return 1
    fi
    n=$((b[4] | b[5] << 8))
    if [ "${#b[@]}" -ne $((6 + 14 * n)) ]; then
        fail "icon group $group: says $n images but is ${#b[@]} bytes long"
        return 1
    fi
    for ((i = 0; i < n; i++)); do
        o=$((6 + 14 * i))
        w=${b[o]}; h=${b[o + 1]}
        [ "$w" -eq 0 ] && w=256
        [ "$h" -eq 0 ] && h=256
        planes=$((b[o + 4] | b[o + 5] << 8))
        bpp=$((b[o + 6] | b[o + 7] << 8))
        size=$((b[o + 8] | b[o + 9] << 8 | b[o + 10] << 16 | b[o + 11] << 24))
        id=$((b[o + 12] | b[o + 13] << 8))
        [ "$planes" -eq 1 ] || fail "icon group $group, image $id: $planes planes, expected 1"
        check_icon_image "$group" "$id" "$w" "$h" "$bpp" "$size"
        echo "${w}x$h/$bpp $id"
    done
}

# The image itself must be there, as long as the group says, and its header
# must agree on width, height and depth.
check_icon_image() {
    local group=$1 id=$2 w=$3 h=$4 bpp=$5 size=$6 file="$work/icon-$2.bin" actual hb hw hh hbpp
    if ! "$wrestool" -x --raw -t 3 -n "$id" "$exe" > "$file" 2> /dev/null || [ ! -s "$file" ]; then
        fail "icon group $group lists image $id, which is missing"
        return
    fi
    actual=$(stat -c %s "$file")
    [ "$actual" -eq "$size" ] || fail "icon group $group, image $id: group says $size bytes, image has $actual"
    read -r -a hb <<< "$(head -c 26 "$file" | od -An -v -tu1 | tr -s ' \n' '  ')"
    if [ "${hb[0]}" -eq 137 ] && [ "${hb[1]}" -eq 80 ]; then
        # a PNG image: width and height in IHDR; depth not comparable
        hw=$((hb[16] << 24 | hb[17] << 16 | hb[18] << 8 | hb[19]))
        hh=$((hb[20] << 24 | hb[21] << 16 | hb[22] << 8 | hb[23]))
        if [ "$hw" -ne "$w" ] || [ "$hh" -ne "$h" ]; then
            fail "icon group $group, image $id: group says ${w}x$h, PNG is ${hw}x$hh"
        fi
        return
    fi
    hw=$((hb[4] | hb[5] << 8 | hb[6] << 16 | hb[7] << 24))
    hh=$((hb[8] | hb[9] << 8 | hb[10] << 16 | hb[11] << 24))
    hbpp=$((hb[14] | hb[15] << 8))
    # a bitmap icon stores twice the height: the colour image, then the mask
    if [ "$hw" -ne "$w" ] || [ "$hh" -ne $((2 * h)) ] || [ "$hbpp" -ne "$bpp" ]; then
        fail "icon group $group, image $id: group says ${w}x$h/$bpp, bitmap is ${hw}x$((hh / 2))/$hbpp"
    fi
}

sorted_words() { tr ' ' '\n' | sed '/^$/d' | sort -V | tr '\n' ' ' | sed 's/ $//'; }

check_icon_set() {
    local group=$1 want=$2 listing=$3 got
    got=$(cut -d' ' -f1 "$listing" | sorted_words)
    want=$(echo "$want" | sorted_words)
    [ "$got" = "$want" ] ||
        fail "icon group $group has images [$got] (size/bpp), expected [$want]"
}

check_icons() {
    if read_icon_group "$app_icon_group" > "$work/app.txt"; then
        check_icon_set "$app_icon_group" "$app_icon_images" "$work/app.txt"
    fi
    if read_icon_group "$small_icon_group" > "$work/small.txt"; then
        check_icon_set "$small_icon_group" "$small_icon_images" "$work/small.txt"
        # the small icon has art of its own, not a copy of the application icon
        copies=()
        while read -r key id; do
            other=$(awk -v k="$key" '$1 == k { print $2; exit }' "$work/app.txt" 2> /dev/null)
            if [ -n "$other" ] && [ -s "$work/icon-$id.bin" ] &&
               cmp -s "$work/icon-$id.bin" "$work/icon-$other.bin"; then
                copies+=("$key")
            fi
        done < "$work/small.txt"
        [ "${#copies[@]}" -eq 0 ] ||
            fail "icon group $small_icon_group repeats images of group $app_icon_group (${copies[*]}): the small icon must have art of its own"
    fi
}

# --- Version record ---------------------------------------------------------
check_version_record() {
    local key value name want line translation
    # Only the version record, with blanks squeezed, is looked at.
    sed -n '/VERSIONINFO/,$p' "$work/res.rc" |
        sed 's/^[[:space:]]*//; s/[[:space:]][[:space:]]*/ /g' > "$work/version.rc"
    for key in FILEVERSION PRODUCTVERSION; do
        value=$(sed -n "s/^$key //p" "$work/version.rc" | head -n 1)
        [ "$value" = "$version_numbers" ] ||
            fail "version record: $key is '$value', expected '$version_numbers'"
    done
    # The string values inside BLOCK "040904B0" (US English, Unicode).
    awk -v blk="$string_block" '
        toupper($0) == "BLOCK \"" toupper(blk) "\"" { inside = 1; next }
        inside && $0 == "END" { exit }
        inside && /^VALUE / { print }
    ' "$work/version.rc" > "$work/strings.txt"
    if [ ! -s "$work/strings.txt" ]; then
        fail "version record: no string block \"$string_block\""
    else
        for name in "${!version_strings[@]}"; do
            want=${version_strings[$name]}
            line=$(grep -F "VALUE \"$name\"," "$work/strings.txt" | head -n 1)
            if [ -z "$line" ]; then
                fail "version record: no $name string in block \"$string_block\""
            elif [ "$line" != "VALUE \"$name\", \"$want\"" ]; then
                fail "version record: $name is ${line#"VALUE \"$name\", "}, expected \"$want\""
            fi
        done
    fi
    translation=$(grep -F 'VALUE "Translation",' "$work/version.rc" | head -n 1)
    if [ "$translation" != 'VALUE "Translation", 0x409, 1200' ]; then
        fail "version record: translation is '${translation#VALUE \"Translation\", }', expected '0x409, 1200' (US English, Unicode)"
    fi
}

check_version() {
    version_count=$(grep -c -e '--type=16 ' "$work/res.txt")
    if [ "$version_count" -eq 0 ]; then
        fail "no version record (type 16 resource)"
    elif [ "$version_count" -ne 1 ]; then
        fail "$version_count version records (type 16 resources), expected 1"
    elif ! "$windres" -J coff -i "$exe" -O rc > "$work/res.rc" 2> "$work/err.txt"; then
        fail "windres cannot decode the resources: $(head -n 1 "$work/err.txt")"
    elif ! grep -q 'VERSIONINFO' "$work/res.rc"; then
        fail "windres shows no VERSIONINFO in the decoded resources"
    else
        check_version_record
    fi
}

# The checker has neither icons nor a version record.
if [ "$kind" = launcher ]; then
    check_icons
    check_version
fi

# --- Verdict ----------------------------------------------------------------
if [ "$failures" -ne 0 ]; then
    echo "$exe: $failures difference(s) found" >&2
    exit 1
fi
if [ "$kind" = launcher ]; then
    echo "$exe: PE32 i386 GUI, $(wc -l < "$work/imports.txt") allowed imports, icon groups $app_icon_group and $small_icon_group, version $version_numbers, no manifest: OK"
else
    echo "$exe: PE32 i386 console, $(wc -l < "$work/imports.txt") allowed imports, no manifest: OK"
fi
