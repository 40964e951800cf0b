#!/usr/bin/env bash
# Installs the cross toolchain, Wine and Xvfb for the Windows build, and fetches the libpng source
# package that the build compiles for mingw (Debian ships no mingw libpng).
# Safe to run again: apt-get runs only when something is missing, the source only when absent.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

packages=(
  mingw-w64 gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  # the 32-bit compiler only checks that the ABI records keep their layout
  g++-mingw-w64-i686-posix
  wine wine64 xvfb xauth dpkg-dev
  # GoogleTest is compiled from source for the Windows tests
  googletest
)
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "bootstrap-windows: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "bootstrap-windows: all packages present"
fi

# ---- libpng source -------------------------------------------------------------------------
third_party=$root/build/third_party
link=$third_party/libpng
if [[ -f $link/png.h && -f $link/scripts/pnglibconf.h.prebuilt ]]; then
  echo "bootstrap-windows: libpng source present"
  exit 0
fi

# A private apt configuration: deb-src twins of the machine's own Debian entries, with lists and
# cache of its own, so the system's apt state is never touched.
apt_dir=$root/build/apt-src
rm -rf "$apt_dir"
mkdir -p "$apt_dir/etc/sources.list.d" "$apt_dir/state/lists/partial" \
  "$apt_dir/cache/archives/partial" "$third_party"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")

# Only entries for the machine's own release carry its source packages; third-party
# repositories (other suites) often have no source index and would fail the update.
suite_ok() {
  local s
  for s in "$@"; do
    [[ -z $codename || $s == "$codename" || $s == "$codename"-* ]] || return 1
  done
}

list_out=$apt_dir/etc/sources.list
: >"$list_out"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -f $f ]] || continue
  while read -r type rest; do
    [[ $type == deb ]] || continue
    # Fields: [options] uri suite components...
    read -r -a words <<<"$rest"
    i=0
    if [[ ${words[0]} == \[* ]]; then
      while ((i < ${#words[@]})) && [[ ${words[$i]} != *\] ]]; do i=$((i + 1)); done
      i=$((i + 1))
    fi
    ((i + 1 < ${#words[@]})) && suite_ok "${words[$((i + 1))]}" || continue
    echo "deb-src $rest" >>"$list_out"
  done <"$f"
done

n=0
for f in /etc/apt/sources.list.d/*.sources; do
  [[ -f $f ]] || continue
  # deb822 stanzas: keep those with type deb and the release's suites, retyped as deb-src.
  awk -v codename="$codename" '
    function flush() {
      if (stanza != "" && isdeb && suitesok) printf "%s\n", stanza
      stanza = ""; isdeb = 0; suitesok = 1
    }
    BEGIN { suitesok = 1 }
    /^[ \t]*$/ { flush(); next }
    /^#/ { next }
    /^Types:/ {
      for (i = 2; i <= NF; i++) if ($i == "deb") isdeb = 1
      stanza = stanza "Types: deb-src\n"; next
    }
    /^Suites:/ {
      for (i = 2; i <= NF; i++)
        if (codename != "" && $i != codename && index($i, codename "-") != 1) suitesok = 0
    }
    { stanza = stanza $0 "\n" }
    END { flush() }
  ' "$f" >"$apt_dir/etc/sources.list.d/$((n++))-$(basename "$f")"
done

apt_opts=(
  -o "Dir::Etc::sourcelist=$list_out"
  -o "Dir::Etc::sourceparts=$apt_dir/etc/sources.list.d"
  -o "Dir::State=$apt_dir/state"
  -o "Dir::Cache=$apt_dir/cache"
  -o "APT::Sandbox::User=root"
)
echo "bootstrap-windows: fetching the libpng source package"
apt-get "${apt_opts[@]}" update -qq
# A mirror may lack the newest source (a security upload, say); take the newest that downloads.
mapfile -t versions < <(apt-cache "${apt_opts[@]}" showsrc libpng1.6 |
  sed -n 's/^Version: //p' | sort -u -r -V)
fetched=0
for v in "${versions[@]}"; do
  rm -rf "$third_party"/libpng1.6[-_]*
  if (cd "$third_party" && apt-get "${apt_opts[@]}" source -qq "libpng1.6=$v"); then
    fetched=1
    break
  fi
  echo "bootstrap-windows: libpng1.6 $v could not be fetched, trying an older one" >&2
done
((fetched)) || { echo "bootstrap-windows: no libpng1.6 source could be fetched" >&2; exit 1; }

src=$(find "$third_party" -maxdepth 1 -type d -name 'libpng1.6-*' | sort | tail -n 1)
if [[ -z $src || ! -f $src/png.h ]]; then
  echo "bootstrap-windows: libpng source not found after apt-get source" >&2
  exit 1
fi
ln -sfn "$(basename "$src")" "$link"
echo "bootstrap-windows: libpng source in ${link#"$root"/}"
