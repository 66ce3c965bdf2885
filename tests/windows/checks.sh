# The counted checks of the Windows suite's scripts: sourced, with $log set to the file
# that takes each check's output.
passed=0
failed=0
check() {  # check NAME COMMAND...: one counted check
  local name=$1
  shift
  if "$@" >>"$log" 2>&1; then
    passed=$((passed + 1))
    echo "ok      $name" | tee -a "$log"
  else
    failed=$((failed + 1))
    echo "FAILED  $name" | tee -a "$log"
  fi
}
