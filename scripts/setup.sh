#!/usr/bin/env bash
# Makes a Debian or Ubuntu machine ready for scripts/test.sh: installs the
# packages the tests need and generates the locales they run under. What is
# already there is left alone: when nothing is missing it changes nothing,
# runs no apt-get and needs no root. Otherwise it runs itself again as root,
# through sudo where the user is not root (without a question where sudo
# allows that, with one where a terminal can answer it); where neither works
# it prints the command to run and exits with status 1.
set -euo pipefail
script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

# The native build and its tests (GoogleTest, Google Benchmark), the fuzz
# targets (clang and libFuzzer), valgrind; the Windows build (mingw-w64,
# GoogleTest's sources, Wine: wine64 for the programs, wine for its cmd);
# the locales; the releases (dpkg-shlibdeps and file for the .deb's
# dependencies, unzip, groff and man for the manual page); the archivers
# that the template scripts drive end to end (Info-ZIP zip, 7-Zip's 7zz);
# the XML parser of --dat (headers, for both builds).
packages=(cmake make g++ libgtest-dev libbenchmark-dev librapidxml-dev
          clang libclang-rt-14-dev valgrind
          g++-mingw-w64-x86-64 googletest wine wine64 locales
          dpkg-dev file unzip groff-base man-db zip 7zip tar)
# Japanese for the code page 932 tests, US English for code page 1252.
locales=(ja_JP.UTF-8 en_US.UTF-8)

say() { echo "setup.sh: $*" >&2; }

# The packages of "packages" that are not installed, one a line.
missing_packages() {
  local p
  for p in "${packages[@]}"; do
    [[ $(dpkg-query -W -f '${db:Status-Status}' "$p" 2>/dev/null) == installed ]] ||
      echo "$p"
  done
}

# The locales of "locales" that the C library does not have, one a line.
missing_locales() {
  local l have
  have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8$/utf8/') || true
  for l in "${locales[@]}"; do
    grep -qxF "$(tr 'A-Z' 'a-z' <<<"${l/UTF-8/utf8}")" <<<"$have" || echo "$l"
  done
}

if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
  say "this is no Debian or Ubuntu system; install by hand: ${packages[*]}," \
      "and generate the locales ${locales[*]}"
  exit 1
fi

mapfile -t need_packages < <(missing_packages)
mapfile -t need_locales < <(missing_locales)
if ((${#need_packages[@]} == 0 && ${#need_locales[@]} == 0)); then
  say "every package and locale is there"
  exit 0
fi

if ((EUID != 0)); then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    exec sudo -n bash "$script"
  elif command -v sudo >/dev/null && { : </dev/tty; } 2>/dev/null; then
    say "sudo asks for your password to install: ${need_packages[*]} ${need_locales[*]}"
    exec sudo bash "$script" </dev/tty
  fi
  say "missing: ${need_packages[*]} ${need_locales[*]}; installing them needs root."
  if command -v sudo >/dev/null; then
    say "run this once, then scripts/test.sh again:"
    echo "sudo bash $script"
  else
    say "run this once (root's password), then scripts/test.sh again:"
    echo "su -c 'bash $script'"
  fi
  exit 1
fi

if ((${#need_packages[@]})); then
  say "installing ${need_packages[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Wait for another apt or dpkg run (a fresh machine's automatic updates).
  apt=(apt-get -q -o DPkg::Lock::Timeout=600)
  "${apt[@]}" update
  "${apt[@]}" install -y --no-install-recommends "${need_packages[@]}"
  mapfile -t need_packages < <(missing_packages)
  ((${#need_packages[@]} == 0)) || { say "still missing: ${need_packages[*]}"; exit 1; }
fi

if (($(missing_locales | wc -l))); then
  say "generating the locales ${locales[*]}"
  # Debian's locale-gen builds what /etc/locale.gen names; Ubuntu's takes
  # the names as arguments.
  if [[ -f /etc/locale.gen ]]; then
    for l in "${locales[@]}"; do
      sed -i "s/^# *\(${l//./\\.} UTF-8\)\$/\1/" /etc/locale.gen
      grep -qx "${l//./\\.} UTF-8" /etc/locale.gen || echo "$l UTF-8" >>/etc/locale.gen
    done
  fi
  locale-gen "${locales[@]}"
  mapfile -t need_locales < <(missing_locales)
  ((${#need_locales[@]} == 0)) || { say "still missing: ${need_locales[*]}"; exit 1; }
fi
say "every package and locale is there"
