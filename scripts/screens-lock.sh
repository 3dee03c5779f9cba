# Sourced by scripts that touch a folder the program may be writing the screen into.
#
# screens_lock_file DIR prints the lock file the program holds while it writes into DIR:
# "<device>-<inode>.lock" of the folder, in the first of /tmp/floorpad-locks-<uid>,
# /tmp/floorpad-locks-<uid>-2, ... -16 that is a folder (not a link) of this account's closed to
# others, made when there is none; one another account made in the way is passed over, as the
# program passes it over. Fails when there is no such folder.
screens_lock_file() {
  local folder=$1 uid base candidate free round n mode
  uid=$(id -u)
  base=/tmp/floorpad-locks-$uid
  for round in 1 2; do
    free=""
    for n in $(seq 1 16); do
      candidate=$base
      ((n > 1)) && candidate=$base-$n
      if [ -d "$candidate" ] && [ ! -L "$candidate" ] && [ "$(stat -c %u -- "$candidate")" = "$uid" ]; then
        mode=$(stat -c %a -- "$candidate")
        if (((8#$mode & 8#077) == 0)); then
          printf '%s/%s.lock\n' "$candidate" "$(stat -L -c %d-%i -- "$folder")"
          return 0
        fi
      fi
      [ -z "$free" ] && [ ! -e "$candidate" ] && [ ! -L "$candidate" ] && free=$candidate
    done
    [ -n "$free" ] || return 1
    mkdir -m 700 -- "$free" 2>/dev/null || true
  done
  return 1
}
