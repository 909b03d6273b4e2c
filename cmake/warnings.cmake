# Warnings for every target of ours, through one interface target.
add_library(accprep_warnings INTERFACE)
target_compile_options(accprep_warnings INTERFACE -Wall -Wextra -Wpedantic)

# Floating-point results must follow the algorithms operation by operation: the half-adjust
# rounding depends on each product and sum being a separately rounded double, so no fused
# multiply-add contraction and no fast-math anywhere in the engine or the jobs.
add_library(accprep_exact_fp INTERFACE)
target_compile_options(accprep_exact_fp INTERFACE -ffp-contract=off -fno-fast-math)
