# Sourced by the scripts that build a tree of their own: warnings are errors in CI, and the
# compiler cache is used where there is one.
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
