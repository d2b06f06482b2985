# Debian's hardening flags for the optimised Linux builds, the binaries the
# package ships: dpkg-buildflags with every hardening feature on (stack
# protector, fortified libc calls, format checks, read-only relocations bound
# at start-up; position-independent executables are the compiler's default).
# Its optimisation, debug and file-prefix flags are left out, so the build
# type's own decide: the terrain was checked bit for bit with those, and no
# hardening flag touches floating point. DEB_BUILD_MAINT_OPTIONS and
# DEB_*FLAGS_APPEND in the environment still count, as they do for
# dpkg-buildflags.
find_program(VOXMERE_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
set(optimised $<CONFIG:Release,RelWithDebInfo,MinSizeRel>)
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all $ENV{DEB_BUILD_MAINT_OPTIONS}"
            ${VOXMERE_DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(O.*|g.*|f(file|debug|macro)-prefix-map=.*)$")
  foreach(flag IN LISTS flags)
    if(kind STREQUAL "LDFLAGS")
      add_link_options($<${optimised}:${flag}>)
    else()
      add_compile_options($<${optimised}:${flag}>)
    endif()
  endforeach()
  list(APPEND hardening_flags ${flags})
endforeach()
list(JOIN hardening_flags " " hardening_flags)
message(STATUS "Hardening flags of the optimised builds: ${hardening_flags}")
