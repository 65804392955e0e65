#!/usr/bin/env bash
# Makes the installation folder's sounds into OUT (the folder is made):
#   Effect/        connect.wav disconnect.wav battery.wav sms.wav alert.wav
#   Effect/keypad/ 0.wav .. 11.wav: the keys' DTMF tone pairs ("*" 10, "#" 11)
#   bell/          ring tones: melodies synthesised here, three MP3 and default.wav
# Every run with the same tools gives the same bytes (sox in repeatable mode,
# no dither; lame with fixed settings).
# Usage: make-sounds.sh OUT
set -euo pipefail
out=${1:?usage: make-sounds.sh OUT}
command -v sox >/dev/null || { echo "make-sounds: sox is missing (scripts/install-deps.sh)" >&2; exit 1; }
command -v lame >/dev/null || { echo "make-sounds: lame is missing (scripts/install-deps.sh)" >&2; exit 1; }

rate=22050
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SOX=(sox -R -D -q)
mkdir -p "$out/Effect/keypad" "$out/bell"

# tone FILE SECONDS FREQ [FREQ2]: one tone (or two mixed) with soft edges.
tone() {
    local file=$1 len=$2 f1=$3 f2=${4:-}
    if [ -n "$f2" ]; then
        "${SOX[@]}" -n -r $rate -c 1 -b 16 "$file" synth "$len" sine "$f1" sine mix "$f2" \
            vol 0.45 fade t 0.005 "$len" 0.005
    else
        "${SOX[@]}" -n -r $rate -c 1 -b 16 "$file" synth "$len" sine "$f1" vol 0.6 fade t 0.005 "$len" 0.01
    fi
}
# rest FILE SECONDS [RATE]: silence.
rest() { "${SOX[@]}" -n -r "${3:-$rate}" -c 1 -b 16 "$1" trim 0 "$2"; }

# sequence OUT STEP...: STEP is "FREQ:SECONDS" or "-:SECONDS" (a rest).
sequence() {
    local dest=$1; shift
    local parts=() i=0 f len
    for step in "$@"; do
        f=${step%%:*}; len=${step##*:}
        if [ "$f" = - ]; then rest "$work/s$i.wav" "$len"; else tone "$work/s$i.wav" "$len" "$f"; fi
        parts+=("$work/s$i.wav"); i=$((i + 1))
    done
    "${SOX[@]}" "${parts[@]}" "$dest"
    rm -f "${parts[@]}"
}

# Effects.
sequence "$out/Effect/connect.wav"    880:0.08 -:0.04 1320:0.12
sequence "$out/Effect/disconnect.wav" 660:0.10 -:0.04 440:0.18
sequence "$out/Effect/battery.wav"    440:0.12 -:0.08 440:0.12 -:0.08 440:0.12
sequence "$out/Effect/sms.wav"        1047:0.09 1319:0.09 1568:0.16
sequence "$out/Effect/alert.wav"      1000:0.20

# Keys 0-9, "*" (10) and "#" (11): low (row) and high (column) frequency.
dtmf=("941 1336" "697 1209" "697 1336" "697 1477" "770 1209" "770 1336" "770 1477"
      "852 1209" "852 1336" "852 1477" "941 1209" "941 1477")
for k in $(seq 0 11); do
    set -- ${dtmf[$k]}
    tone "$out/Effect/keypad/$k.wav" 0.15 "$1" "$2"
done

# Ring tones: note lists (frequency in Hz : seconds), a melody each.
# Plucked-string voice for the MP3 tones, so they sound unlike the effects.
pluck_sequence() {
    local dest=$1; shift
    local parts=() i=0 f len
    for step in "$@"; do
        f=${step%%:*}; len=${step##*:}
        if [ "$f" = - ]; then
            rest "$work/p$i.wav" "$len" 44100
        else
            "${SOX[@]}" -n -r 44100 -c 1 -b 16 "$work/p$i.wav" synth "$len" pluck "$f" vol 0.7 fade t 0 "$len" 0.02
        fi
        parts+=("$work/p$i.wav"); i=$((i + 1))
    done
    "${SOX[@]}" "${parts[@]}" "$dest"
    rm -f "${parts[@]}"
}
mp3() { lame --quiet --nohist -b 96 -m m --noreplaygain "$1" "$2"; rm -f "$1"; }

# A rising call (E5 G5 B5 E6 ...).
pluck_sequence "$work/morning.wav" 659:0.18 784:0.18 988:0.18 1319:0.36 -:0.1 988:0.18 1319:0.18 1568:0.5 -:0.4
mp3 "$work/morning.wav" "$out/bell/morning.mp3"
# A waltz in three (C5 E5 G5, F5 A5 C6, G5 B5 D6, C6).
pluck_sequence "$work/waltz.wav" 523:0.3 659:0.15 784:0.15 698:0.3 880:0.15 1047:0.15 784:0.3 988:0.15 1175:0.15 \
    1047:0.6 -:0.4
mp3 "$work/waltz.wav" "$out/bell/waltz.mp3"
# Quick repeated notes, like an old phone's bell tune.
pluck_sequence "$work/chime.wav" 1175:0.1 1175:0.1 880:0.1 880:0.1 1175:0.1 1175:0.1 880:0.2 -:0.1 \
    1319:0.1 1175:0.1 1047:0.1 988:0.3 -:0.5
mp3 "$work/chime.wav" "$out/bell/chime.mp3"
# The default ring tone (WAV): the classic two-tone ring, twice.
sequence "$out/bell/default.wav" 1200:0.05 960:0.05 1200:0.05 960:0.05 1200:0.05 960:0.05 1200:0.05 960:0.05 \
    1200:0.05 960:0.05 1200:0.05 960:0.05 1200:0.05 960:0.05 1200:0.05 960:0.05 -:0.4 \
    1200:0.05 960:0.05 1200:0.05 960:0.05 1200:0.05 960:0.05 1200:0.05 960:0.05 \
    1200:0.05 960:0.05 1200:0.05 960:0.05 1200:0.05 960:0.05 1200:0.05 960:0.05 -:0.8
