#!/bin/sh
# Runs a program under valgrind's memcheck with the project's settings: every invalid
# access is an error, and so is every definite or indirect leak at exit; valgrind then
# exits with status 99. Errors inside the system's GL driver, X and loader libraries are
# suppressed (memcheck.supp), never those of our code.
#
#   memcheck.sh LOG PROGRAM [ARG...]
#       replaces itself by valgrind; its status is the program's, or 99 on errors
#   memcheck.sh --expect STATUS LOG PROGRAM [ARG...]
#       exits 0 when the program ended with STATUS and valgrind found nothing;
#       otherwise prints the log and exits 1
set -u
expected=
if [ "$1" = "--expect" ]; then
  expected=$2
  shift 2
fi
log=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
set -- valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
  --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
  --keep-debuginfo=yes --num-callers=40 --suppressions="$here/memcheck.supp" \
  --log-file="$log" "$@"
if [ -z "$expected" ]; then
  exec "$@"
fi
"$@" >/dev/null
status=$?
if [ "$status" -ne "$expected" ]; then
  echo "status $status, expected $expected; valgrind log $log:"
  cat "$log"
  exit 1
fi
grep -E "ERROR SUMMARY|definitely lost|indirectly lost" "$log"
exit 0
