#!/bin/sh
# Fails when a product source includes a Qt header or names a Qt type.
status=0
for dir in "$@"; do
  if grep -rnE '#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]*|Qt[A-Za-z]*/)|\bQ(Widget|Image|String|Object|Application|Pixmap|Settings)\b' "$dir"; then
    echo "Qt used in $dir: the package may use only the platform's API" >&2
    status=1
  fi
done
exit $status
