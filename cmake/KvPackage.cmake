# The Debian package (cpack -G DEB, or scripts/package.sh): everything the install rules put
# under the prefix, installed under /usr, stripped, its library dependencies computed by
# dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(KV_PACKAGE_CONTACT "KV47310 developers" CACHE STRING
    "Maintainer of the Debian package (name <address>)")
set(CPACK_PACKAGE_CONTACT "${KV_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "dielectric measurement with an open-ended coaxial probe")
# The long description, one line of the control file per line.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "KV47310 calibrates an open-ended coaxial probe on a vector network analyzer"
    "with three standards and measures the complex permittivity (e', e'') of a"
    "sample at every frequency point. Results are shown as a chart and a table and"
    "kept in setup files (.tst) and tab-separated data files (.prn). Analyzers and"
    "interface cards are component plugins; a simulated Demo analyzer is included."
    "."
    "The package holds the window front end kv47310 and the terminal front end"
    "kv47310-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
