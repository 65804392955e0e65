#!/usr/bin/env bash
# Makes the sounds again into a scratch folder and compares them byte for
# byte with those of the installation image IMAGE.
# Usage: check-reproducible.sh IMAGE
set -euo pipefail
image=${1:?usage: check-reproducible.sh IMAGE}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$(dirname "$0")/make-sounds.sh" "$scratch"
count=0
while IFS= read -r -d '' f; do
    rel=${f#"$scratch"/}
    cmp -s "$f" "$image/$rel" || { echo "differs: $rel" >&2; exit 1; }
    count=$((count + 1))
done < <(find "$scratch" -type f -print0)
[ "$count" -ge 21 ] || { echo "only $count sounds made" >&2; exit 1; }
echo "sounds reproducible: $count files"
