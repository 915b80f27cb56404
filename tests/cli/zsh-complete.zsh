# Presses Tab after a command line in an interactive zsh and prints the matches offered, sorted.
#   zsh -f zsh-complete.zsh COMPLETION_FOLDER COMMAND_FOLDER WORKING_FOLDER LINE
zmodload zsh/zpty
out=$(mktemp)
# Reads the terminal until it shows $1.
await() {
  local chunk seen
  repeat 300; do
    while zpty -r -t z chunk; do seen+=$chunk; done
    [[ $seen == *$1* ]] && return 0
    sleep 0.1
  done
  print -u2 -r -- "the terminal never showed $1: $seen"
  rm -f "$out"
  exit 1
}
zpty z zsh -f -i
zpty -w z "PATH=${(q)2}:\$PATH; cd ${(q)3}; fpath=(${(q)1} \$fpath)"
zpty -w z "autoload -U compinit; compinit -u -D; zstyle ':completion:*' menu no"
# Every match offered is written down as well.
zpty -w z "compadd() { if (( ! \${@[(I)-[OAD]]} )); then local -a m; builtin compadd -O m \"\$@\"; print -rl -- \$m >> ${(q)out}; fi; builtin compadd \"\$@\"; }"
# A key that, pressed after Tab, shows when zle has done with the Tab; the arithmetic keeps
# the echo of this line from passing for it.
zpty -w z "done-mark() { zle -M END-\$((40 + 2)) }; zle -N done-mark; bindkey '^X^D' done-mark; print READY-\$((40 + 2))"
await READY-42
zpty -w -n z "$4"$'\t\C-x\C-d'
await END-42
zpty -d z
sort -u "$out"
rm -f "$out"
