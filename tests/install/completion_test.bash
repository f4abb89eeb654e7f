#!/usr/bin/env bash
# Runs the tools' bash completion (file $1, loaded as bash-completion loads
# it) on command lines and checks what it offers. Each case: the line as
# typed, the words bash splits it into, and the offers expected.
set -uo pipefail
source /usr/share/bash-completion/bash_completion || exit 1
source "$1" || exit 1
compopt() { :; } # outside a real completion there is nothing to set
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT && mkdir views.d && touch view-list.txt

failed=0
for command in rasterwork-snapshot rasterwork-compare rasterwork-explain; do
    complete -p "$command" >/dev/null || { echo "no completion for $command"; failed=1; }
done

# expect 'OFFERS' LINE: COMP_WORDS as bash splits LINE at its word breaks.
expect() {
    local wanted=$1 line=$2 got
    read -ra COMP_WORDS <<<"${line//[=:]/ & }"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$line COMP_POINT=${#line} COMPREPLY=()
    _rasterwork_tool "${COMP_WORDS[0]}" "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    [[ $got == "$wanted" ]] || { echo "'$line': offered '$got', expected '$wanted'"; failed=1; }
}
expect 'sampling specular subpixel' 'rasterwork-compare --like-reference s'
expect 'specular' 'rasterwork-explain --like-ref sp'
expect 'sampling,specular sampling,subpixel' 'rasterwork-compare --like-reference=sampling,s'
expect 'auto egl x11' 'rasterwork-snapshot --gl-platform '
expect '--gl-platform=' 'rasterwork-compare --gl'
expect 'opengl' 'rasterwork-snapshot --renderer o'
expect 'grid: turntable: view-list.txt views.d' 'rasterwork-compare --views '
expect 'turntable:' 'rasterwork-compare --views=t'
expect 'view-list.txt views.d' 'rasterwork-snapshot --png v'
expect '' 'rasterwork-compare --width '
expect '' 'rasterwork-snapshot --view'
expect '--ladder' 'rasterwork-compare --lad'
exit "$failed"
