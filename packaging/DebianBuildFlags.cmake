# Debian's hardening (fortified functions, stack protector, read-only relocations bound at
# start), taken from dpkg-buildflags as a Debian package build takes them. Optimisation and
# debug information stay with the build type; a Debug build has no optimisation to fortify.
option(ORX_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)
find_program(ORX_DPKG_BUILDFLAGS dpkg-buildflags)
if(ORX_HARDENING AND ORX_DPKG_BUILDFLAGS AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                    ${ORX_DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        list(FILTER flags EXCLUDE REGEX "^-(g|O.*)$")
        if(kind STREQUAL "LDFLAGS")
            add_link_options(${flags})
        else()
            add_compile_options(${flags})
        endif()
    endforeach()
endif()
