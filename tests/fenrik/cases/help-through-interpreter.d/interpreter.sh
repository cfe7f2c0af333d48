#!/bin/sh
for a in "$0" "$@"; do printf '[%s]\n' "$a"; done
exit 3
