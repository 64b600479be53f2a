#!/usr/bin/env bash
# Writes man pages for kavrel-cli and each of its subcommands from the tool's own --help, so the
# pages say exactly what the tool says: kavrel-cli.1 and kavrel-cli-COMMAND.1 in OUTDIR.
# Usage: man-pages.sh KAVREL_CLI OUTDIR VERSION
set -euo pipefail
cli=$1
out=$2
version=$3
mkdir -p "$out"

# Text as roff: a leading period or quote escaped, backslashes doubled.
roff_text() {
  sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

page() {  # page NAME SUMMARY HELP_TEXT FILE [SEE_ALSO]
  local name=$1 summary=$2 help=$3 file=$4 see=${5:-}
  {
    echo ".TH \"$(echo "$name" | tr '[:lower:]' '[:upper:]')\" 1 \"\" \"Kavrel $version\" \"Kavrel\""
    echo ".SH NAME"
    echo "$name \\- $(echo "$summary" | roff_text)"
    echo ".SH DESCRIPTION"
    echo ".nf"
    printf '%s\n' "$help" | roff_text
    echo ".fi"
    echo ".SH FILES"
    echo "Each user's data directory, \\fI\$XDG_DATA_HOME/Kavrel\\fR (or \\fI~/.local/share/Kavrel\\fR),"
    echo "holds the collection Local, the data set files under \\fIdata/\\fR and \\fIKavrel.ini\\fR;"
    echo "it is made on the first start from \\fI/usr/share/kavrel/KavrelData\\fR."
    echo ".SH EXIT STATUS"
    echo "0 on success, 1 on an error, 2 on bad usage or a question the tool cannot answer itself."
    if [ -n "$see" ]; then
      echo ".SH SEE ALSO"
      echo "$see"
    fi
  } > "$file"
}

# The help as an installed tool prints it: the build's path to the tool named as the command.
help_of() { "$cli" "$@" --help | sed "s|$cli|kavrel-cli|g"; }
top=$(help_of)
commands=$(printf '%s\n' "$top" |
  awk 'tolower($0) ~ /^subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
[ -n "$commands" ] || { echo "man-pages.sh: no subcommands in $cli --help" >&2; exit 1; }
see=""
for c in $commands; do see+="\\fBkavrel-cli-$c\\fR(1), "; done
page kavrel-cli "the command-line tool of Kavrel, descriptive epidemiology by age" "$top" \
  "$out/kavrel-cli.1" "${see%, }, \\fBkavrel\\fR(1)"
for c in $commands; do
  summary=$(printf '%s\n' "$top" | awk -v c="$c" '$1 == c { $1 = ""; sub(/^ +/, ""); print; exit }')
  page "kavrel-cli-$c" "${summary:-kavrel-cli $c}" "$(help_of "$c")" \
    "$out/kavrel-cli-$c.1" "\\fBkavrel-cli\\fR(1)"
done
page kavrel "the desktop program of Kavrel, descriptive epidemiology by age" \
"Usage: kavrel

Starts the desktop program on the current collection of the user's data directory.
Choose Data, Data set, select Example and press Open to see the example data set.
Every window has a Help button; F1 opens the help page of the window in use." \
  "$out/kavrel.1" "\\fBkavrel-cli\\fR(1)"
