# Read by cpack before it builds the package: the library dependencies of the package come from
# dpkg-shlibdeps, so a machine without it cannot make a usable package.
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_DEBIAN_PACKAGE_SHLIBDEPS)
    find_program(TALLOWMERE_DPKG_SHLIBDEPS dpkg-shlibdeps)
    if(NOT TALLOWMERE_DPKG_SHLIBDEPS)
        message(FATAL_ERROR "dpkg-shlibdeps is missing (package dpkg-dev): without it the package would lack "
                            "the libraries it needs. Install dpkg-dev, or run tools/package, which does.")
    endif()
endif()
