#!/usr/bin/env bash
# Makes the factory jingle set, one short MP3 per slot, from tones, noise and speech synthesised on this
# machine (Debian packages sox, lame, espeak-ng). The output is repeatable: run it and commit what changes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/resources/Assets/Strata/jingles/origin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

rate=44100
# sox in repeatable mode (fixed noise seed), mono at one rate.
s() { sox -R -q "$@"; }
gen() { s -n -r "$rate" -c 1 "$@"; }

# Applause: pink noise chopped by two tremolos into a crowd of claps, swelling and fading.
gen "$work/1.wav" synth 3.5 pinknoise gain -12 tremolo 21 95 tremolo 7.3 70 highpass 400 fade q 0.4 3.5 1.4 gain -n -2

# Drum Roll: a snare struck sixteen times a second, growing louder, then a cymbal crash.
gen "$work/roll.wav" synth 2.4 whitenoise gain -12 tremolo 16 100 bandpass 2200 1.5q fade h 2.4 0 0 gain -n -6
gen "$work/crash.wav" synth 1.2 whitenoise gain -12 highpass 3000 fade l 0 1.2 1.15 gain -n -3
s "$work/roll.wav" "$work/crash.wav" "$work/2.wav"

# Fanfare: a brassy arpeggio C-E-G-C with the last note held.
i=0
for note in "C4 0.18" "E4 0.18" "G4 0.18" "C5 0.9"; do
    set -- $note
    gen "$work/f$i.wav" synth "$2" sawtooth "$1" synth "$2" square mix "$1" gain -12 lowpass 2500 \
        fade t 0.01 "$2" 0.08 gain -n -4
    i=$((i + 1))
done
s "$work/f0.wav" "$work/f1.wav" "$work/f2.wav" "$work/f3.wav" "$work/3.wav"

# Ding Dong: two bell strikes, a major third apart, each ringing out.
gen "$work/ding.wav" synth 1.1 sine E5 synth 1.1 sine mix E6 fade l 0 1.1 1.05 gain -n -3
gen "$work/dong.wav" synth 1.6 sine C5 synth 1.6 sine mix C6 fade l 0 1.6 1.55 gain -n -3
s "$work/ding.wav" "$work/dong.wav" "$work/4.wav"

# Rimshot: two quick tom hits and a splash cymbal.
gen "$work/tom1.wav" synth 0.18 sine 180-90 fade l 0 0.18 0.16 gain -n -3
gen "$work/tom2.wav" synth 0.35 sine 140-70 fade l 0 0.35 0.32 gain -n -3
gen "$work/tss.wav" synth 1.0 whitenoise gain -12 highpass 5000 fade l 0 1.0 0.95 gain -n -6
s "$work/tom1.wav" "$work/tom2.wav" "$work/tss.wav" "$work/5.wav"

# Sad Trombone: four falling notes, the last one long and wobbling.
i=0
for note in "D4 0.4" "C#4 0.4" "C4 0.4" "B3 1.4"; do
    set -- $note
    gen "$work/t$i.wav" synth "$2" sawtooth "$1" gain -12 lowpass 1200 tremolo 6 20 fade t 0.03 "$2" 0.1 gain -n -4
    i=$((i + 1))
done
s "$work/t0.wav" "$work/t1.wav" "$work/t2.wav" "$work/t3.wav" "$work/6.wav"

# Air Horn: three blasts of a harsh square-wave chord.
gen "$work/blast.wav" synth 0.45 square 466 synth 0.45 square mix 587 synth 0.45 square mix 698 \
    gain -12 lowpass 3000 fade t 0.01 0.45 0.03 gain -n -5
gen "$work/gap.wav" trim 0 0.08
s "$work/blast.wav" "$work/gap.wav" "$work/blast.wav" "$work/gap.wav" "$work/blast.wav" "$work/blast.wav" "$work/7.wav"

# Welcome and Thank You: spoken.
speak() { espeak-ng -v en-us -s 120 -p 45 -w "$work/speech.wav" "$2" && s "$work/speech.wav" -r "$rate" -c 1 "$1" gain -n -2; }
speak "$work/8.wav" "Welcome to the show!"
speak "$work/9.wav" "Thank you very much!"

names=("" "Applause" "Drum Roll" "Fanfare" "Ding Dong" "Rimshot" "Sad Trombone" "Air Horn" "Welcome" "Thank You")
for slot in 1 2 3 4 5 6 7 8 9; do
    dir="$out/$slot"
    rm -rf "$dir"
    mkdir -p "$dir"
    lame --quiet -m m -b 64 --tt "${names[$slot]}" --ta "Strata" "$work/$slot.wav" "$dir/${names[$slot]}.mp3"
done
ls -l "$out"/*/
