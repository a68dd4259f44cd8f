#!/usr/bin/env bash
# Tests the release package as a user would, from the unpacked zip alone: the
# checksums, the files, the header as C and C++, a client built with MinGW
# against libortk232.dll.a and as MSVC-format objects linked by lld-link
# against ortk232.lib, for both architectures; the 64-bit clients run under
# wine64. Then the soak of the packaged 64-bit DLL, which needs DISPLAY.
# The package is unpacked into build/dist-test/package, where the 32-bit
# clients and the 32-bit soak wait for the emulated machine
# (scripts/check-dist32.sh).
#   check-dist.sh [--build-only]   --build-only: unpack and build, run nothing
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
run=1
[ "${1:-}" = --build-only ] && run=0

failed=0
step() {
  local name=$1
  shift
  if "$@" >"$work/step.log" 2>&1; then
    echo "ok   $name"
  else
    echo "FAIL $name"
    sed 's/^/     /' "$work/step.log" | head -40
    failed=$((failed + 1))
  fi
}

zips=(dist/ortk232-*.zip)
if [ ${#zips[@]} -ne 1 ] || [ ! -f "${zips[0]}" ]; then
  echo "FAIL: no single dist/ortk232-*.zip: run make dist"
  exit 1
fi
zip=${zips[0]}
work=$(pwd)/build/dist-test
rm -rf "$work"
mkdir -p "$work"
pkg=$work/package
client=$work/client.c
# The client is the test's own source; everything it is built against and
# runs with comes from the unpacked zip.
cp tests/dist/package_client.c "$client"
echo "package: $zip"

step "zip checksum" bash -c "cd dist && sha256sum -c $(basename "$zip").sha256"
step "unpack" python3 -c "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])" \
  "$zip" "$pkg"
step "sha256sum -c SHA256SUMS" bash -c "cd '$pkg' && sha256sum -c --strict SHA256SUMS"
required="QUICKSTART.txt SHA256SUMS include/ortk232.h doc/ortk232-reference.html
  examples/affine-six.txt examples/sheet-to-utm33.txt"
for arch in win32 win64; do
  for f in ortk232.dll ortkcall.exe ortk-fit.exe; do required+=" bin/$arch/$f"; done
  for f in ortk232.def libortk232.dll.a ortk232.lib; do required+=" lib/$arch/$f"; done
done
missing() {
  local f bad=0
  for f in $required; do [ -s "$pkg/$f" ] || { echo "missing: $f"; bad=1; }; done
  return $bad
}
step "every file present" missing
# Nothing of the build machine: no folder of it in any file.
step "no build paths in the package" bash -c "! grep -rlaF -e '$(pwd)' -e /work/ -e /home/ '$pkg'"
step "reference page has a table of contents and every export" bash -c "
  page='$pkg/doc/ortk232-reference.html'
  grep -q 'id=\"TOC\"' \"\$page\" || exit 1
  for name in \$(grep -oE '^ +\"?[?A-Za-z_][^ \"]*' '$pkg/lib/win32/ortk232.def' | tr -d ' \"'); do
    case \$name in \?SetDirectory*) name=SetDirectory ;; esac
    grep -q \"\$name\" \"\$page\" || { echo \"not described: \$name\"; exit 1; }
  done"

# The header alone, and before and after <windows.h>, as C and as C++.
cat >"$work/alone.c" <<'C'
#include "ortk232.h"
C
printf '#include <windows.h>\n#include "ortk232.h"\n' >"$work/after.c"
printf '#include "ortk232.h"\n#include <windows.h>\n' >"$work/before.c"
for triple in i686-w64-mingw32 x86_64-w64-mingw32; do
  for f in alone after before; do
    step "header $f, $triple gcc -std=c11" "$triple-gcc" -std=c11 -Wall -Wextra -Werror \
      -fsyntax-only -I"$pkg/include" "$work/$f.c"
    step "header $f, $triple g++ -std=c++11" "$triple-g++" -x c++ -std=c++11 -Wall -Wextra \
      -Werror -fsyntax-only -I"$pkg/include" "$work/$f.c"
  done
done
for machine in i686 x86_64; do
  for lang in c c++; do
    step "header alone, clang $machine-pc-windows-msvc $lang" clang --target=$machine-pc-windows-msvc \
      -nostdlibinc -fms-extensions -Wall -Wextra -Werror -fsyntax-only -x $lang \
      -I"$pkg/include" "$work/alone.c"
  done
done

# The clients: C and C++, MinGW and MSVC format, each architecture.
build_clients() {
  local arch=$1 triple=$2 machine=$3 dlltool_machine=$4 bin=$pkg/bin/$1 out=$work/$1
  mkdir -p "$out"
  step "$arch MinGW C client, -lortk232" "$triple-gcc" -std=c11 -Wall -Wextra -Werror \
    -I"$pkg/include" "$client" -L"$pkg/lib/$arch" -lortk232 -o "$bin/client-mingw-c.exe"
  step "$arch MinGW C++ client, -lortk232" bash -c "$triple-g++ -x c++ -std=c++11 -Wall -Wextra \
    -Werror -fno-exceptions -I'$pkg/include' -c '$client' -o '$out/client-cpp.o' &&
    $triple-gcc '$out/client-cpp.o' -L'$pkg/lib/$arch' -lortk232 -o '$bin/client-mingw-cpp.exe'"
  # kernel32's import library, made the same way from the three names used.
  if [ "$arch" = win32 ]; then
    printf 'LIBRARY kernel32.dll\nEXPORTS\n GetStdHandle@4\n WriteFile@20\n ExitProcess@4\n'
  else
    printf 'LIBRARY kernel32.dll\nEXPORTS\n GetStdHandle\n WriteFile\n ExitProcess\n'
  fi >"$out/kernel32.def"
  # -k: the 32-bit stdcall symbols (_GetStdHandle@4) import the plain names.
  step "$arch kernel32.lib" llvm-dlltool -k -m "$dlltool_machine" -d "$out/kernel32.def" \
    -l "$out/kernel32.lib"
  local lang tag
  for lang in c c++; do
    tag=${lang/++/pp}
    step "$arch MSVC-format $lang client, lld-link ortk232.lib" bash -c "
      clang --target=$machine-pc-windows-msvc -nostdlibinc -fms-extensions -fno-exceptions \
        -Wall -Wextra -Werror -O1 -x $lang -I'$pkg/include' -c '$client' -o '$out/client-$tag.obj' &&
      lld-link /nologo /nodefaultlib /subsystem:console /entry:ClientStart \
        /out:'$bin/client-msvc-$tag.exe' '$out/client-$tag.obj' '$pkg/lib/$arch/ortk232.lib' \
        '$out/kernel32.lib'"
  done
}
build_clients win32 i686-w64-mingw32 i686 i386
build_clients win64 x86_64-w64-mingw32 x86_64 i386:x86-64

# The objects refer to the names a user's compiler makes, and the programs
# import the DLL's own export names.
symbols() {
  llvm-nm --undefined-only "$1" | awk '{print $NF}' | grep -qxF -- "$2" || {
    echo "$1 does not refer to $2"
    llvm-nm "$1"
    return 1
  }
}
imports() {
  local exe=$1 dlls=$2 listing
  shift 2
  listing=$(llvm-readobj --coff-imports "$exe") || return 1
  local got
  got=$(echo "$listing" | sed -n 's/^ *Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
  [ "$got" = "$dlls " ] || { echo "$exe imports from: $got (expected $dlls)"; return 1; }
  local name
  for name in "$@"; do
    echo "$listing" | grep -qxF "    Symbol: $name (0)" ||
      echo "$listing" | grep -qE "^ +Symbol: $(printf '%s' "$name" | sed 's/[?@]/\\&/g') \(" || {
      echo "$exe does not import $name"
      echo "$listing"
      return 1
    }
  done
}
step "win32 C object refers to _ParsePath and _SetDirectory (aliased)" bash -c "
  $(declare -f symbols); symbols '$work/win32/client-c.obj' _ParsePath &&
  symbols '$work/win32/client-c.obj' _SetDirectory &&
  llvm-readobj --section-data --sections '$work/win32/client-c.obj' | tr -d '\n' | grep -q alternatename"
step "win32 C++ object refers to ?SetDirectory@@YAJPBD@Z" bash -c "
  $(declare -f symbols); symbols '$work/win32/client-cpp.obj' '?SetDirectory@@YAJPBD@Z'"
step "win64 C++ object refers to ?SetDirectory@@YAJPEBD@Z" bash -c "
  $(declare -f symbols); symbols '$work/win64/client-cpp.obj' '?SetDirectory@@YAJPEBD@Z'"
for machine in i686 x86_64; do
  decorated='?SetDirectory@@YAJPBD@Z'
  [ $machine = x86_64 ] && decorated='?SetDirectory@@YAJPEBD@Z'
  step "clang $machine-w64-mingw32 object refers to $decorated" bash -c "
    $(declare -f symbols)
    clang --target=$machine-w64-mingw32 -nostdlibinc -Wall -Wextra -Werror -I'$pkg/include' \
      -c '$client' -o '$work/client-clang-mingw-$machine.o' &&
    symbols '$work/client-clang-mingw-$machine.o' '$decorated'"
done
ortk_names="ParsePath CalculateTransformParams rv_encrypt rv_decrypt"
for arch in win32 win64; do
  decorated='?SetDirectory@@YAJPBD@Z'
  [ $arch = win64 ] && decorated='?SetDirectory@@YAJPEBD@Z'
  for kind in msvc-c msvc-cpp; do
    step "$arch client-$kind imports $decorated and the plain names" bash -c "
      $(declare -f imports); imports '$pkg/bin/$arch/client-$kind.exe' 'kernel32.dll ortk232.dll' \
        $ortk_names '$decorated'"
  done
  for kind in mingw-c mingw-cpp; do
    step "$arch client-$kind imports $decorated and the plain names" bash -c "
      $(declare -f imports); imports '$pkg/bin/$arch/client-$kind.exe' \
        'kernel32.dll msvcrt.dll ortk232.dll' $ortk_names '$decorated'"
  done
done

# The soak programs are the test's; the DLLs they load are the packaged ones.
for arch in win32 win64; do
  mkdir -p "$work/soak-$arch"
  step "$arch soak program beside the packaged DLL" cp "build/$arch/ortk_soak.exe" \
    "$pkg/bin/$arch/ortk232.dll" "$work/soak-$arch/"
done
if [ $run = 0 ]; then
  echo "check-dist: built, $failed failed"
  [ "$failed" -eq 0 ]
  exit
fi

# The soak opens the splash screen and the About box, so the programs below
# run on a display of their own, set before the first of them starts Wine's
# desktop.
trap stop_private_display EXIT
start_private_display || { echo "check-dist: Xvfb did not start"; exit 1; }

# The 64-bit clients run, from the package folder, beside the packaged DLL.
wine_prefix_ready
for kind in mingw-c mingw-cpp msvc-c msvc-cpp; do
  step "win64 client-$kind runs" bash -c "cd '$pkg' && '$WINE' bin/win64/client-$kind.exe"
  sed 's/^/     /' "$work/step.log" | tr -d '\r' | grep -v '^     ok ' || true
done

# Under Xvfb there is no window manager, and Wine waits up to two seconds for
# one whenever a managed window is hidden: the soak's windows are unmanaged.
"$WINE" reg add 'HKCU\Software\Wine\AppDefaults\ortk_soak.exe\X11 Driver' /v Managed /d N /f \
  >/dev/null 2>&1
# ORTK_SOAK_ROUNDS: the number of rounds. A round calls every small export;
# every 5th also GetTextWidth and CalculateTransformParams, every 50th the
# splash screen and the About box. make check runs 5,000 rounds (23 s in a
# make check on the 2-core build machine); ORTK_SOAK_ROUNDS=100000 is the full
# soak (20,000 fits and text measurements, 2,000 of each box: the boxes alone
# take about 3 minutes of it).
echo "=== soak, 64-bit, under wine64"
start=$(date +%s)
(cd "$work/soak-win64" && timeout 3600 "$WINE" ortk_soak.exe "${ORTK_SOAK_ROUNDS:-5000}") | tr -d '\r'
status=${PIPESTATUS[0]}
echo "soak: exit status $status after $(($(date +%s) - start)) s"
[ "$status" -eq 0 ] || failed=$((failed + 1))

echo "check-dist: $failed failed"
[ "$failed" -eq 0 ]
