# Turns LICENSE into the package's machine-readable copyright file
# (/usr/share/doc/PACKAGE/copyright), so that the two always say the same: the holders
# from the licence's "Copyright (c)" line and the licence text after it, in the
# indented form the format wants (an empty line written as " .").
#
#   awk -v name=Veritor -v contact='Name <address>' -f copyright.awk LICENSE

/^Copyright \([cC]\) / && !holders {
  holders = substr($0, 15)
  next
}
!holders { next }
/^[ \t]*$/ { if (started) blanks++; next }
{
  for (; blanks > 0; blanks--)
    text = text " .\n"
  text = text " " $0 "\n"
  started = 1
}
END {
  if (!holders || !started) {
    print "copyright.awk: no \"Copyright (c)\" line and licence text in the licence" > "/dev/stderr"
    exit 1
  }
  print "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  print "Upstream-Name: " name
  print "Upstream-Contact: " contact
  print ""
  print "Files: *"
  print "Copyright: " holders
  print "License: Expat"
  printf "%s", text
}
