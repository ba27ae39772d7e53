#!/usr/bin/env bash
# Builds the Debian package in the build folder, unpacks it into a scratch
# root, checks what it holds and declares, and builds a program outside the
# project against the unpacked library both ways: through the CMake package
# and through pkg-config. Both programs must print the same. The examples
# build against it too and print what they print in the build tree.
# Usage: check_install.sh BUILD_DIR CPACK SANITIZED(0|1)
set -euo pipefail
build=$1
cpack=$2
sanitized=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/dv-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

flags=()
[ "$sanitized" = 1 ] && flags=(-fsanitize=address,undefined)

(cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >/dev/null)
deb=$(ls "$work"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libsqlite3-0 libpq5 libedit2; do
  case ", $depends," in *" $needed"[,\ ]*) ;; *) echo "Depends lacks $needed: $depends" >&2; exit 1 ;; esac
done
root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/dvsql usr/share/man/man1/dvsql.1 usr/include/dv/dv/dv.h \
  usr/lib/libdv.a usr/lib/dv/dv_classes.o usr/lib/cmake/dv/dvConfig.cmake \
  usr/lib/pkgconfig/dv.pc; do
  [ -e "$root/$file" ] || { echo "the package lacks $file" >&2; exit 1; }
done
if [ -e "$root/usr/include/dv/object/internal" ]; then
  echo "internal headers were installed" >&2
  exit 1
fi

# The CMake package.
cmake -S "$here/outside" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" \
  -DCMAKE_CXX_FLAGS="${flags[*]}" -DCMAKE_EXE_LINKER_FLAGS="${flags[*]}" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
by_cmake=$("$work/cmake-build/outside")

# pkg-config.
pc_flags=$(PKG_CONFIG_PATH="$root/usr/lib/pkgconfig" pkg-config --cflags --libs dv)
# shellcheck disable=SC2086
g++ "${flags[@]}" "$here/outside/main.cpp" $pc_flags -o "$work/by-pkg-config"
by_pkg_config=$("$work/by-pkg-config")

expected_start="decimal 12.345"
if [ "${by_cmake%%$'\n'*}" != "$expected_start" ]; then
  echo "unexpected output: $by_cmake" >&2
  exit 1
fi
if [ "$by_cmake" != "$by_pkg_config" ]; then
  echo "the two builds differ:" >&2
  diff <(echo "$by_cmake") <(echo "$by_pkg_config") >&2 || true
  exit 1
fi
grep -q "nested" <<<"$by_cmake" || { echo "the nested table is missing: $by_cmake" >&2; exit 1; }

# The examples, built against the unpacked package as examples/README.md shows (the CMake
# package), and run with their expected outputs. The locale example needs a compiled locale,
# so it is only built here; the suite runs it in the build tree.
examples=$here/../../examples
mkdir -p "$work/examples"
cat >"$work/examples/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.16)
project(dv_examples LANGUAGES CXX)
find_package(dv REQUIRED)
foreach(name values_in_locale nested_table delimited_lookup stream_table)
  add_executable(\${name} "$examples/\${name}.cpp")
  target_link_libraries(\${name} PRIVATE dv::dv)
endforeach()
CMAKE
cmake -S "$work/examples" -B "$work/examples-build" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" \
  -DCMAKE_CXX_FLAGS="${flags[*]}" -DCMAKE_EXE_LINKER_FLAGS="${flags[*]}" >/dev/null
cmake --build "$work/examples-build" >/dev/null
cd "$examples"
for run in "nested_table" "stream_table" "delimited_lookup data/countries.txt SE de XX"; do
  read -r -a words <<<"$run"
  bash "$examples/run_example.sh" "$examples/expected/${words[0]}.out" \
    "$work/examples-build/${words[0]}" "${words[@]:1}"
done
