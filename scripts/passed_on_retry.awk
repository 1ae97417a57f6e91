# Reads ctest's LastTest.log and prints, one a line, every test that failed a run and then passed
# the next (ctest --repeat until-pass:N logs each run of a test as a block of its own, which ends
# in the outcome line and the line '"NAME" end time: ...'). A test's own output, between
# "Output:" and "<end of output>", is skipped, whatever it holds.
#
#   awk -f passed_on_retry.awk Testing/Temporary/LastTest.log
/^Output:$/ { in_output = 1; next }
in_output { if ($0 == "<end of output>") in_output = 0; next }
/^"[^"]*" end time: / {
  name = substr($0, 2, index(substr($0, 2), "\"") - 1)
  if (last == "Test Passed.") {
    if (name in failed && !(name in reported)) { print name; reported[name] = 1 }
  } else {
    failed[name] = 1
  }
}
{ last = $0 }
