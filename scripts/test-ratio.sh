#!/usr/bin/env bash
# Size of the tests against the code they test, in lines of the files git tracks that are neither blank nor comment-only (// or # after white space).
cd "$(dirname "$0")/.." && count() { git ls-files -z -- "$@" | xargs -0 cat | grep -Evc '^\s*(//|#|$)'; } && t=$(count 'tests/*.cpp' 'tests/*.h' 'tests/*.sh' 'tests/*.py' 'tests/*.inc') && c=$(count '*.cpp' '*.h' '*.rc' '*.def' '*.def.in' ':(exclude)tests') && awk -v t="$t" -v c="$c" 'BEGIN { printf "tests %d / code %d = %.2f\n", t, c, t / c }'
