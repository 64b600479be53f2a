#!/usr/bin/env bash
# Keeps the layers apart. The core's subsystems stand in one order, lowest first:
#
#   base < store < engine < agesched < results < exchange, analysis < shell
#
# (exchange and analysis side by side: neither includes the other). A core file includes headers
# of its own subsystem or of a lower one, never of a higher one, never a window (gui/), the
# command-line tool (cli/) or Qt. The command-line tool stands on the core only, the windows on
# the core and on themselves. Prints every include that breaks a rule and the count; exits 1 when
# there is any.
set -euo pipefail
cd "$(dirname "$0")/.."

awk '
  BEGIN {
    rank["base"] = 0; rank["store"] = 1; rank["engine"] = 2; rank["agesched"] = 3
    rank["results"] = 4; rank["exchange"] = 5; rank["analysis"] = 5; rank["shell"] = 6
    broken = 0; checked = 0
  }
  FNR == 1 {
    split(FILENAME, part, "/")
    area = part[2]; sub_ = (area == "core") ? part[3] : ""
    if (area == "core" && !(sub_ in rank)) {
      printf "%s: the core subsystem \"%s\" has no place in the layer order\n", FILENAME, sub_
      broken++
    }
  }
  /^[ \t]*#[ \t]*include/ {
    line = $0
    if (match(line, /<Q[A-Za-z]*>/) && area != "gui" && area != "app") {
      printf "%s:%d: Qt outside the windows: %s\n", FILENAME, FNR, line; broken++; next
    }
    if (!match(line, /"[^"]+"/)) next
    target = substr(line, RSTART + 1, RLENGTH - 2)
    n = split(target, t, "/")
    if (n < 2) next
    checked++
    if (area == "core") {
      if (t[1] != "core") {
        printf "%s:%d: the core includes %s\n", FILENAME, FNR, target; broken++; next
      }
      if (!(t[2] in rank)) {
        printf "%s:%d: unknown subsystem in %s\n", FILENAME, FNR, target; broken++; next
      }
      if (t[2] != sub_ && rank[t[2]] >= rank[sub_]) {
        printf "%s:%d: %s includes %s, which is not below it\n", FILENAME, FNR, sub_, target
        broken++
      }
    } else if (area == "cli" && t[1] != "core" && t[1] != "cli") {
      printf "%s:%d: the command-line tool includes %s\n", FILENAME, FNR, target; broken++
    } else if (area == "gui" && t[1] != "core" && t[1] != "gui") {
      printf "%s:%d: a window includes %s\n", FILENAME, FNR, target; broken++
    }
  }
  END {
    printf "check-layers: %d includes checked, %d against the layer order\n", checked, broken
    exit broken > 0 ? 1 : 0
  }
' $(git ls-files 'src/*.h' 'src/*.cpp' 2>/dev/null || find src -name '*.h' -o -name '*.cpp')
