# frelox_precompile_headers(TARGET KIND HEADER ...): TARGET takes HEADERs
# precompiled. The first target of a KIND compiles them, the later ones reuse
# that, so a KIND's targets must be compiled with the same flags.
function(frelox_precompile_headers target kind)
  get_property(first GLOBAL PROPERTY FRELOX_PRECOMPILED_${kind})
  if(first)
    target_precompile_headers(${target} REUSE_FROM ${first})
  else()
    target_precompile_headers(${target} PRIVATE ${ARGN})
    set_property(GLOBAL PROPERTY FRELOX_PRECOMPILED_${kind} ${target})
  endif()
endfunction()

# The Windows libraries' files nearly all include <windows.h>, which takes
# longer to parse than most of them take to compile: they take it precompiled.
function(frelox_precompile_windows_h target)
  frelox_precompile_headers(${target} windows_h <windows.h>)
endfunction()
