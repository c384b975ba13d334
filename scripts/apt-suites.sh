# Sourced by install-deps.sh: one consistent choice of suites for an install when
# the mirror failed to serve one of a suite's package indexes (a mirror in the
# middle of a sync serves index files that do not match their release file).
#
# The amd64 and i386 builds of a Multi-Arch "same" library must have one version.
# If, say, bookworm-security's i386 index is missing, the i386 twins can come only
# from bookworm and bookworm-updates, while the amd64 side would still be offered
# bookworm-security's newer versions; apt then finds no solution. So a suite with
# a missing index is set aside for the whole install (both architectures), by an
# apt preferences entry given to these apt calls only: the machine's own apt
# configuration is left as it was.
#
# That is not enough where the machine already has an amd64 twin at a version
# only the set-aside suite has (installed from bookworm-security while its index
# was whole): apt would have to downgrade it. There the i386 package of exactly
# the installed version is fetched from the archive's pool, where Debian keeps
# every architecture's build side by side, at the path the amd64 build's
# (signed) index entry gives with the architecture changed, and checked for its
# name, version and architecture before it is installed. No signed index lists
# these i386 files (that index is the one the mirror failed to serve), so the
# set-up says in its one line that they are fetched so. The installed libraries
# keep their security fixes, and the machine ends as a full install would leave it.
#
# The apt and dpkg commands are the variables below, so a test can stand in for them.
MOVETRAIL_APT_GET=${MOVETRAIL_APT_GET:-apt-get}
MOVETRAIL_APT_CACHE=${MOVETRAIL_APT_CACHE:-apt-cache}
MOVETRAIL_DPKG_QUERY=${MOVETRAIL_DPKG_QUERY:-dpkg-query}
MOVETRAIL_FETCH=${MOVETRAIL_FETCH:-/usr/lib/apt/apt-helper download-file}
MOVETRAIL_CHOWN=${MOVETRAIL_CHOWN:-chown}

# The suites with a binary package index that `apt-get update` (its output in the
# file $1) failed to fetch, one a line. The release's main suite ($2) is never
# set aside: without it nothing can be installed, and the install says so.
movetrail_failed_suites() {
  sed -n 's#^[EW]: Failed to fetch [^ ]*/dists/\([^/ ]*\)/[^ ]*/binary-[a-z0-9]*/.*#\1#p' "$1" |
    sort -u | grep -vx "${2:-bookworm}" || true
}

# Writes, into the folder $1, the machine's own preference parts and one entry per
# suite named on standard input that sets it aside.
movetrail_write_preferences() {
  local dir=$1 suite
  mkdir -p "$dir"
  cp /etc/apt/preferences.d/* "$dir"/ 2>/dev/null || true
  while read -r suite; do
    [ -n "$suite" ] || continue
    printf 'Package: *\nPin: release n=%s\nPin-Priority: -1\n\n' "$suite" >>"$dir/zz-movetrail-set-aside.pref"
  done
}

# The names (without architecture) of the i386 packages among the arguments and
# everything they depend on, under apt's options for the install (MOVETRAIL_APT_OPTS).
movetrail_i386_closure() {
  local name
  local -a i386=()
  for name in "$@"; do [[ $name == *:i386 ]] && i386+=("$name"); done
  [ ${#i386[@]} -gt 0 ] || return 0
  $MOVETRAIL_APT_CACHE "${MOVETRAIL_APT_OPTS[@]}" depends --recurse --no-recommends --no-suggests \
      --no-conflicts --no-breaks --no-replaces --no-enhances "${i386[@]}" 2>/dev/null |
    sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | sort -u
}

# Of the i386 closure of the arguments, the packages whose amd64 twin is installed
# at a version newer than the i386 side can have now: "name version" a line.
movetrail_stranded_twins() {
  local name installed candidate
  local -a deps=()
  mapfile -t deps < <(movetrail_i386_closure "$@")
  [ ${#deps[@]} -gt 0 ] || return 0
  # One query each for the installed amd64 twins and the i386 candidates.
  join <($MOVETRAIL_DPKG_QUERY -W -f='${Package} ${Status} ${Multi-Arch} ${Version}\n' \
           "${deps[@]/%/:amd64}" 2>/dev/null |
         awk '$2 == "install" && $4 == "installed" && $5 == "same" { print $1, $6 }' | sort -k1,1) \
       <($MOVETRAIL_APT_CACHE "${MOVETRAIL_APT_OPTS[@]}" policy "${deps[@]/%/:i386}" 2>/dev/null |
         awk '/^[^ ].*:$/ { p = $1; sub(/:i386:$/, "", p); sub(/:$/, "", p) }
              /^ *Candidate:/ { print p, $2 }' | sort -k1,1) |
    while read -r name installed candidate; do
      if [ "$candidate" = "(none)" ] || dpkg --compare-versions "$installed" gt "$candidate"; then
        printf '%s %s\n' "$name" "$installed"
      fi
    done
}

# The source packages of the installed amd64 packages named on standard input
# ("name ..." lines), one a line.
movetrail_sources_of() {
  local -a names=()
  mapfile -t names < <(awk 'NF { print $1 ":amd64" }')
  [ ${#names[@]} -gt 0 ] || return 0
  $MOVETRAIL_DPKG_QUERY -W -f='${source:Package}\n' "${names[@]}" 2>/dev/null | sort -u
}

# Appends to the preferences folder $1 an entry that gives back the set-aside
# suite $2 to the packages built from the sources on standard input: their amd64
# side stays at the version the machine has (every binary of a source moves
# together), and their i386 side is fetched at it.
movetrail_keep_sources() {
  local dir=$1 suite=$2 list
  list=$(awk 'NF { printf "%ssrc:%s", sep, $1; sep = " " }')
  [ -n "$list" ] || return 0
  printf 'Package: %s\nPin: release n=%s\nPin-Priority: 500\n\n' "$list" "$suite" >>"$dir/zz-movetrail-kept.pref"
}

# Of the i386 closure of the arguments, the Multi-Arch "same" libraries built from
# the sources named in $1 (one a line), at the version their amd64 side will have:
# "name version". (Another package of theirs, perl say, has one architecture only,
# and the amd64 one serves.)
movetrail_twins_of_sources() {
  local sources=$1
  shift
  local -a deps=()
  mapfile -t deps < <(movetrail_i386_closure "$@")
  [ ${#deps[@]} -gt 0 ] || return 0
  $MOVETRAIL_APT_CACHE "${MOVETRAIL_APT_OPTS[@]}" show --no-all-versions "${deps[@]/%/:amd64}" 2>/dev/null |
    awk -v sources="$sources" '
      BEGIN { n = split(sources, s, "\n"); for (i = 1; i <= n; i++) if (s[i] != "") keep[s[i]] = 1 }
      /^Package: / { p = $2; src = $2; v = ""; ma = "" }
      /^Source: / { src = $2 }
      /^Version: / { v = $2 }
      /^Multi-Arch: / { ma = $2 }
      /^$/ { if (p != "" && ma == "same" && (src in keep)) print p, v; p = "" }
      END { if (p != "" && ma == "same" && (src in keep)) print p, v }' | sort -u
}

# The line the set-up prints when it sets the suites $1 aside; with stranded twins
# ("name version" lines, $3) also the sources $2 that keep the suite, and that
# their i386 packages come from the archive's pool without a signed index.
movetrail_set_aside_note() {
  local aside=$1 sources=$2 stranded=$3 names
  printf 'install-deps: the mirror did not serve every index of %s; installing from the other suites only' "$(echo $aside)"
  if [ -n "$stranded" ]; then
    names=$(awk 'NF { printf "%s%s", s, $1; s = " " }' <<<"$stranded")
    printf ', but for the sources of %s, whose i386 packages (%s) are fetched from the archive'"'"'s pool at the version their amd64 side has, without a signed index (checked for name, version and architecture)' \
      "$(echo $sources)" "$names"
  fi
  printf '\n'
}

# Fetches the i386 build of package $1 at version $2 and prints the path of its
# copy in the folder $3; fails when the archive has no such file or the file is
# another package. The download goes to $3/downloads, the one folder apt's own
# user (where it has one) is given to write; the copy checked and installed is
# made there by the caller's user, in the folder $3 that only it writes.
movetrail_fetch_twin() {
  local name=$1 version=$2 dir=$3 uri file fetched
  uri=$($MOVETRAIL_APT_GET download --print-uris "$name:amd64=$version" 2>/dev/null |
    sed -n "s/^'\([^']*\)_amd64\.deb' .*/\1_i386.deb/p" | head -n 1)
  [ -n "$uri" ] || { echo "install-deps: no archive entry for $name $version" >&2; return 1; }
  mkdir -p "$dir/downloads"
  if id -u _apt >/dev/null 2>&1; then $MOVETRAIL_CHOWN _apt "$dir/downloads" 2>/dev/null || true; fi
  fetched=$dir/downloads/${uri##*/}
  file=$dir/${uri##*/}
  $MOVETRAIL_FETCH "$uri" "$fetched" >/dev/null || { echo "install-deps: could not fetch $uri" >&2; return 1; }
  cp "$fetched" "$file" && rm -f "$fetched" || { echo "install-deps: could not copy $fetched" >&2; return 1; }
  if [ "$(dpkg-deb -f "$file" Package Version Architecture 2>/dev/null | tr '\n' ' ')" != \
       "Package: $name Version: $version Architecture: i386 " ]; then
    echo "install-deps: $uri is not $name $version for i386" >&2
    return 1
  fi
  printf '%s\n' "$file"
}
