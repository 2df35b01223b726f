#!/usr/bin/env bash
# Kills a settings-store writer at random instants and checks after every kill that each of the
# game's five values still holds an old or a new text, for every mix of folder and file rights.
#   kill_writer.sh WRITER [ROUNDS [SECONDS]]
# WRITER is the registry_writer program. Each of the four folder/file combinations runs ROUNDS
# kills (default 1000), or fewer when SECONDS (default: no limit) runs out, split evenly between
# them. Run as root, the writers run as the unprivileged user nobody, since root ignores the rights.
set -euo pipefail

writer_built=${1:?usage: kill_writer.sh WRITER [ROUNDS [SECONDS]]}
rounds=${2:-1000}
seconds=${3:-0}

work=$(mktemp -d "${TMPDIR:-/tmp}/kill-writer.XXXXXX")
# The store's private copies go to memory when it can, as in a desktop session: saves then take
# less time beside the steps that write the store itself, so more kills land in those.
scratch=$work
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch=$(mktemp -d /dev/shm/kill-writer.XXXXXX)
  chmod 755 "$scratch"
fi
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work" "$scratch"' EXIT
chmod 755 "$work"
# A private copy, so an unprivileged user can run it wherever the build lies.
writer="$work/registry_writer"
cp "$writer_built" "$writer"
chmod 755 "$writer"

as_user=()
if [ "$(id -u)" = 0 ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi

run() { # runs the writer as the test user in the combination's private world
  XDG_CONFIG_HOME="$base/config" XDG_RUNTIME_DIR="$base/scratch" TMPDIR="$base/tmp" \
    "${as_user[@]}" "$writer" "$@"
}

fail() {
  echo "kill_writer: $combo, round $round: $*" >&2
  ls -la "$store_dir" >&2 || true
  od -c "$store_dir/ZelvanFree.conf" | head -40 >&2 || true
  exit 1
}

start=$SECONDS
combos=(folder-rw/file-rw folder-rw/file-ro folder-ro/file-rw folder-ro/file-ro)
for index in "${!combos[@]}"; do
  combo=${combos[$index]}
  base="$work/combo$index"
  store_dir="$base/config/Marrowby"
  mkdir -p "$store_dir" "$base/tmp" "$scratch/combo$index"
  ln -s "$scratch/combo$index" "$base/scratch"
  [ "$(id -u)" = 0 ] && chown -R 65534:65534 "$base" "$scratch/combo$index"
  run once Sound 1 && run once Highlight 1 && run once Numbered 0 &&
    run once TopPlayer Annabelle && run once HighScore 250 || { echo "seeding failed" >&2; exit 1; }
  case $combo in folder-ro/*) chmod 555 "$store_dir" ;; esac
  case $combo in */file-ro) chmod 444 "$store_dir/ZelvanFree.conf" ;; esac

  deadline=0
  if [ "$seconds" -gt 0 ]; then
    deadline=$((start + seconds * (index + 1) / ${#combos[@]}))
  fi
  round=0
  while [ "$round" -lt "$rounds" ]; do
    if [ "$deadline" -gt 0 ] && [ "$SECONDS" -ge "$deadline" ]; then break; fi
    round=$((round + 1))
    XDG_CONFIG_HOME="$base/config" XDG_RUNTIME_DIR="$base/scratch" TMPDIR="$base/tmp" \
      "${as_user[@]}" "$writer" churn &
    pid=$!
    sleep "0.$(printf '%03d' $((RANDOM % 100)))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    problem=$(run check 2>&1) || fail "$problem"
    orphans=$(find "$store_dir" -maxdepth 1 -name 'ZelvanFree.conf.??????' | wc -l)
    [ "$orphans" -le 1 ] || fail "$orphans temporary files left beside the store"
    copies=$(find "$store_dir" -maxdepth 1 -name 'ZelvanFree.conf.unreadable-*' | wc -l)
    [ "$copies" -eq 0 ] || fail "an interrupted save left a store that had to be set aside"
  done
  # Whatever the kills left, the next save goes through and leaves no trace of them.
  case $combo in
    */file-rw)
      run once TopPlayer Bo || fail "a save after the kills failed"
      ! grep -q '[;~]' "$store_dir/ZelvanFree.conf" || fail "the last save left padding behind"
      ;;
  esac
  echo "kill_writer: $combo: $round kills, every value old or new"
  chmod 755 "$store_dir"
done
