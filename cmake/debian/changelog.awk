# Turns CHANGELOG.md into the Debian changelog of the package: every released version
# (a heading "## 1.19 (2026-12-09)") becomes one entry, its topics ("### For students")
# lines ending in a colon, its items ("- ...") starred. "Unreleased" and the text above
# the first version are left out: the package says only what it ships.
#
#   awk -v package=veritor -v maintainer='Name <address>' -f changelog.awk CHANGELOG.md
#
# The Markdown is kept to these forms, wrapped short enough that every changelog line
# stays within 80 columns.

# Day of the week, 0 for Sunday (Sakamoto's method, Gregorian calendar).
function weekday(y, m, d,    offsets) {
  split("0 3 2 5 0 3 5 1 4 6 2 4", offsets, " ")
  if (m < 3)
    y -= 1
  return (y + int(y / 4) - int(y / 100) + int(y / 400) + offsets[m] + d) % 7
}

# The entry's date as Debian wants it: "Wed, 09 Dec 2026 12:00:00 +0000". Only the day
# is known; noon UTC is that day everywhere.
function debianDate(iso,    part, days, months) {
  split(iso, part, "-")
  split("Sun Mon Tue Wed Thu Fri Sat", days, " ")
  split("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec", months, " ")
  return sprintf("%s, %s %s %s 12:00:00 +0000", days[weekday(part[1] + 0, part[2] + 0, part[3] + 0) + 1],
                 part[3], months[part[2] + 0], part[1])
}

function closeEntry() {
  if (inEntry)
    printf "\n -- %s  %s\n", maintainer, date
  inEntry = 0
}

# A line of the entry; blank lines between them are kept, one at most, never first.
function emit(text) {
  if (blankPending && written)
    print ""
  blankPending = 0
  print text
  written = 1
}

/^## / {
  closeEntry()
  if ($0 ~ /^## [0-9]+\.[0-9]+ \([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\)$/) {
    version = $2
    date = debianDate(substr($3, 2, 10))
    if (entries++)
      print ""
    printf "%s (%s) unstable; urgency=medium\n\n", package, version
    inEntry = 1
    written = 0
    blankPending = 0
  }
  next
}
!inEntry { next }
/^[ \t]*$/ { blankPending = 1; next }
/^### / { emit("  " substr($0, 5) ":"); next }
/^- / { emit("  * " substr($0, 3)); next }
/^  / { emit("  " $0); next }
{ emit("  " $0) }
END {
  closeEntry()
  if (!entries) {
    print "changelog.awk: no released version (## X.YY (YYYY-MM-DD)) in the changelog" > "/dev/stderr"
    exit 1
  }
}
