# shellcheck shell=bash
# Sourced by the scripts that drive Wine: waiting without blind sleeps.

# Waits until the command succeeds, at most $1 seconds.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
