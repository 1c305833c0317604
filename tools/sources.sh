# Sourced by the check tools: cpp_sources lists the C++ sources of the tree in the current
# directory, one relative path a line. In a git checkout it lists what git tracks or would
# (so build folders, ignored, stay out); elsewhere every source outside build*/ folders.
cpp_sources() {
  if git rev-parse --show-toplevel >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.cc' |
      while IFS= read -r file; do [ -f "$file" ] && echo "$file"; done | sort
  else
    find . \( -path './build*' -o -path './.git' \) -prune -o \
      -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print |
      sed 's|^\./||' | sort
  fi
}
