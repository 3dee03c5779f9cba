# Sourced by scripts that touch a folder the program may be writing the screen into.
#
# hold_screens_folder DIR holds DIR as the program holds it while it writes there: by its lock file
# DIR/.floorpad-screens.lock, made 0600 when missing, locked without waiting and noting this
# process. The file counts only while it is a regular file of this account's that no other account
# may open; it is never followed through a link and never removed. Sets screens_lock_fd (let go with
# release_screens_folder), or returns 1 with why in screens_lock_problem.
hold_screens_folder() {
  local folder=$1 lock=$1/.floorpad-screens.lock made owner mode
  screens_lock_problem=""
  if [ ! -w "$folder" ]; then
    screens_lock_problem="Permission denied"
    return 1
  fi
  if [ ! -e "$lock" ] && [ ! -L "$lock" ]; then
    # Made only where nothing has the name: noclobber creates exclusively, following no link.
    if ! made=$( (umask 077 && set -C && : >"$lock") 2>&1) && [ ! -e "$lock" ]; then
      screens_lock_problem="cannot make its lock $lock: ${made##*: }"
      return 1
    fi
  fi
  if [ -L "$lock" ] || [ ! -f "$lock" ]; then
    screens_lock_problem="cannot hold it: its lock $lock cannot be used: it is a link or not a regular file"
    return 1
  fi
  if ! { exec {screens_lock_fd}<>"$lock"; } 2>/dev/null; then
    screens_lock_problem="cannot hold it: its lock $lock cannot be used: it cannot be opened for writing"
    return 1
  fi
  # The file opened must be the one looked at, not one put in its place meanwhile.
  read -r owner mode < <(stat -L -c '%u %a' "/dev/fd/$screens_lock_fd")
  if [ "$(stat -L -c %d-%i "/dev/fd/$screens_lock_fd")" != "$(stat -c %d-%i -- "$lock")" ] ||
     [ "$owner" != "$(id -u)" ] || (((8#$mode & 8#077) != 0)); then
    exec {screens_lock_fd}>&-
    screens_lock_problem="cannot hold it: its lock $lock cannot be used: it is not this account's alone"
    return 1
  fi
  if ! flock -n "$screens_lock_fd"; then
    screens_lock_problem="another run is using it: process $(head -n 1 "/dev/fd/$screens_lock_fd" | tr -dc 0-9) of this account holds $lock"
    exec {screens_lock_fd}>&-
    return 1
  fi
  : >"/dev/fd/$screens_lock_fd"
  printf '%s\n' "$$" >&"$screens_lock_fd"
}

release_screens_folder() {
  : >"/dev/fd/$screens_lock_fd"
  exec {screens_lock_fd}>&-
}
