# bash completion for corvane
_corvane() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  local i
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ ${COMP_WORDS[i]} == -- ]]; then
      COMPREPLY=($(compgen -c -- "$cur"))
      return
    fi
  done
  case $prev in
    --for) COMPREPLY=($(compgen -W "15m 30m 45m 1h 1h30m 2h 4h 8h" -- "$cur")); return ;;
    --until) return ;;
    --mode) COMPREPLY=($(compgen -W "display system" -- "$cur")); return ;;
    --while-pid) COMPREPLY=($(compgen -W "$(ps -e -o pid= 2>/dev/null)" -- "$cur")); return ;;
    --while-media|--while-remote) COMPREPLY=($(compgen -W "on off" -- "$cur")); return ;;
    --while-apps) COMPREPLY=($(compgen -W "$(ps -e -o comm= 2>/dev/null | sort -u)" -- "$cur")); return ;;
  esac
  COMPREPLY=($(compgen -W "--for --until --indefinitely --stop --toggle --status --json --mode --while-pid --while-media --while-apps --while-remote --help --version --" -- "$cur"))
}
complete -F _corvane corvane
