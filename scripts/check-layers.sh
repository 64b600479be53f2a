#!/usr/bin/env bash
# Keeps the layers apart. The core's subsystems stand in one order, lowest first:
#
#   base < store < engine < agesched < results < exchange, analysis < shell
#
# (exchange and analysis side by side: neither includes the other). A core file includes headers
# of its own subsystem or of a lower one, never of a higher one, never a window (gui/), the
# command-line tool (cli/) or Qt. The command-line tool stands on the core only, the windows on
# the core and on themselves, in the same order with the windows' shared helpers below them all:
#
#   common < store < engine < agesched < results < exchange, analysis < shell
#
# Within a subsystem no file may come round to itself: a header and its source count as one
# unit, and the units' includes must form no cycle (in src/core and src/gui). Prints every
# include that breaks a rule, every cycle, and the count; exits 1 when there is any.
set -euo pipefail
cd "$(dirname "$0")/.."

awk '
  BEGIN {
    rank["base"] = 0; rank["store"] = 1; rank["engine"] = 2; rank["agesched"] = 3
    rank["results"] = 4; rank["exchange"] = 5; rank["analysis"] = 5; rank["shell"] = 6
    # The windows: their shared helpers lowest, then the order of the core.
    grank["common"] = 0; grank["store"] = 1; grank["engine"] = 2; grank["agesched"] = 3
    grank["results"] = 4; grank["exchange"] = 5; grank["analysis"] = 5; grank["shell"] = 6
    broken = 0; checked = 0
  }
  FNR == 1 {
    split(FILENAME, part, "/")
    area = part[2]; sub_ = (area == "core" || area == "gui") ? part[3] : ""
    if (area == "core" && !(sub_ in rank)) {
      printf "%s: the core subsystem \"%s\" has no place in the layer order\n", FILENAME, sub_
      broken++
    }
    if (area == "gui" && !(sub_ in grank)) {
      printf "%s: the window subsystem \"%s\" has no place in the layer order\n", FILENAME, sub_
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
    } else if (area == "gui" && t[1] == "gui") {
      if (!(t[2] in grank)) {
        printf "%s:%d: unknown window subsystem in %s\n", FILENAME, FNR, target; broken++
      } else if (t[2] != sub_ && grank[t[2]] >= grank[sub_]) {
        printf "%s:%d: %s includes %s, which is not below it\n", FILENAME, FNR, sub_, target
        broken++
      }
    }
  }
  END {
    printf "check-layers: %d includes checked, %d against the layer order\n", checked, broken
    exit broken > 0 ? 1 : 0
  }
' $(git ls-files 'src/*.h' 'src/*.cpp' 2>/dev/null || find src -name '*.h' -o -name '*.cpp')

# No cycles among the units (a header with its source) of the core and of the windows.
awk '
  FNR == 1 { unit = FILENAME; sub(/^src\//, "", unit); sub(/\.(h|cpp)$/, "", unit); units[unit] = 1 }
  /^[ \t]*#[ \t]*include[ \t]*"(core|gui)\// {
    match($0, /"[^"]+"/)
    target = substr($0, RSTART + 1, RLENGTH - 2); sub(/\.h$/, "", target)
    if (target != unit && !((unit, target) in seen)) {
      seen[unit, target] = 1; out[unit] = out[unit] " " target
    }
  }
  function visit(u,    n, list, k, v) {
    state[u] = 1; path[++depth] = u
    n = split(out[u], list, " ")
    for (k = 1; k <= n; k++) {
      v = list[k]
      if (!(v in units)) continue
      if (state[v] == 1) {
        for (j = depth; j >= 1 && path[j] != v; j--) {}
        cycle = path[j]
        for (j = j + 1; j <= depth; j++) cycle = cycle " -> " path[j]
        printf "include cycle: %s -> %s\n", cycle, v
        cycles++
      } else if (state[v] == 0) {
        visit(v)
      }
    }
    depth--; state[u] = 2
  }
  END {
    for (u in units) if (state[u] == 0) visit(u)
    if (cycles > 0) { printf "check-layers: %d include cycle(s)\n", cycles; exit 1 }
    printf "check-layers: no include cycle among %d units\n", length(units)
  }
' $(git ls-files 'src/core/*.h' 'src/core/*.cpp' 'src/gui/*.h' 'src/gui/*.cpp' 2>/dev/null ||
  find src/core src/gui -name '*.h' -o -name '*.cpp')
