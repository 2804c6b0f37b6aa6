# SPDX-License-Identifier: GPL-3.0-or-later
# Compiler settings each target asks for by name, so that the flags stay on the targets that need
# them and the same files configure with any compiler.

option(VARNELO_WERROR "Treat warnings as errors" "$ENV{CI}")

# Warnings, as errors in CI.
function(varnelo_warnings target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${VARNELO_WERROR}>:-Werror>)
    elseif(MSVC)
        target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${VARNELO_WERROR}>:/WX>)
    endif()
endfunction()

# For the targets that do the double arithmetic the read-out depends on: every operation rounded on
# its own (0.79 shows 104, not 105), so no fused multiply-add and never fast-math.
function(varnelo_exact_floating_point target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -ffp-contract=off -fno-fast-math)
    elseif(MSVC)
        target_compile_options(${target} PRIVATE /fp:precise)
    endif()
endfunction()
