# Bash completion for marlix2html-cli: its options, as its own --help lists
# them (so that they are always those of the program installed), and folders
# for the two folder operands (the word after --title is its text, no operand).
_marlix2html_cli() {
  local current=${COMP_WORDS[COMP_CWORD]}
  local i operands=0 options=1
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ $options == 1 && ${COMP_WORDS[i]} == -- ]]; then
      options=0
    elif [[ $options == 1 && ${COMP_WORDS[i]} == --title ]]; then
      i=$((i + 1))
    elif [[ $options == 0 || ${COMP_WORDS[i]} != -* ]]; then
      operands=$((operands + 1))
    fi
  done
  if [[ $options == 1 && ${COMP_WORDS[COMP_CWORD - 1]} == --title ]]; then
    COMPREPLY=()
  elif [[ $options == 1 && $current == -* ]]; then
    # An option line of --help: "  -q, --quiet  ..." or "      --web  ...".
    local listed
    listed=$("$1" --help 2>/dev/null |
      sed -n 's/^  \(-[a-zA-Z]\), \(--[a-z][a-z-]*\) .*/\1 \2/p; s/^      \(--[a-z][a-z-]*\) .*/\1/p')
    COMPREPLY=($(compgen -W "$listed --" -- "$current"))
  elif ((operands < 2)); then
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$current"))
  else
    COMPREPLY=()
  fi
}
complete -F _marlix2html_cli marlix2html-cli
