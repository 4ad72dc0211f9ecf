# Sourced by the package tests: named checks that count what passed and failed, and registry
# reads. Each test ends with `checks_done`.
passed=0
failures=0
event_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\KEL Administrator'
check() { # description, command...
    local what="$1"
    shift
    if "$@"; then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}
# reg_is KEY NAME "TYPE    DATA": the value reads back so.
reg_is() { [ "$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^    $2    //p")" = "$3" ]; }
checks_done() {
    echo "$passed passed, $failures failed"
    [ "$failures" -eq 0 ]
}
