#!/usr/bin/env bash
# The compiled help file QSWAP.CHM, read back with chmls: every topic is in it, the contents and
# the index point only at topics that exist, no link is broken, and the texts that the programs
# show (event messages, unplug results, start-up messages) are quoted as the programs word them.
# Usage: check_help.sh BIN_DIR SOURCE_DIR
set -u
bin=$1 src=$2
chm="$bin/QSWAP.CHM"
passed=0 failed=0
ok() { echo "ok   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL $1"; failed=$((failed + 1)); }
check() { # LABEL COMMAND...: passes when the command succeeds
  local label=$1; shift
  if "$@"; then ok "$label"; else bad "$label"; fi
}

topics=(welcome.htm window.htm tree.htm panel.htm replace.htm commands.htm events.htm tray.htm
        startup.htm install.htm demo.htm qvlctl.htm)

if [ ! -s "$chm" ]; then
  bad "$chm exists"
  echo "$passed passed, $((failed)) failed"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# chmls prints a banner line first; the names start with a slash.
chmls -p -n list "$chm" 2>/dev/null | sed -n 's|^/||p' | sort >"$work/names"
missing=()
for t in "${topics[@]}" qswap.css qswap.hhc qswap.hhk; do
  grep -qxF "$t" "$work/names" || missing+=("$t")
done
if [ ${#missing[@]} -eq 0 ]; then ok "all ${#topics[@]} topics, the style sheet, contents and index are in the file"
else bad "missing from the help file: ${missing[*]}"; fi

# Only the topics we know of, so a new page cannot slip in without being checked.
extra=$(grep -E '\.htm$' "$work/names" | grep -vxF -f <(printf '%s\n' "${topics[@]}"))
check "no topic besides the known ones${extra:+ (found: $extra)}" test -z "$extra"

chmls extractall "$chm" "$work/x" >/dev/null 2>&1
for t in "${topics[@]}"; do [ -s "$work/x/$t" ] || bad "$t extracts with content"; done

# Default topic and window title, from the #SYSTEM record.
check "the default topic is welcome.htm" grep -qa 'welcome.htm' "$work/x/#SYSTEM"
check "the title names the product" grep -qa 'Quorvel Hot-Swap Utility Help' "$work/x/#SYSTEM"

# Links of a file: the targets of Local params (contents, index) or of href attributes (topics).
locals() { perl -ne 'print "$1\n" while /name="Local" value="([^"#]*)/gi' "$1" | sort -u; }
hrefs() { perl -ne 'print "$1\n" while /href="([^"#:]+)/gi' "$1" | sort -u; }

toc=$(locals "$work/x/qswap.hhc")
notoc=$(printf '%s\n' "${topics[@]}" | grep -vxF -f <(echo "$toc"))
check "every topic is in the contents${notoc:+ (not: $notoc)}" test -z "$notoc"
dangling=$( (locals "$work/x/qswap.hhc"; locals "$work/x/qswap.hhk") | grep -vxF -f "$work/names")
check "contents and index point only at topics in the file${dangling:+ (not found: $dangling)}" test -z "$dangling"
check "the index has at least 40 keywords" test "$(grep -c 'name="Name"' "$work/x/qswap.hhk")" -ge 40

broken=()
for t in "${topics[@]}"; do
  while read -r target; do
    [ -z "$target" ] && continue
    grep -qxF "$target" "$work/names" || broken+=("$t -> $target")
  done < <(hrefs "$work/x/$t")
done
if [ ${#broken[@]} -eq 0 ]; then ok "no broken link between topics"; else bad "broken links: ${broken[*]}"; fi

# The visible text of a topic: tags dropped, entities decoded, white space squeezed.
text() {
  perl -0777 -pe 's/<[^>]*>//g; s/&nbsp;/ /g; s/&mdash;/-/g; s/&middot;/./g; s/&amp;/&/g; s/&lt;/</g; s/&gt;/>/g; s/\s+/ /g' "$1"
}
# Does TOPIC quote FORMAT (a printf format with %s or %d), any text standing for the fields?
quotes() {
  local re
  re=$(FMT="$2" perl -e '$f = $ENV{FMT}; $f =~ s/\s+$//; print join("\\S.*?", map { quotemeta } split(/%[sd]/, $f, -1))')
  text "$work/x/$1" | FMT_RE="$re" perl -ne 'exit(/$ENV{FMT_RE}/ ? 0 : 1)'
}
# Printable strings of a program that look like its messages.
strings_of() { strings -n 8 "$1" | grep -E "$2" | sort -u; }

# The event texts as the client library words them: every one is explained on the events page.
formats=$(strings_of "$bin/qvlclient.dll" "^(Disk at |Plugging disk|Array '%s' |Spare disk took over)")
count=$(echo "$formats" | grep -c .)
check "qvlclient.dll holds the 20 distinct event texts (found $count)" test "$count" -eq 20
unquoted=()
while IFS= read -r f; do
  [ -z "$f" ] && continue
  quotes events.htm "$f" || unquoted+=("$f")
done <<<"$formats"
if [ ${#unquoted[@]} -eq 0 ]; then ok "events.htm quotes every event text of the library"
else bad "events.htm does not quote: ${unquoted[*]}"; fi
rows=$(perl -ne 'print "$1\n" while /<tr><td(?: rowspan="\d")?>(\d+)<\/td>/g' "$work/x/events.htm" | sort -n | tr '\n' ' ')
check "events.htm has a row for each code 1 to 17 (rows: $rows)" test "$rows" = "$(seq -s ' ' 1 17) "

# Unplug results and start-up messages of the console, quoted where they are explained. The
# compiler keeps short texts as immediate data, so they are looked up in the code of the console
# and its model: each piece around a %s as a string literal.
in_console() {
  local piece
  while IFS= read -r piece; do
    [ -z "$piece" ] && continue
    grep -rqF -- "\"$piece" "$src/console" "$src/model" || grep -rqF -- "$piece\"" "$src/console" "$src/model" || return 1
  done < <(MSG="$1" perl -e 'print "$_\n" for split(/%s/, $ENV{MSG})')
}
console_texts=(
  "commands.htm|The '%s' device can now be safely removed from the system. "
  "commands.htm|Device '%s' can't be removed from the system. It is possible in use."
  "commands.htm|One device can't be removed from the system. It is possible in use."
  "startup.htm|No controller detected."
  "startup.htm|The device driver doesn't support how-swap. Please update the driver."
  "startup.htm|Invalid version."
  "window.htm|You must install IE3.0 or later to view help contents."
  "tray.htm|Quorvel Storage Management Software Console"
)
for entry in "${console_texts[@]}"; do
  page=${entry%%|*} msg=${entry#*|}
  if ! in_console "$msg"; then
    bad "the console no longer says \"$msg\" (update $page)"
  elif quotes "$page" "$msg"; then ok "$page quotes \"$msg\""
  else bad "$page does not quote \"$msg\""; fi
done

# The information panel's property names, each explained on the panel page.
unexplained=()
for name in Name "System OS" Product Manufacturer "Bus Number" "Interrupt Level" "IO Port" \
            "Control Port" Model Type Location Revision Capacity Status "Array Name" \
            "Transfer Mode" Temperature "Fan Status"; do
  grep -qF "<tr><td>$name</td>" "$work/x/panel.htm" || unexplained+=("$name")
done
if [ ${#unexplained[@]} -eq 0 ]; then ok "panel.htm explains every property name of the panel"
else bad "panel.htm does not explain: ${unexplained[*]}"; fi

# The hidden start and the single instance are explained.
check "startup.htm explains the RAID argument" grep -q '<code>qvlswap.exe RAID</code>' "$work/x/startup.htm"
check "startup.htm explains the single instance" grep -q 'One copy at a time' "$work/x/startup.htm"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
